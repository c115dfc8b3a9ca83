#pragma once

#include "Alerts/AlertRequestNotification.h"
#include "Platform/DistributedNotifications.h"

#include <QColor>
#include <QString>

#include <optional>

class AppModel;

// Alert requests from scripts, terminals and the coding agent's hooks: a
// distributed notification whose user information (all strings) becomes a
// banner, subject to the user's settings.
class ExternalAlertListener {
public:
    static inline const QString name = QString::fromLatin1(AlertRequestNotification::name);
    static constexpr int maximumTitleLength = 80;
    static constexpr int maximumBodyLength = 240;

    explicit ExternalAlertListener(AppModel &model);

    // Turns a request into a banner, or drops it.
    void handle(const DistributedNotifications::UserInfo &request);

    // A colour for one of the eight English or Portuguese names, or for six
    // hex digits with an optional leading "#"; none otherwise.
    static std::optional<QColor> color(const QString &named);
    // A duration in seconds, or none when the text is not a finite number.
    static std::optional<double> duration(const QString &text);

private:
    AppModel &m_model;
};
