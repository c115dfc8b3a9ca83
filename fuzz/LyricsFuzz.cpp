// Lyrics: the lyrics service's records and the LRC text they hold.
#include "FuzzSupport.h"
#include "NowPlaying/LyricsModel.h"

#include <QJsonDocument>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input = Fuzz::bytes(data, size);
    (void)LyricsModel::parseLRC(QString::fromUtf8(input));
    const QJsonDocument document = QJsonDocument::fromJson(input);
    if (const auto record = LyricsModel::Record::decode(document.isArray() && !document.array().isEmpty() ? document.array().first()
                                                                                                          : QJsonValue(document.object())))
        (void)LyricsModel::content(*record, 200);
    return 0;
}
