#pragma once

#include <QString>
#include <QUrl>

#include <optional>

class Workspace;

// Finds the video-meeting link of a calendar event and, when the meeting
// application is installed, turns a Zoom or Teams web link into the
// application's own link.
class MeetingLink {
public:
    struct Found {
        QUrl url;
        // The provider's label, for example "Zoom".
        QString provider;
        bool operator==(const Found &) const = default;
    };

    MeetingLink() = delete;

    // The event's URL field when it is a meeting link; else the first meeting
    // link in the location text, then in the notes.
    static std::optional<Found> find(const std::optional<QUrl> &url, const std::optional<QString> &location, const std::optional<QString> &notes);
    // The meeting application's own link for a Zoom "/j/" or a Teams web
    // link, when that application is installed; none otherwise.
    static std::optional<QUrl> nativeURL(const QUrl &url, const Workspace &workspace);
    // The provider label of the first matching row of the provider table.
    static std::optional<QString> provider(const QUrl &url);
    // Whether an application opens links like `urlText` ("zoommtg://").
    static bool installed(const QString &urlText, const Workspace &workspace);
    // The links in a text, in order (http, https and "www." links).
    static QList<QUrl> detectLinks(const QString &text);
};
