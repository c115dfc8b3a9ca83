// `quib notify`'s arguments, and the alert request as the running app reads
// it from whoever posts one.
#include "Alerts/ExternalAlertListener.h"
#include "App/AppModel.h"
#include "App/NotifyCommand.h"
#include "FuzzSupport.h"
#include "Platform/Fake/FakePlatform.h"

#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static FakePlatform platform;
    static AppModel model(platform.services());
    static ExternalAlertListener listener(model);
    const QStringList strings = Fuzz::strings(data, size);

    std::vector<std::string> words{"notify"};
    for (const QString &string : strings)
        words.push_back(string.toStdString());
    std::ostringstream out;
    // What it posts reaches the listener through the fake bus.
    NotifyCommand(platform.sessionBus, platform.workspace, out, out).run(words);

    // The same strings as a request's keys and values, as any process on the
    // bus may post them.
    DistributedNotifications::UserInfo request;
    for (qsizetype i = 0; i + 1 < strings.size(); i += 2)
        request.insert(strings[i], strings[i + 1]);
    listener.handle(request);
    // What the fakes record would otherwise pile up from input to input.
    platform.notifications.posted.clear();
    platform.soundPlayer.events.clear();
    platform.scheduler.advance(61);
    return 0;
}
