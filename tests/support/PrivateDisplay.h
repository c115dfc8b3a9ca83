#pragma once

#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

// A private X server (Xvfb) for one test, on a display number the server
// picks itself. Stopped when destroyed.
class PrivateDisplay {
public:
    explicit PrivateDisplay(QSize size = QSize(1280, 800));
    ~PrivateDisplay();
    PrivateDisplay(const PrivateDisplay &) = delete;
    PrivateDisplay &operator=(const PrivateDisplay &) = delete;

    bool isRunning() const { return !m_name.isEmpty(); }
    // The value for DISPLAY, ":N".
    QString name() const { return m_name; }

    // Sets the desktop's work area (_NET_WORKAREA of the root window), as a
    // desktop environment does when its panels take space.
    bool setWorkArea(const QRect &area);

    // Runs xdotool on this display (synthetic keys and pointer) and waits
    // for it.
    void xdotool(const QStringList &arguments) const;
    // Moves the pointer to `to` as a mouse does, with a device motion the
    // server reports to whoever follows raw motion (a warp alone is not one).
    void movePointer(const QPoint &to) const;

private:
    QProcess m_server;
    QString m_name;
};
