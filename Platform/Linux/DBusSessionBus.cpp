#include "Platform/Linux/DBusSessionBus.h"

#include <dbus/dbus.h>
#include <glib.h>

#include <cstdio>
#include <memory>

namespace {

using Message = std::unique_ptr<DBusMessage, decltype(&dbus_message_unref)>;

// The bus refuses text that is not UTF-8 and drops the connection that
// sends it.
std::string validUtf8(const std::string &text)
{
    gchar *valid = g_utf8_make_valid(text.c_str(), -1);
    std::string result = valid;
    g_free(valid);
    return result;
}

bool appendString(DBusMessageIter *iterator, const std::string &text)
{
    const std::string valid = validUtf8(text);
    const char *value = valid.c_str();
    return dbus_message_iter_append_basic(iterator, DBUS_TYPE_STRING, &value);
}

// "object" and the dictionary of strings (a{ss}).
bool appendArguments(DBusMessage *message, const std::string &object, const SessionBus::UserInfo &userInfo)
{
    DBusMessageIter arguments;
    DBusMessageIter dictionary;
    dbus_message_iter_init_append(message, &arguments);
    if (!appendString(&arguments, object) || !dbus_message_iter_open_container(&arguments, DBUS_TYPE_ARRAY, "{ss}", &dictionary))
        return false;
    for (const auto &[key, value] : userInfo) {
        DBusMessageIter entry;
        if (!dbus_message_iter_open_container(&dictionary, DBUS_TYPE_DICT_ENTRY, nullptr, &entry) || !appendString(&entry, key)
            || !appendString(&entry, value) || !dbus_message_iter_close_container(&dictionary, &entry))
            return false;
    }
    return dbus_message_iter_close_container(&arguments, &dictionary);
}

} // namespace

DBusConnection *DBusSessionBus::connection()
{
    if (m_connected)
        return m_connection;
    m_connected = true;
    DBusError error;
    dbus_error_init(&error);
    m_connection = dbus_bus_get_private(DBUS_BUS_SESSION, &error);
    dbus_error_free(&error);
    if (m_connection)
        dbus_connection_set_exit_on_disconnect(m_connection, false);
    return m_connection;
}

DBusSessionBus::~DBusSessionBus()
{
    if (!m_connection)
        return;
    dbus_connection_flush(m_connection);
    dbus_connection_close(m_connection);
    dbus_connection_unref(m_connection);
}

void DBusSessionBus::post(const std::string &name, const std::string &object, const UserInfo &userInfo)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return;
    const std::string interface = name.substr(0, dot);
    const std::string member = name.substr(dot + 1);
    if (!dbus_validate_interface(interface.c_str(), nullptr) || !dbus_validate_member(member.c_str(), nullptr) || !connection())
        return;
    const Message message(dbus_message_new_signal(objectPath, interface.c_str(), member.c_str()), &dbus_message_unref);
    if (message && appendArguments(message.get(), object, userInfo))
        dbus_connection_send(m_connection, message.get(), nullptr);
}

std::optional<long> DBusSessionBus::ownerProcessId(const std::string &busName)
{
    if (!dbus_validate_bus_name(busName.c_str(), nullptr) || !connection())
        return std::nullopt;
    const Message call(dbus_message_new_method_call(DBUS_SERVICE_DBUS, DBUS_PATH_DBUS, DBUS_INTERFACE_DBUS, "GetConnectionUnixProcessID"),
                       &dbus_message_unref);
    const char *name = busName.c_str();
    if (!call || !dbus_message_append_args(call.get(), DBUS_TYPE_STRING, &name, DBUS_TYPE_INVALID))
        return std::nullopt;
    DBusError error;
    dbus_error_init(&error);
    // Messages on one connection leave in order: the answer also means that
    // what was posted before has been written.
    const Message reply(dbus_connection_send_with_reply_and_block(m_connection, call.get(), 5000, &error), &dbus_message_unref);
    dbus_uint32_t pid = 0;
    const bool answered = reply && dbus_message_get_args(reply.get(), &error, DBUS_TYPE_UINT32, &pid, DBUS_TYPE_INVALID);
    dbus_error_free(&error);
    return answered ? std::optional<long>(pid) : std::nullopt;
}
