#include "Platform/MediaRemote/MediaRemote.h"

#include "Platform/MediaRemote/ArtworkLoader.h"

#include <dbus/dbus.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

#include <unistd.h>

#define QUIB_EXPORT extern "C" __attribute__((visibility("default")))

// MPRIS has no notion of "the" now-playing player; users notice at once when
// a widget shows the wrong one. The rule here: a playing player wins over a
// paused or stopped one; among playing players, the one that most recently
// started playing; when none plays, the one that was playing most recently;
// when none has played yet, the one that appeared last.
//
// A player is one bus connection, whatever number of names it owns (browsers
// register a name per instance, "org.mpris.MediaPlayer2.chromium.instance42",
// beside their plain one). Several connections of one process rank like one
// player would: the best of them wins either way.

namespace {

constexpr const char *playerPrefix = "org.mpris.MediaPlayer2.";
constexpr const char *objectPath = "/org/mpris/MediaPlayer2";
constexpr const char *playerInterface = "org.mpris.MediaPlayer2.Player";
constexpr const char *propertiesInterface = "org.freedesktop.DBus.Properties";
// The track id MPRIS reserves for "no track".
constexpr const char *noTrack = "/org/mpris/MediaPlayer2/TrackList/NoTrack";
// A player that does not answer must not hold the bridge for long.
constexpr int callTimeoutMilliseconds = 500;

using Message = std::unique_ptr<DBusMessage, decltype(&dbus_message_unref)>;

Message adopt(DBusMessage *message)
{
    return Message(message, &dbus_message_unref);
}

// Names read from a message are checked before they go back into libdbus,
// which aborts the process on an invalid one. Anyone on the bus can send the
// bridge a signal of any content.
bool isUniqueName(const char *name)
{
    return name && name[0] == ':' && dbus_validate_bus_name(name, nullptr);
}

bool isPlayerName(const char *name)
{
    return name && std::string_view(name).rfind(playerPrefix, 0) == 0 && dbus_validate_bus_name(name, nullptr);
}

// Anyone may send a reply with a guessed serial: only the one asked answers.
bool isAnswerTo(DBusMessage *reply, DBusMessage *call)
{
    return reply && dbus_message_has_sender(reply, dbus_message_get_destination(call));
}

struct Player {
    std::set<std::string> names;
    int32_t pid = 0;
    bool isPlaying = false;
    // Moments of a counter that advances with every event, so no two are
    // equal: when the player last started playing, last stopped playing and
    // appeared.
    uint64_t playingSince = 0;
    uint64_t lastPlaying = 0;
    uint64_t seen = 0;
    std::optional<std::string> title;
    std::optional<std::string> artist;
    std::optional<std::string> album;
    std::optional<std::string> artUrl;
    std::optional<std::string> trackId;
    std::optional<double> length;
    std::optional<double> rate;
    std::optional<bool> shuffle;
    std::optional<std::string> loopStatus;
};

bool ranksAbove(const Player &a, const Player &b)
{
    if (a.isPlaying != b.isPlaying)
        return a.isPlaying;
    if (a.isPlaying)
        return a.playingSince > b.playingSince;
    if (a.lastPlaying != b.lastPlaying)
        return a.lastPlaying > b.lastPlaying;
    return a.seen > b.seen;
}

struct NowPlaying {
    std::string connection;
    Player player;
};

struct Library {
    std::mutex mutex; // guards players and clock
    std::map<std::string, Player> players; // by unique connection name
    uint64_t clock = 0;

    // Method calls go through their own connection, so that the listener's
    // thread alone reads signals from the other one.
    std::mutex callerMutex;
    DBusConnection *caller = nullptr;
    DBusConnection *listener = nullptr;

    MRMediaRemoteNotificationCallback callback = nullptr;
    void *context = nullptr;

    // A fetched image is news for the bridge like any change of a player.
    ArtworkLoader artwork{[this] {
        if (callback)
            callback(context);
    }};

    // The now-playing player has left and the bridge has not read the empty
    // record that says so: without it, the departed player's artwork would
    // stay beside the next one's song. Under `mutex`.
    bool departure = false;

    // Under `mutex`.
    std::string nowPlayingConnection() const
    {
        const std::pair<const std::string, Player> *best = nullptr;
        for (const auto &entry : players) {
            if (!best || ranksAbove(entry.second, best->second))
                best = &entry;
        }
        return best ? best->first : std::string();
    }

