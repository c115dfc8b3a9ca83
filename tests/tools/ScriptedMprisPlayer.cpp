// A media player for tests: it owns "org.mpris.MediaPlayer2.<name>" on the
// session bus and implements MPRIS 2 as players do, driven by lines on its
// standard input. It prints "ready" once on the bus, "ok" after each input
// line it has handled, and "call <Method> <arguments>" for each method call
// and property write it receives.
//
// Input lines:
//   status Playing|Paused|Stopped
//   metadata {"title": "...", "artist": ["..."], "album": "...",
//             "length": <µs>, "artUrl": "...", "trackid": "/..."}
//                          ("trackidString": the track id as a plain string,
//                          as some players send it)
//   position <µs>          the position, without a signal (as players do)
//   seeked <µs>            the position, with the Seeked signal
//   rate <number>
//   shuffle true|false
//   loop None|Track|Playlist
//   register <name>        owns one more name on the same connection
//   unregister <name>
//   quit

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>

#include <cstdio>

#include <unistd.h>

namespace {

const QString objectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

void say(const QString &line)
{
    std::fprintf(stdout, "%s\n", qPrintable(line));
    std::fflush(stdout);
}

} // namespace

class Player : public QObject {
    Q_OBJECT
public:
    QString status = QStringLiteral("Stopped");
    QString loopStatus = QStringLiteral("None");
    double rate = 1.0;
    bool shuffle = false;
    qlonglong position = 0;
    QVariantMap metadata;

    void announce(const QVariantMap &changed)
    {
        QDBusMessage signal = QDBusMessage::createSignal(objectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                         QStringLiteral("PropertiesChanged"));
        signal << playerInterface << changed << QStringList();
        QDBusConnection::sessionBus().send(signal);
    }
    void setStatus(const QString &value)
    {
        status = value;
        announce({{QStringLiteral("PlaybackStatus"), status}});
    }
    void seekTo(qlonglong microseconds)
    {
        position = microseconds;
        QDBusMessage signal = QDBusMessage::createSignal(objectPath, playerInterface, QStringLiteral("Seeked"));
        signal << position;
        QDBusConnection::sessionBus().send(signal);
    }
};

class RootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(bool CanQuit READ no)
    Q_PROPERTY(bool CanRaise READ no)
    Q_PROPERTY(bool HasTrackList READ no)
public:
    explicit RootAdaptor(Player *player)
        : QDBusAbstractAdaptor(player)
    {
    }
    QString identity() const { return QStringLiteral("Scripted player"); }
    bool no() const { return false; }
public Q_SLOTS:
    void Raise() { say(QStringLiteral("call Raise")); }
    void Quit() { say(QStringLiteral("call Quit")); }
};

class PlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QString LoopStatus READ loopStatus WRITE setLoopStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(bool Shuffle READ shuffle WRITE setShuffle)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanControl READ yes)
    Q_PROPERTY(bool CanPlay READ yes)
    Q_PROPERTY(bool CanPause READ yes)
    Q_PROPERTY(bool CanSeek READ yes)
    Q_PROPERTY(bool CanGoNext READ yes)
    Q_PROPERTY(bool CanGoPrevious READ yes)
public:
    explicit PlayerAdaptor(Player *player)
        : QDBusAbstractAdaptor(player)
        , m_player(player)
    {
    }
    QString playbackStatus() const { return m_player->status; }
    QString loopStatus() const { return m_player->loopStatus; }
    void setLoopStatus(const QString &value)
    {
        say(QStringLiteral("call LoopStatus %1").arg(value));
        m_player->loopStatus = value;
        m_player->announce({{QStringLiteral("LoopStatus"), value}});
    }
    double rate() const { return m_player->rate; }
    void setRate(double value)
    {
        say(QStringLiteral("call Rate %1").arg(value));
        m_player->rate = value;
        m_player->announce({{QStringLiteral("Rate"), value}});
    }
    bool shuffle() const { return m_player->shuffle; }
    void setShuffle(bool value)
    {
        say(QStringLiteral("call Shuffle %1").arg(value ? QStringLiteral("true") : QStringLiteral("false")));
        m_player->shuffle = value;
        m_player->announce({{QStringLiteral("Shuffle"), value}});
    }
    QVariantMap metadata() const { return m_player->metadata; }
    qlonglong position() const { return m_player->position; }
    bool yes() const { return true; }

