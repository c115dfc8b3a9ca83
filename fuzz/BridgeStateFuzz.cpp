// The media bridge's state lines, as the app reads them.
#include "FuzzSupport.h"
#include "NowPlaying/NowPlayingModel.h"
#include "Platform/Fake/FakePlatform.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static FakePlatform platform;
    // Artwork is decoded at once, so each input runs to its end.
    static NowPlayingModel model(platform.scheduler, platform.workspace, platform.windowServer, [](std::function<void()> work) { work(); });
    const QJsonDocument document = QJsonDocument::fromJson(Fuzz::bytes(data, size));
    if (document.isObject())
        model.handle(document.object());
    QCoreApplication::processEvents();
    platform.scheduler.advance(1);
    return 0;
}
