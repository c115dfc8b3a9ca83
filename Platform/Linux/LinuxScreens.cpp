#include "Platform/Linux/LinuxScreens.h"

#include "Platform/WindowServer.h"

#include <QGuiApplication>
#include <QScreen>

LinuxScreens::LinuxScreens()
{
    QObject::connect(qGuiApp, &QGuiApplication::screenAdded, &m_context, [this](QScreen *screen) {
        watch(screen);
        changed();
    });
    QObject::connect(qGuiApp, &QGuiApplication::screenRemoved, &m_context, [this] { changed(); });
    QObject::connect(qGuiApp, &QGuiApplication::primaryScreenChanged, &m_context, [this] { changed(); });
    for (QScreen *screen : QGuiApplication::screens())
        watch(screen);
}

LinuxScreens::~LinuxScreens() = default;

QList<Screens::Screen> LinuxScreens::screens() const
{
    QList<QScreen *> ordered = QGuiApplication::screens();
    // The primary screen carries the top panel and comes first, as callers
    // expect of "the first screen".
    if (QScreen *primary = QGuiApplication::primaryScreen(); primary && ordered.removeOne(primary))
        ordered.prepend(primary);

    QList<Screen> result;
    for (const QScreen *screen : ordered) {
        Screen described;
        described.identifier = WindowServer::identifier(*screen).value_or(QString());
        described.frame = screen->geometry();
        described.visibleFrame = screen->availableGeometry();
        described.backingScaleFactor = screen->devicePixelRatio();
        result.append(described);
    }
    return result;
}

void LinuxScreens::observeChanges(Handler handler)
{
    m_handlers.push_back(std::move(handler));
}

void LinuxScreens::watch(QScreen *screen)
{
    QObject::connect(screen, &QScreen::geometryChanged, &m_context, [this] { changed(); });
    QObject::connect(screen, &QScreen::availableGeometryChanged, &m_context, [this] { changed(); });
    // Qt has no signal of its own for a change of the device pixel ratio; it
    // comes with a change of the logical resolution.
    QObject::connect(screen, &QScreen::logicalDotsPerInchChanged, &m_context, [this] { changed(); });
}

void LinuxScreens::changed()
{
    // Plugging a display in gives several signals (added, geometry, work
    // area); observers hear of them once, after the burst.
    if (m_changePending)
        return;
    m_changePending = true;
    QMetaObject::invokeMethod(
        &m_context,
        [this] {
            m_changePending = false;
            const auto handlers = m_handlers;
            for (const Handler &handler : handlers)
                handler();
        },
        Qt::QueuedConnection);
}
