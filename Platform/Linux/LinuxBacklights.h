#pragma once

#include "Platform/Backlights.h"

#include <QDBusConnection>
#include <QHash>
#include <QObject>

// Backlights of /sys/class/backlight: read from sysfs, written through
// logind's Session.SetBrightness on the system bus, which lets the user of
// the active session set them without root. External monitors have a
// backlight here only through the DDC/CI driver, so every other entry is the
// computer's own panel. Any entry can be read and set; displays() lists each
// screen once.
class LinuxBacklights final : public QObject, public Backlights {
    Q_OBJECT
public:
    static inline const QString defaultRoot = QStringLiteral("/sys/class/backlight");

    // Whether logind answers on `bus`.
    static bool isAvailable(const QDBusConnection &bus);

    explicit LinuxBacklights(const QDBusConnection &bus, const QString &root = defaultRoot);

    QStringList displays() const override;
    bool isBuiltIn(const QString &display) const override;
    std::optional<float> brightness(const QString &display) const override;
    int levelCount(const QString &display) const override;
    bool setBrightness(const QString &display, float level) override;

private:
    struct Request {
        float level = 0;
        int inFlight = 0;
    };
    QStringList entries() const;
    QByteArray readText(const QString &display, const QString &file) const;
    std::optional<qint64> readNumber(const QString &display, const QString &file) const;

    QDBusConnection m_bus;
    QString m_root;
    // The last level asked for per display while logind has not answered: a
    // read meanwhile gives it, so quick key presses build on each other.
    QHash<QString, Request> m_requests;
    bool m_reportedFailure = false;
};
