#pragma once

#include <QColor>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

// A banner: a clickable message that opens the notch to banner size.
struct NotchBanner {
    QUuid id = QUuid::createUuid();
    QString title;
    QString body;
    // A symbol name shown in place of the application's icon.
    std::optional<QString> symbol;
    QColor color;
    // The application the banner speaks for: icon, click target, duplicate key.
    std::optional<QString> appBundleID;
    // Seconds on screen; the banner centre shows every banner at least 1 s.
    double duration = 0;
    // What a click does instead of activating the application.
    std::function<void()> action;

    // Identity and text only; the other fields take no part.
    bool operator==(const NotchBanner &other) const { return id == other.id && title == other.title && body == other.body; }

    // Two banners from the same application with the same title stand for
    // the same message.
    bool isDuplicateOf(const NotchBanner &other) const { return appBundleID == other.appBundleID && title == other.title; }
};
