#pragma once

#include "Platform/ProcessTree.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class QObject;

// A panel of the desktop's settings.
enum class SettingsPanel {
    location,
    bluetooth,
    // Where the desktop's own use of shortcut and media keys is set.
    keyboardShortcuts,
};

// Running applications and installed applications. An application's bundle
// identifier is its desktop-entry id ("org.gnome.Terminal", "spotify"); its
// URL is the path of its desktop entry.
class Workspace : public ProcessTree {
public:
    // Every running process of the application `bundleIdentifier`.
    virtual QList<RunningApplication> runningApplications(const QString &bundleIdentifier) const = 0;
    // The application of the active window.
    virtual std::optional<RunningApplication> frontmostApplication() const = 0;
    // The installed application with that identifier.
    virtual std::optional<QString> urlForApplication(const QString &bundleIdentifier) const = 0;
    // The name a file manager shows for the application at `url`.
    virtual QString displayName(const QString &url) const = 0;
    // The icon of the application at `url`; a null image when it has none.
    virtual QImage iconForApplication(const QString &url) const = 0;
    // Replaces the clipboard's content with `text`.
    virtual void setClipboardText(const QString &text) = 0;

    // Brings a running application's windows to the front.
    virtual bool activate(const RunningApplication &application) = 0;
    // Starts the application at `url`, without waiting for it.
    virtual void openApplication(const QString &url) = 0;

    // Whether an installed application opens links like `url` (by scheme).
    virtual bool canOpen(const QUrl &url) const = 0;
    // Opens a link in the application registered for it, or the browser.
    virtual void open(const QUrl &url) = 0;
    // Starts the desktop's settings at `panel`, without waiting for it; false
    // when this desktop has no such panel or it could not be started.
    virtual bool openSettingsPanel(SettingsPanel panel) = 0;
    // Calls `handler` on the main thread each time the computer wakes from
    // sleep. The observation lasts as long as this object.
    virtual void observeWake(std::function<void()> handler) = 0;
};
