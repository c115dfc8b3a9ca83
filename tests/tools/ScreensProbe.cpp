// Prints the screens the Linux backend sees as one JSON line: once at start
// and again after every change it reports. Ends when its input closes.

#include "Platform/Linux/LinuxScreens.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

namespace {

QJsonArray rect(const QRect &r)
{
    return {r.x(), r.y(), r.width(), r.height()};
}

void print(const Screens &screens)
{
    QJsonArray list;
    for (const Screens::Screen &screen : screens.screens()) {
        list.append(QJsonObject{{QStringLiteral("identifier"), screen.identifier},
                                {QStringLiteral("frame"), rect(screen.frame)},
                                {QStringLiteral("visibleFrame"), rect(screen.visibleFrame)},
                                {QStringLiteral("scale"), screen.backingScaleFactor}});
    }
    std::fputs(QJsonDocument(list).toJson(QJsonDocument::Compact).append('\n').constData(), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    LinuxScreens screens;
    screens.observeChanges([&screens] { print(screens); });
    print(screens);

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &application, [&] {
        char buffer[256];
        if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            application.quit();
    });
    return application.exec();
}
