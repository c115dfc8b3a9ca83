// Changes one setting through the app's settings store, then ends as the app
// does on a termination signal: it raises the signal right after the change,
// while the write is still pending. Arguments: the value of "openWidth" and
// the signal's number.

#include "App/Preferences.h"
#include "Platform/Linux/JsonUserDefaults.h"
#include "Platform/Linux/TerminationSignals.h"

#include <QCoreApplication>
#include <QTimer>

#include <csignal>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const TerminationSignals termination([](int) { QCoreApplication::exit(0); });
    QtScheduler scheduler;
    JsonUserDefaults defaults(scheduler);
    Preferences preferences(defaults);
    QTimer::singleShot(0, &application, [&preferences] {
        const QStringList arguments = QCoreApplication::arguments();
        preferences.openWidth.setValue(arguments.value(1).toDouble());
        std::raise(arguments.value(2).toInt());
    });
    return application.exec();
}
