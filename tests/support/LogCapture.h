#pragma once

#include <QStringList>
#include <QtGlobal>

// Collects the log messages written while it exists (and still prints
// them), so a test can check what was logged.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    // The messages so far that start with `prefix`.
    QStringList messages(const QString &prefix) const;

private:
    QtMessageHandler m_previous;
};
