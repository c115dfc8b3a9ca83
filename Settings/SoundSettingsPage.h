#pragma once

#include "Settings/SettingsPage.h"

#include <QProperty>

class AppModel;
class QAbstractButton;
class QLabel;

// The "Som" page: the volume level indicator, the per-app mixer with its
// reset to full volume, and the microphone mute.
class SoundSettingsPage : public SettingsPage {
    Q_OBJECT
public:
    explicit SoundSettingsPage(AppModel &model, QWidget *parent = nullptr);

    // The mixer's status for `count` applications at a volume of their own.
    static QString mixerStatus(qsizetype count);

    QLabel *mixerStatusLabel() const { return m_status; }
    QAbstractButton *resetButton() const { return m_reset; }

private:
    QWidget *mixerStatusRow(AppModel &model);

    // The number of applications at a volume of their own, following the mixer.
    QProperty<qsizetype> m_ownVolumes;
    QPropertyNotifier m_followOwnVolumes;
    QLabel *m_status = nullptr;
    QAbstractButton *m_reset = nullptr;
};