    std::optional<NowPlaying> nowPlaying()
    {
        std::lock_guard lock(mutex);
        const std::string connection = nowPlayingConnection();
        if (connection.empty())
            return std::nullopt;
        return NowPlaying{connection, players.at(connection)};
    }

    bool hasDeparture()
    {
        std::lock_guard lock(mutex);
        return departure;
    }

    // True once per departure; asks for another refresh when a player is
    // left to show after the empty record.
    bool takeDeparture()
    {
        bool another = false;
        {
            std::lock_guard lock(mutex);
            if (!std::exchange(departure, false))
                return false;
            another = !players.empty();
        }
        if (another && callback)
            callback(context);
        return true;
    }

    void setPlaying(Player &player, bool playing)
    {
        if (playing && !player.isPlaying)
            player.playingSince = ++clock;
        if (!playing && player.isPlaying)
            player.lastPlaying = ++clock;
        player.isPlaying = playing;
    }

    // Runs `apply` on the players and tells the bridge when the now-playing
    // player changed or `connection` is (or was) the now-playing one.
    void change(const std::string &connection, const std::function<void()> &apply)
    {
        bool relevant = false;
        {
            std::lock_guard lock(mutex);
            const std::string before = nowPlayingConnection();
            apply();
            const std::string after = nowPlayingConnection();
            relevant = before != after || connection == after || connection == before;
            if (!before.empty() && !players.count(before))
                departure = true;
        }
        if (relevant && callback)
            callback(context);
    }

    Message call(DBusMessage *message)
    {
        Message owned = adopt(message);
        std::lock_guard lock(callerMutex);
        if (!caller || !message)
            return adopt(nullptr);
        DBusError error;
        dbus_error_init(&error);
        Message reply = adopt(dbus_connection_send_with_reply_and_block(caller, message, callTimeoutMilliseconds, &error));
        dbus_error_free(&error);
        // Nothing is dispatched on this connection; drop what it queued (late
        // replies, NameAcquired) so it does not pile up.
        while (dbus_connection_dispatch(caller) == DBUS_DISPATCH_DATA_REMAINS) {
        }
        return isAnswerTo(reply.get(), message) ? std::move(reply) : adopt(nullptr);
    }