public Q_SLOTS:
    void PlayPause()
    {
        say(QStringLiteral("call PlayPause"));
        m_player->setStatus(m_player->status == u"Playing" ? QStringLiteral("Paused") : QStringLiteral("Playing"));
    }
    void Play()
    {
        say(QStringLiteral("call Play"));
        m_player->setStatus(QStringLiteral("Playing"));
    }
    void Pause()
    {
        say(QStringLiteral("call Pause"));
        m_player->setStatus(QStringLiteral("Paused"));
    }
    void Stop()
    {
        say(QStringLiteral("call Stop"));
        m_player->setStatus(QStringLiteral("Stopped"));
    }
    void Next() { say(QStringLiteral("call Next")); }
    void Previous() { say(QStringLiteral("call Previous")); }
    void Seek(qlonglong offset)
    {
        say(QStringLiteral("call Seek %1").arg(offset));
        m_player->seekTo(m_player->position + offset);
    }
    void SetPosition(const QDBusObjectPath &track, qlonglong microseconds)
    {
        say(QStringLiteral("call SetPosition %1 %2").arg(track.path()).arg(microseconds));
        if (track.path() == m_player->metadata.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path())
            m_player->seekTo(microseconds);
    }

private:
    Player *m_player;
};

namespace {

QVariantMap metadataFrom(const QJsonObject &object)
{
    QVariantMap metadata;
    if (object.contains(u"title"))
        metadata.insert(QStringLiteral("xesam:title"), object.value(u"title").toString());
    if (object.value(u"artist").isArray())
        metadata.insert(QStringLiteral("xesam:artist"), object.value(u"artist").toVariant().toStringList());
    if (object.contains(u"album"))
        metadata.insert(QStringLiteral("xesam:album"), object.value(u"album").toString());
    if (object.contains(u"length"))
        metadata.insert(QStringLiteral("mpris:length"), static_cast<qlonglong>(object.value(u"length").toDouble()));
    if (object.contains(u"artUrl"))
        metadata.insert(QStringLiteral("mpris:artUrl"), object.value(u"artUrl").toString());
    if (object.contains(u"trackid"))
        metadata.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(object.value(u"trackid").toString())));
    if (object.contains(u"trackidString"))
        metadata.insert(QStringLiteral("mpris:trackid"), object.value(u"trackidString").toString());
    return metadata;
}

QString busName(const QString &name)
{
    return QStringLiteral("org.mpris.MediaPlayer2.") + name;
}

// Qt writes signals from a thread of its own. A round trip to the bus daemon
// returns only after the daemon has routed everything sent before it, so a
// test that waits for "ok" knows that the others on the bus will see this
// player's signals before anything the test does next.
void settle()
{
    QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus.Peer"),
        QStringLiteral("Ping")));
}

void handle(Player &player, const QString &line)
{
    const QString word = line.section(u' ', 0, 0);
    const QString rest = line.section(u' ', 1);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (word == u"status") {
        player.setStatus(rest);
    } else if (word == u"metadata") {
        player.metadata = metadataFrom(QJsonDocument::fromJson(rest.toUtf8()).object());
        player.announce({{QStringLiteral("Metadata"), player.metadata}});
    } else if (word == u"position") {
        player.position = rest.toLongLong();
    } else if (word == u"seeked") {
        player.seekTo(rest.toLongLong());
    } else if (word == u"rate") {
        player.rate = rest.toDouble();
        player.announce({{QStringLiteral("Rate"), player.rate}});
    } else if (word == u"shuffle") {
        player.shuffle = rest == u"true";
        player.announce({{QStringLiteral("Shuffle"), player.shuffle}});
    } else if (word == u"loop") {
        player.loopStatus = rest;
        player.announce({{QStringLiteral("LoopStatus"), rest}});
    } else if (word == u"register") {
        bus.registerService(busName(rest));
    } else if (word == u"unregister") {
        bus.unregisterService(busName(rest));
    } else if (word == u"quit") {
        // Names released now leave the bus in order with this player's
        // signals, not whenever the daemon notices the closed connection.
        for (const QString &name : bus.interface()->registeredServiceNames().value()) {
            if (name.startsWith(u"org.mpris.MediaPlayer2.") && bus.interface()->serviceOwner(name).value() == bus.baseService())
                bus.unregisterService(name);
        }
        settle();
        QCoreApplication::quit();
        return;
    } else {
        say(QStringLiteral("unknown %1").arg(line));
        return;
    }
    settle();
    say(QStringLiteral("ok"));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    const qsizetype nameIndex = arguments.indexOf(QStringLiteral("--name"));
    const QString name = nameIndex >= 0 && nameIndex + 1 < arguments.size() ? arguments.at(nameIndex + 1) : QStringLiteral("scripted");

    Player player;
    new RootAdaptor(&player);
    new PlayerAdaptor(&player);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(objectPath, &player, QDBusConnection::ExportAdaptors) || !bus.registerService(busName(name))) {
        std::fprintf(stderr, "scripted-mpris-player: cannot own %s: %s\n", qPrintable(busName(name)), qPrintable(bus.lastError().message()));
        return 1;
    }

    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &application, [&] {
        char buffer[4096];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0) {
            QCoreApplication::quit();
            return;
        }
        pending.append(buffer, count);
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            const QString line = QString::fromUtf8(pending.left(end));
            pending.remove(0, end + 1);
            handle(player, line);
        }
    });
    say(QStringLiteral("ready"));
    return application.exec();
}

#include "ScriptedMprisPlayer.moc"
