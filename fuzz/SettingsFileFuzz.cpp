// The settings file, as the app and the command line read it.
#include "FuzzSupport.h"
#include "Platform/Linux/JsonUserDefaults.h"
#include "Support/Scheduler.h"

#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static ManualScheduler scheduler;
    const QString path = Fuzz::scratchFolder() + QStringLiteral("/defaults.json");
    for (const QString &left : {path, path + QStringLiteral(".backup"), path + QStringLiteral(".broken")})
        QFile::remove(left);
    Fuzz::writeFile(path, Fuzz::bytes(data, size));
    JsonUserDefaults defaults(scheduler, path);
    for (const char *key : {"notchStyle", "hudEnabled", "appVolumes", "lockOffset", "notificationMutedApps"})
        (void)defaults.object(QString::fromLatin1(key));
    // A change is merged over the file as it is then.
    defaults.setObject(QStringLiteral("fuzzed"), true);
    defaults.synchronize();
    return 0;
}