    void send(DBusMessage *message)
    {
        Message owned = adopt(message);
        std::lock_guard lock(callerMutex);
        if (!caller || !message)
            return;
        dbus_message_set_no_reply(message, TRUE);
        dbus_connection_send(caller, message, nullptr);
        dbus_connection_flush(caller);
    }
};

Library &library()
{
    // Lives until the process ends, like the bridge that loads it.
    static Library *instance = new Library;
    return *instance;
}

// Values of variants, read leniently: players disagree on integer widths.
std::optional<double> numberOf(DBusMessageIter *value)
{
    DBusBasicValue basic;
    switch (dbus_message_iter_get_arg_type(value)) {
    case DBUS_TYPE_DOUBLE:
        dbus_message_iter_get_basic(value, &basic);
        return basic.dbl;
    case DBUS_TYPE_INT64:
        dbus_message_iter_get_basic(value, &basic);
        return static_cast<double>(basic.i64);
    case DBUS_TYPE_UINT64:
        dbus_message_iter_get_basic(value, &basic);
        return static_cast<double>(basic.u64);
    case DBUS_TYPE_INT32:
        dbus_message_iter_get_basic(value, &basic);
        return basic.i32;
    case DBUS_TYPE_UINT32:
        dbus_message_iter_get_basic(value, &basic);
        return basic.u32;
    default:
        return std::nullopt;
    }
}

std::optional<std::string> stringOf(DBusMessageIter *value)
{
    const int type = dbus_message_iter_get_arg_type(value);
    if (type != DBUS_TYPE_STRING && type != DBUS_TYPE_OBJECT_PATH)
        return std::nullopt;
    const char *text = nullptr;
    dbus_message_iter_get_basic(value, &text);
    return std::string(text);
}

// An object path, also when sent as a string (some players do); a text that
// is no valid path gives none.
std::optional<std::string> pathOf(DBusMessageIter *value)
{
    std::optional<std::string> path = stringOf(value);
    if (path && !dbus_validate_path(path->c_str(), nullptr))
        return std::nullopt;
    return path;
}

std::optional<bool> boolOf(DBusMessageIter *value)
{
    if (dbus_message_iter_get_arg_type(value) != DBUS_TYPE_BOOLEAN)
        return std::nullopt;
    dbus_bool_t flag = FALSE;
    dbus_message_iter_get_basic(value, &flag);
    return flag != FALSE;
}

// An array of strings joined with ", " (a single string is taken as is).
std::optional<std::string> joinedStringsOf(DBusMessageIter *value)
{
    if (dbus_message_iter_get_arg_type(value) != DBUS_TYPE_ARRAY)
        return stringOf(value);
    DBusMessageIter element;
    dbus_message_iter_recurse(value, &element);
    std::string joined;
    for (; dbus_message_iter_get_arg_type(&element) == DBUS_TYPE_STRING; dbus_message_iter_next(&element)) {
        const std::string text = *stringOf(&element);
        if (text.empty())
            continue;
        if (!joined.empty())
            joined += ", ";
        joined += text;
    }
    return joined;
}

// Calls `entry(key, value)` for each entry of an a{sv} at `array`, with
// `value` inside the variant.
void forEachEntry(DBusMessageIter *array, const std::function<void(const std::string &, DBusMessageIter *)> &entry)
{
    if (dbus_message_iter_get_arg_type(array) != DBUS_TYPE_ARRAY)
        return;
    DBusMessageIter item;
    dbus_message_iter_recurse(array, &item);
    for (; dbus_message_iter_get_arg_type(&item) == DBUS_TYPE_DICT_ENTRY; dbus_message_iter_next(&item)) {
        DBusMessageIter field;
        dbus_message_iter_recurse(&item, &field);
        const std::optional<std::string> key = stringOf(&field);
        if (!key || !dbus_message_iter_next(&field) || dbus_message_iter_get_arg_type(&field) != DBUS_TYPE_VARIANT)
            continue;
        DBusMessageIter value;
        dbus_message_iter_recurse(&field, &value);
        entry(*key, &value);
    }
}

// The whole metadata is replaced: a key the player leaves out is gone.
void applyMetadata(Player &player, DBusMessageIter *array)
{
    player.title.reset();
    player.artist.reset();
    player.album.reset();
    player.artUrl.reset();
    player.trackId.reset();
    player.length.reset();
    forEachEntry(array, [&player](const std::string &key, DBusMessageIter *value) {
        if (key == "xesam:title")
            player.title = stringOf(value);
        else if (key == "xesam:artist")
            player.artist = joinedStringsOf(value);
        else if (key == "xesam:album")
            player.album = stringOf(value);
        else if (key == "mpris:artUrl")
            player.artUrl = stringOf(value);
        else if (key == "mpris:trackid") {
            player.trackId = pathOf(value);
            if (player.trackId == noTrack)
                player.trackId.reset();
        }
        else if (key == "mpris:length") {
            if (const auto microseconds = numberOf(value))
                player.length = *microseconds / 1e6;
        }
    });
}

// Under the library's mutex.
void applyProperties(Library &lib, Player &player, DBusMessageIter *array)
{
    forEachEntry(array, [&lib, &player](const std::string &key, DBusMessageIter *value) {
        if (key == "PlaybackStatus") {
            if (const auto status = stringOf(value))
                lib.setPlaying(player, *status == "Playing");
        } else if (key == "Metadata") {
            applyMetadata(player, value);
        } else if (key == "Rate") {
            player.rate = numberOf(value);
        } else if (key == "Shuffle") {
            player.shuffle = boolOf(value);
        } else if (key == "LoopStatus") {
            player.loopStatus = stringOf(value);
        }
    });
}

DBusMessage *methodCall(const std::string &destination, const char *path, const char *interface, const char *method)
{
    return dbus_message_new_method_call(destination.c_str(), path, interface, method);
}

DBusMessage *propertyCall(const std::string &connection, const char *method, const char *property = nullptr)
{
    DBusMessage *message = methodCall(connection, objectPath, propertiesInterface, method);
    const char *interface = playerInterface;
    if (property)
        dbus_message_append_args(message, DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &property, DBUS_TYPE_INVALID);
    else
        dbus_message_append_args(message, DBUS_TYPE_STRING, &interface, DBUS_TYPE_INVALID);
    return message;
}

DBusMessage *busCall(const char *method, const std::string &argument)
{
    DBusMessage *message = dbus_message_new_method_call(DBUS_SERVICE_DBUS, DBUS_PATH_DBUS, DBUS_INTERFACE_DBUS, method);
    const char *text = argument.c_str();
    dbus_message_append_args(message, DBUS_TYPE_STRING, &text, DBUS_TYPE_INVALID);
    return message;
}

int32_t processOf(Library &lib, const std::string &connection)
{
    Message reply = lib.call(busCall("GetConnectionUnixProcessID", connection));
    dbus_uint32_t pid = 0;
    if (!reply || !dbus_message_get_args(reply.get(), nullptr, DBUS_TYPE_UINT32, &pid, DBUS_TYPE_INVALID))
        return 0;
    return static_cast<int32_t>(pid);
}

void applyAllProperties(Library &lib, const std::string &connection, DBusMessage *reply)
{
    DBusMessageIter array;
    if (!reply || !dbus_message_iter_init(reply, &array))
        return;
    const auto it = lib.players.find(connection);
    if (it != lib.players.end())
        applyProperties(lib, it->second, &array);
}

void onAllProperties(DBusPendingCall *pending, void *data)
{
    Library &lib = library();
    const std::string &connection = *static_cast<std::string *>(data);
    Message reply = adopt(dbus_pending_call_steal_reply(pending));
    if (reply && !dbus_message_has_sender(reply.get(), connection.c_str()))
        return;
    lib.change(connection, [&] { applyAllProperties(lib, connection, reply.get()); });
}

// Asks a player for all its values. The reply comes on the listener, behind
// the signals the player sent before it: values read synchronously could be
// newer than signals of other players still waiting in the queue, and would
// then be applied in the wrong order.
void requestAllProperties(Library &lib, const std::string &connection)
{
    DBusPendingCall *pending = nullptr;
    Message call = adopt(propertyCall(connection, "GetAll"));
    if (!dbus_connection_send_with_reply(lib.listener, call.get(), &pending, callTimeoutMilliseconds) || !pending)
        return;
    dbus_pending_call_set_notify(pending, onAllProperties, new std::string(connection), [](void *data) { delete static_cast<std::string *>(data); });
    dbus_pending_call_unref(pending);
}

enum class Reading { now, inOrderWithSignals };

void addName(Library &lib, const std::string &connection, const std::string &name, Reading reading)
{
    if (!isUniqueName(connection.c_str()) || !isPlayerName(name.c_str()))
        return;
    {
        std::lock_guard lock(lib.mutex);
        if (const auto it = lib.players.find(connection); it != lib.players.end()) {
            it->second.names.insert(name);
            return;
        }
    }
    // Asked outside the lock: a slow player must not block the readers.
    const int32_t pid = processOf(lib, connection);
    Message properties = reading == Reading::now ? lib.call(propertyCall(connection, "GetAll")) : adopt(nullptr);
    lib.change(connection, [&] {
        auto [it, added] = lib.players.try_emplace(connection);
        it->second.names.insert(name);
        if (!added)
            return;
        it->second.pid = pid;
        it->second.seen = ++lib.clock;
        applyAllProperties(lib, connection, properties.get());
    });
    if (reading == Reading::inOrderWithSignals)
        requestAllProperties(lib, connection);
}

// Only the bus daemon tells who owns a name: any other connection can send
// this signal straight to the bridge, past its match rules.
void onNameOwnerChanged(Library &lib, DBusMessage *message)
{
    const char *name = nullptr;
    const char *oldOwner = nullptr;
    const char *newOwner = nullptr;
    if (!dbus_message_has_sender(message, DBUS_SERVICE_DBUS) || !dbus_message_has_path(message, DBUS_PATH_DBUS)
        || !dbus_message_get_args(message, nullptr, DBUS_TYPE_STRING, &name, DBUS_TYPE_STRING, &oldOwner, DBUS_TYPE_STRING, &newOwner,
                                  DBUS_TYPE_INVALID)
        || !isPlayerName(name) || (*oldOwner && !isUniqueName(oldOwner)) || (*newOwner && !isUniqueName(newOwner)))
        return;
    if (*oldOwner) {
        const std::string connection = oldOwner;
        lib.change(connection, [&] {
            const auto it = lib.players.find(connection);
            if (it == lib.players.end())
                return;
            it->second.names.erase(name);
            if (it->second.names.empty())
                lib.players.erase(it);
        });
    }
    if (*newOwner)
        addName(lib, newOwner, name, Reading::inOrderWithSignals);
}

// The connection of a known player that sent `message` from the player's
// object, else none: other connections' signals are ignored.
std::optional<std::string> playerSending(Library &lib, DBusMessage *message)
{
    const char *sender = dbus_message_get_sender(message);
    if (!isUniqueName(sender) || !dbus_message_has_path(message, objectPath))
        return std::nullopt;
    std::lock_guard lock(lib.mutex);
    if (!lib.players.count(sender))
        return std::nullopt;
    return std::string(sender);
}

void onPropertiesChanged(Library &lib, DBusMessage *message)
{
    const std::optional<std::string> sender = playerSending(lib, message);
    DBusMessageIter argument;
    if (!sender || !dbus_message_iter_init(message, &argument))
        return;
    const std::optional<std::string> interface = stringOf(&argument);
    if (interface != playerInterface || !dbus_message_iter_next(&argument))
        return;
    const std::string &connection = *sender;
    DBusMessageIter changed = argument;
    bool invalidated = false;
    if (dbus_message_iter_next(&argument) && dbus_message_iter_get_arg_type(&argument) == DBUS_TYPE_ARRAY) {
        DBusMessageIter names;
        dbus_message_iter_recurse(&argument, &names);
        invalidated = dbus_message_iter_get_arg_type(&names) == DBUS_TYPE_STRING;
    }
    lib.change(connection, [&] {
        const auto it = lib.players.find(connection);
        if (it != lib.players.end())
            applyProperties(lib, it->second, &changed);
    });
    // A player may announce only that values changed; then read them all.
    if (invalidated)
        requestAllProperties(lib, connection);
}

DBusHandlerResult filter(DBusConnection *, DBusMessage *message, void *)
{
    Library &lib = library();
    if (dbus_message_is_signal(message, DBUS_INTERFACE_DBUS, "NameOwnerChanged")) {
        onNameOwnerChanged(lib, message);
    } else if (dbus_message_is_signal(message, propertiesInterface, "PropertiesChanged")) {
        onPropertiesChanged(lib, message);
    } else if (dbus_message_is_signal(message, playerInterface, "Seeked")) {
        // The position itself is read at each refresh.
        if (const std::optional<std::string> sender = playerSending(lib, message))
            lib.change(*sender, [] {});
    }
    return DBUS_HANDLER_RESULT_NOT_YET_HANDLED;
}

void discoverPlayers(Library &lib)
{
    Message reply = lib.call(dbus_message_new_method_call(DBUS_SERVICE_DBUS, DBUS_PATH_DBUS, DBUS_INTERFACE_DBUS, "ListNames"));
    char **names = nullptr;
    int count = 0;
    if (!reply || !dbus_message_get_args(reply.get(), nullptr, DBUS_TYPE_ARRAY, DBUS_TYPE_STRING, &names, &count, DBUS_TYPE_INVALID))
        return;
    for (int i = 0; i < count; ++i) {
        if (!isPlayerName(names[i]))
            continue;
        const std::string name = names[i];
        Message owner = lib.call(busCall("GetNameOwner", name));
        const char *connection = nullptr;
        if (owner && dbus_message_get_args(owner.get(), nullptr, DBUS_TYPE_STRING, &connection, DBUS_TYPE_INVALID))
            addName(lib, connection, name, Reading::now);
    }
    dbus_free_string_array(names);
}

std::optional<int> repeatModeOf(const std::optional<std::string> &loopStatus)
{
    if (loopStatus == "None")
        return 0;
    if (loopStatus == "Track")
        return 1;
    if (loopStatus == "Playlist")
        return 2;
    return std::nullopt;
}

DBusMessage *setProperty(const std::string &connection, const char *property, int type, const void *value)
{
    DBusMessage *message = propertyCall(connection, "Set", property);
    DBusMessageIter arguments;
    DBusMessageIter variant;
    const char signature[2] = {static_cast<char>(type), '\0'};
    dbus_message_iter_init_append(message, &arguments);
    dbus_message_iter_open_container(&arguments, DBUS_TYPE_VARIANT, signature, &variant);
    dbus_message_iter_append_basic(&variant, type, value);
    dbus_message_iter_close_container(&arguments, &variant);
    return message;
}

// The player's position in microseconds, read now: players announce it only
// when it jumps.
std::optional<double> positionOf(Library &lib, const std::string &connection)
{
    Message reply = lib.call(propertyCall(connection, "Get", "Position"));
    DBusMessageIter variant;
    if (!reply || !dbus_message_iter_init(reply.get(), &variant) || dbus_message_iter_get_arg_type(&variant) != DBUS_TYPE_VARIANT)
        return std::nullopt;
    DBusMessageIter value;
    dbus_message_iter_recurse(&variant, &value);
    return numberOf(&value);
}

double secondsSince1970()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

} // namespace

