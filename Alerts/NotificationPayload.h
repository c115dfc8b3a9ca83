#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The payload of a notification record: a property list (XML or binary)
// whose top-level dictionary holds, under "req", a dictionary with the
// texts under "titl", "subt" and "body".
namespace NotificationPayload {

constexpr int maximumTitleLength = 80;
constexpr int maximumSubtitleLength = 80;
constexpr int maximumBodyLength = 240;

struct Texts {
    QString title;
    QString subtitle;
    QString body;
    bool operator==(const Texts &) const = default;
};

// The texts, trimmed and cut to their maximum lengths (in user-perceived
// characters); none when the bytes are not a property list with a "req"
// dictionary. A text that is missing or not a string is empty.
std::optional<Texts> decode(const QByteArray &bytes);

// One line for the diagnostic dump: "-" when the payload is not a
// dictionary, else "top[<keys>] req[<keys>] decode=<true|false>", or
// "sem req" in place of the second list when there is no "req" dictionary.
QString summary(const QByteArray &bytes);

} // namespace NotificationPayload
