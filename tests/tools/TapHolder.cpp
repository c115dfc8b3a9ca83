// Holds a tap of the PulseAudio sound system until it is killed, as the app
// would when it crashes with a per-app volume set. Arguments: the record
// file, the gain, then the process ids to tap. Prints "tapped" once the tap
// is made.

#include "Platform/Linux/PulseAudioSystem.h"
#include "Support/Scheduler.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QtScheduler scheduler;
    PulseAudioSystem audio(scheduler, arguments.value(1));
    AudioTapDescription description;
    description.gain = arguments.value(2).toFloat();
    for (const QString &process : arguments.mid(3))
        description.processObjects.append(process.toUInt());
    std::unique_ptr<AudioTap> tap;
    QObject::connect(&audio, &AudioSystem::connectionStateChanged, [&](AudioSystem::ConnectionState state) {
        if (state != AudioSystem::ConnectionState::Ready || tap)
            return;
        tap = audio.createTap(description);
        std::puts(tap ? "tapped" : "refused");
        std::fflush(stdout);
    });
    return application.exec();
}