QUIB_EXPORT void MRMediaRemoteRegisterForNowPlayingNotifications(MRMediaRemoteNotificationCallback callback, void *context)
{
    Library &lib = library();
    if (lib.listener)
        return;
    lib.callback = callback;
    lib.context = context;

    DBusError error;
    dbus_error_init(&error);
    DBusConnection *caller = dbus_bus_get_private(DBUS_BUS_SESSION, &error);
    DBusConnection *listener = caller ? dbus_bus_get_private(DBUS_BUS_SESSION, &error) : nullptr;
    if (!listener) {
        std::fprintf(stderr, "quib-bridge: no session bus, no players: %s\n", error.message ? error.message : "unknown error");
        std::fflush(stderr);
        dbus_error_free(&error);
        if (caller) {
            dbus_connection_close(caller);
            dbus_connection_unref(caller);
        }
        return;
    }
    dbus_connection_set_exit_on_disconnect(caller, FALSE);
    dbus_connection_set_exit_on_disconnect(listener, FALSE);
    {
        std::lock_guard lock(lib.callerMutex);
        lib.caller = caller;
    }
    lib.listener = listener;

    const char *rules[] = {
        "type='signal',sender='org.freedesktop.DBus',interface='org.freedesktop.DBus',member='NameOwnerChanged',"
        "arg0namespace='org.mpris.MediaPlayer2'",
        "type='signal',interface='org.freedesktop.DBus.Properties',member='PropertiesChanged',path='/org/mpris/MediaPlayer2',"
        "arg0='org.mpris.MediaPlayer2.Player'",
        "type='signal',interface='org.mpris.MediaPlayer2.Player',member='Seeked',path='/org/mpris/MediaPlayer2'",
    };
    for (const char *rule : rules) {
        dbus_bus_add_match(listener, rule, &error);
        if (dbus_error_is_set(&error)) {
            std::fprintf(stderr, "quib-bridge: could not follow players: %s\n", error.message);
            dbus_error_free(&error);
        }
    }
    dbus_connection_add_filter(listener, filter, nullptr, nullptr);
    // Signals that arrive meanwhile wait in the listener's queue.
    discoverPlayers(lib);

    std::thread([listener] {
        while (dbus_connection_read_write_dispatch(listener, -1)) {
        }
        // Without the bus nothing will change again. Ending lets the app start
        // a fresh bridge, which connects anew.
        std::fprintf(stderr, "quib-bridge: lost the session bus\n");
        std::fflush(stderr);
        _exit(1);
    }).detach();
}

