#pragma once

#include <QDBusConnection>
#include <QList>
#include <QString>

#include <memory>

// A stand-in for the GeoClue2 location service on a test's private bus. Its
// manager hands out one client; each start of that client is answered as the
// test has queued it (locate when nothing is queued).
class GeoClueStandIn {
public:
    enum class Start {
        // Answers the start, then reports the location.
        locate,
        // Answers the start and reports nothing, as GeoClue does while it
        // cannot find the computer.
        stayQuiet,
        // Never answers the start.
        neverAnswer,
    };

    GeoClueStandIn(const QDBusConnection &connection, double latitude, double longitude);
    ~GeoClueStandIn();
    GeoClueStandIn(const GeoClueStandIn &) = delete;
    GeoClueStandIn &operator=(const GeoClueStandIn &) = delete;

    // Whether it holds the service's name on the bus.
    bool isRegistered() const;
    void enqueue(Start answer);

    int starts() const;
    int stops() const;
    QString desktopId() const;

private:
    class Objects;
    QDBusConnection m_connection;
    std::unique_ptr<Objects> m_objects;
    bool m_registered = false;
};
