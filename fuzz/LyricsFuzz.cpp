// Lyrics: the lyrics service's answers (one record, or a list of them) and
// the LRC text they hold.
#include "FuzzSupport.h"
#include "NowPlaying/LyricsModel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input = Fuzz::bytes(data, size);
    (void)LyricsModel::parseLRC(QString::fromUtf8(input));
    const QJsonDocument document = QJsonDocument::fromJson(input);
    const QJsonArray records = document.isArray() ? document.array() : QJsonArray{document.object()};
    for (const QJsonValue &value : records) {
        if (const auto record = LyricsModel::Record::decode(value))
            (void)LyricsModel::content(*record, 200);
    }
    return 0;
}