QUIB_EXPORT void MRMediaRemoteGetNowPlayingInfo(MRMediaRemoteNowPlayingInfoCallback callback, void *context)
{
    Library &lib = library();
    MRNowPlayingInfo info{};
    if (lib.takeDeparture()) {
        callback(&info, context);
        return;
    }
    const std::optional<NowPlaying> now = lib.nowPlaying();
    if (!now) {
        callback(nullptr, context);
        return;
    }
    const Player &player = now->player;
    info.title = player.title ? player.title->c_str() : nullptr;
    info.artist = player.artist ? player.artist->c_str() : nullptr;
    info.album = player.album ? player.album->c_str() : nullptr;
    info.hasDuration = player.length.has_value();
    info.duration = player.length.value_or(0);
    info.hasPlaybackRate = player.rate.has_value();
    info.playbackRate = player.rate.value_or(0);
    info.hasShuffleMode = player.shuffle.has_value();
    info.shuffleMode = player.shuffle.value_or(false) ? 1 : 0;
    const std::optional<int> repeat = repeatModeOf(player.loopStatus);
    info.hasRepeatMode = repeat.has_value();
    info.repeatMode = repeat.value_or(0);

    // Players announce the position only when it jumps, so it is read now.
    if (const std::optional<double> microseconds = positionOf(lib, now->connection)) {
        info.hasElapsedTime = 1;
        info.elapsedTime = *microseconds / 1e6;
        info.hasTimestamp = 1;
        info.timestamp = secondsSince1970();
    }

    const ArtworkLoader::Image artwork = player.artUrl ? lib.artwork.image(*player.artUrl) : nullptr;
    info.artworkData = artwork ? artwork->data() : nullptr;
    info.artworkDataLength = artwork ? artwork->size() : 0;
    callback(&info, context);
}

