// The update feed (an RSS appcast) and the versions it names.
#include "FuzzSupport.h"
#include "Platform/Linux/Appcast.h"

#include <QUrl>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const Appcast::Document document = Appcast::parse(Fuzz::bytes(data, size), QUrl(QStringLiteral("https://updates.example/appcast.xml")));
    (void)Appcast::newest(document.updates, QStringLiteral("0.1.0"));
    return 0;
}
