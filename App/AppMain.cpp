#include "App/AppMain.h"

#include "App/AppDelegate.h"
#include "App/CommandLineTool.h"
#include "Platform/DistributedNotifications.h"
#include "Platform/Linux/LinuxPlatform.h"
#include "Platform/Linux/TerminationSignals.h"
#include "Support/Log.h"

#include <QApplication>
#include <QTimer>

#include <csignal>

int quibRunApp(int argc, char **argv)
{
    // A write to a child process that has ended must not kill the app.
    std::signal(SIGPIPE, SIG_IGN);
    // The panels need global positioning, stacking and input shapes, which
    // only X11 offers; on Wayland this runs through XWayland.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) {
            qCCritical(lcApp, "Quib: no X11 display (DISPLAY is not set); the notch needs one");
            return 1;
        }
        qputenv("QT_QPA_PLATFORM", "xcb");
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quib"));
    QApplication::setDesktopFileName(CommandLineTool::appIdentifier);
    // An accessory app: it keeps running with no window open.
    QApplication::setQuitOnLastWindowClosed(false);

    // Installed before the app's name is claimed: whoever sees the app
    // running may already ask it to end. The request waits in the event loop.
    const TerminationSignals termination([](int) { QCoreApplication::exit(0); });

    LinuxPlatform platform;
    const Services services = platform.services();
    // Launching the app again while it runs is how a user reopens it.
    if (!services.notifications.claimApplication(CommandLineTool::appIdentifier)) {
        if (!services.notifications.reopenApplication(CommandLineTool::appIdentifier)) {
            qCWarning(lcApp, "Quib: another Quib holds the app's name but did not answer; this one ends");
            return 1;
        }
        qCInfo(lcApp, "Quib: Quib is already running; asked it to reopen");
        return 0;
    }

    AppDelegate delegate(services);
    QTimer::singleShot(0, &application, [&delegate] { delegate.applicationDidFinishLaunching(); });
    const int status = application.exec();
    delegate.applicationWillTerminate();
    return status;
}