QUIB_EXPORT void MRMediaRemoteGetNowPlayingApplicationIsPlaying(MRMediaRemoteIsPlayingCallback callback, void *context)
{
    Library &lib = library();
    const std::optional<NowPlaying> now = lib.hasDeparture() ? std::nullopt : lib.nowPlaying();
    callback(now && now->player.isPlaying ? 1 : 0, context);
}

QUIB_EXPORT void MRMediaRemoteGetNowPlayingApplicationPID(MRMediaRemotePIDCallback callback, void *context)
{
    Library &lib = library();
    const std::optional<NowPlaying> now = lib.hasDeparture() ? std::nullopt : lib.nowPlaying();
    callback(now ? now->player.pid : 0, context);
}

QUIB_EXPORT int MRMediaRemoteSendCommand(int32_t command, const void *)
{
    Library &lib = library();
    const std::optional<NowPlaying> now = lib.nowPlaying();
    if (!now)
        return 0;
    const auto player = [&now](const char *method) { return methodCall(now->connection, objectPath, playerInterface, method); };
    switch (command) {
    case MRMediaRemoteCommandPlay:
        lib.send(player("Play"));
        return 1;
    case MRMediaRemoteCommandPause:
        lib.send(player("Pause"));
        return 1;
    case MRMediaRemoteCommandTogglePlayPause:
        lib.send(player("PlayPause"));
        return 1;
    case MRMediaRemoteCommandNextTrack:
        lib.send(player("Next"));
        return 1;
    case MRMediaRemoteCommandPreviousTrack:
        lib.send(player("Previous"));
        return 1;
    case MRMediaRemoteCommandAdvanceShuffleMode: {
        const dbus_bool_t shuffle = now->player.shuffle.value_or(false) ? FALSE : TRUE;
        lib.send(setProperty(now->connection, "Shuffle", DBUS_TYPE_BOOLEAN, &shuffle));
        return 1;
    }
    case MRMediaRemoteCommandAdvanceRepeatMode: {
        static const char *const cycle[] = {"Track", "Playlist", "None"};
        const char *next = cycle[repeatModeOf(now->player.loopStatus).value_or(0)];
        lib.send(setProperty(now->connection, "LoopStatus", DBUS_TYPE_STRING, &next));
        return 1;
    }
    default:
        return 0;
    }
}

