#pragma once

#include "Settings/SettingsPage.h"

#include <QDateTime>

#include <optional>

class AppModel;
class Scheduler;
class Updater;

// The app's icon, name and version, and, when this build can update itself,
// the update status with a button to check now and the automatic-update
// switches.
class AboutSettingsPage : public SettingsPage {
    Q_OBJECT
public:
    // "Última verificação" and the time of the last check relative to `now`
    // ("há 2 horas"); none before the first check.
    static std::optional<QString> lastCheckText(const std::optional<QDateTime> &lastCheck, const QDateTime &now);
    // `date` relative to `now` in Brazilian Portuguese, in the largest whole
    // unit, with the named forms ("agora", "ontem") where they exist.
    static QString relativeText(const QDateTime &date, const QDateTime &now);

    explicit AboutSettingsPage(AppModel &model, QWidget *parent = nullptr);
    // Over `updater`, with the time read from `clock`.
    AboutSettingsPage(Updater &updater, const Scheduler &clock, QWidget *parent = nullptr);

private:
    void addHeader();
    void addUpdates();

    Updater &m_updater;
    const Scheduler &m_clock;
};