QUIB_EXPORT void MRMediaRemoteSetElapsedTime(double seconds)
{
    Library &lib = library();
    const std::optional<NowPlaying> now = lib.nowPlaying();
    if (!now || !std::isfinite(seconds))
        return;
    const dbus_int64_t target = std::llround(std::clamp(seconds, 0.0, 9.0e12) * 1e6);
    // MPRIS moves to a position only within the track it names; a player
    // that names none still takes a jump relative to where it is.
    if (now->player.trackId) {
        DBusMessage *message = methodCall(now->connection, objectPath, playerInterface, "SetPosition");
        const char *track = now->player.trackId->c_str();
        dbus_message_append_args(message, DBUS_TYPE_OBJECT_PATH, &track, DBUS_TYPE_INT64, &target, DBUS_TYPE_INVALID);
        lib.send(message);
        return;
    }
    const std::optional<double> position = positionOf(lib, now->connection);
    if (!position || !std::isfinite(*position)) {
        std::fprintf(stderr, "quib-bridge: cannot seek: the player reports neither a track id nor its position\n");
        std::fflush(stderr);
        return;
    }
    DBusMessage *message = methodCall(now->connection, objectPath, playerInterface, "Seek");
    const dbus_int64_t offset = target - std::llround(std::clamp(*position, 0.0, 9.0e18));
    dbus_message_append_args(message, DBUS_TYPE_INT64, &offset, DBUS_TYPE_INVALID);
    lib.send(message);
}
