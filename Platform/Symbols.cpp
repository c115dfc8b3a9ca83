#include "Platform/Symbols.h"

#include "Support/Resources.h"

#include <QFileInfo>
#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>

namespace {

// Symbol name → icon file name (without ".svg").
const QHash<QString, QString> &table()
{
    static const QHash<QString, QString> names{
        {QStringLiteral("accessibility"), QStringLiteral("universal-access")},
        {QStringLiteral("airpods"), QStringLiteral("earbuds")},
        {QStringLiteral("airpodsmax"), QStringLiteral("headphones")},
        {QStringLiteral("airpodspro"), QStringLiteral("earbuds")},
        {QStringLiteral("app.fill"), QStringLiteral("app-indicator")},
        {QStringLiteral("arrow.down.circle.fill"), QStringLiteral("arrow-down-circle-fill")},
        {QStringLiteral("arrow.down.right.and.arrow.up.left"), QStringLiteral("arrows-angle-contract")},
        {QStringLiteral("arrow.up.left.and.arrow.down.right"), QStringLiteral("arrows-angle-expand")},
        {QStringLiteral("backward.fill"), QStringLiteral("skip-backward-fill")},
        {QStringLiteral("battery.0percent"), QStringLiteral("battery")},
        {QStringLiteral("battery.25percent"), QStringLiteral("battery")},
        {QStringLiteral("battery.50percent"), QStringLiteral("battery-half")},
        {QStringLiteral("battery.75percent"), QStringLiteral("battery-half")},
        {QStringLiteral("battery.100percent"), QStringLiteral("battery-full")},
        {QStringLiteral("battery.100percent.bolt"), QStringLiteral("battery-charging")},
        {QStringLiteral("beats.headphones"), QStringLiteral("headphones")},
        {QStringLiteral("bell.badge.fill"), QStringLiteral("bell-fill")},
        {QStringLiteral("bell.fill"), QStringLiteral("bell-fill")},
        {QStringLiteral("bell.slash.fill"), QStringLiteral("bell-slash-fill")},
        {QStringLiteral("bolt.fill"), QStringLiteral("lightning-fill")},
        {QStringLiteral("calendar"), QStringLiteral("calendar3")},
        {QStringLiteral("checkmark"), QStringLiteral("check-lg")},
        {QStringLiteral("checkmark.circle.fill"), QStringLiteral("check-circle-fill")},
        {QStringLiteral("circle.slash"), QStringLiteral("slash-circle")},
        {QStringLiteral("cloud.bolt.rain.fill"), QStringLiteral("cloud-lightning-rain-fill")},
        {QStringLiteral("cloud.drizzle.fill"), QStringLiteral("cloud-drizzle-fill")},
        {QStringLiteral("cloud.fill"), QStringLiteral("cloud-fill")},
        {QStringLiteral("cloud.fog.fill"), QStringLiteral("cloud-fog2-fill")},
        {QStringLiteral("cloud.heavyrain.fill"), QStringLiteral("cloud-rain-heavy-fill")},
        {QStringLiteral("cloud.moon.fill"), QStringLiteral("cloud-moon-fill")},
        {QStringLiteral("cloud.rain.fill"), QStringLiteral("cloud-rain-fill")},
        {QStringLiteral("cloud.snow.fill"), QStringLiteral("cloud-snow-fill")},
        {QStringLiteral("cloud.sun.fill"), QStringLiteral("cloud-sun-fill")},
        {QStringLiteral("display"), QStringLiteral("display")},
        {QStringLiteral("display.2"), QStringLiteral("pc-display")},
        {QStringLiteral("doc.on.doc"), QStringLiteral("files")},
        {QStringLiteral("dot.radiowaves.left.and.right"), QStringLiteral("broadcast")},
        {QStringLiteral("exclamationmark.triangle.fill"), QStringLiteral("exclamation-triangle-fill")},
        {QStringLiteral("forward.fill"), QStringLiteral("skip-forward-fill")},
        {QStringLiteral("gearshape.fill"), QStringLiteral("gear-fill")},
        {QStringLiteral("hand.raised.fill"), QStringLiteral("hand-index-thumb-fill")},
        {QStringLiteral("headphones"), QStringLiteral("headphones")},
        {QStringLiteral("info"), QStringLiteral("info-lg")},
        {QStringLiteral("link"), QStringLiteral("link-45deg")},
        {QStringLiteral("location.fill"), QStringLiteral("geo-alt-fill")},
        {QStringLiteral("lock.fill"), QStringLiteral("lock-fill")},
        {QStringLiteral("message.fill"), QStringLiteral("chat-fill")},
        {QStringLiteral("mic.fill"), QStringLiteral("mic-fill")},
        {QStringLiteral("mic.slash.fill"), QStringLiteral("mic-mute-fill")},
        {QStringLiteral("moon"), QStringLiteral("moon")},
        {QStringLiteral("moon.fill"), QStringLiteral("moon-fill")},
        {QStringLiteral("moon.stars.fill"), QStringLiteral("moon-stars-fill")},
        {QStringLiteral("music.note"), QStringLiteral("music-note-beamed")},
        {QStringLiteral("pause.fill"), QStringLiteral("pause-fill")},
        {QStringLiteral("play.circle.fill"), QStringLiteral("play-circle-fill")},
        {QStringLiteral("play.fill"), QStringLiteral("play-fill")},
        {QStringLiteral("quote.bubble"), QStringLiteral("chat-quote")},
        {QStringLiteral("repeat"), QStringLiteral("repeat")},
        {QStringLiteral("repeat.1"), QStringLiteral("repeat-1")},
        {QStringLiteral("shuffle"), QStringLiteral("shuffle")},
        {QStringLiteral("slider.horizontal.3"), QStringLiteral("sliders")},
        {QStringLiteral("sparkle"), QStringLiteral("stars")},
        {QStringLiteral("speaker.fill"), QStringLiteral("volume-off-fill")},
        {QStringLiteral("speaker.slash.fill"), QStringLiteral("volume-mute-fill")},
        {QStringLiteral("speaker.wave.1.fill"), QStringLiteral("volume-down-fill")},
        {QStringLiteral("speaker.wave.2.fill"), QStringLiteral("volume-up-fill")},
        {QStringLiteral("speaker.wave.3.fill"), QStringLiteral("volume-up-fill")},
        {QStringLiteral("sun.max.fill"), QStringLiteral("sun-fill")},
        {QStringLiteral("sun.min.fill"), QStringLiteral("brightness-low-fill")},
        {QStringLiteral("sunrise.fill"), QStringLiteral("sunrise-fill")},
        {QStringLiteral("sunset.fill"), QStringLiteral("sunset-fill")},
        {QStringLiteral("timer"), QStringLiteral("stopwatch-fill")},
        {QStringLiteral("umbrella.fill"), QStringLiteral("umbrella-fill")},
        {QStringLiteral("video.fill"), QStringLiteral("camera-video-fill")},
        {QStringLiteral("xmark"), QStringLiteral("x-lg")},
    };
    return names;
}

std::optional<QString> existingIcon(const QString &file)
{
    const QString path = Resources::sharePath(QStringLiteral("symbols/%1.svg").arg(file));
    if (!QFileInfo::exists(path))
        return std::nullopt;
    return path;
}

} // namespace

namespace Symbols {

std::optional<QString> filePath(const QString &name)
{
    const auto it = table().constFind(name);
    if (it == table().constEnd())
        return std::nullopt;
    return existingIcon(*it);
}

QImage image(const QString &name, int pixelSize, const QColor &color)
{
    if (pixelSize <= 0 || name.isEmpty())
        return {};
    // A name the table lacks shows as a generic symbol rather than nothing,
    // so a missing entry is seen instead of leaving an empty square.
    auto path = filePath(name);
    if (!path)
        path = existingIcon(QStringLiteral("question-square"));
    if (!path)
        return {};
    QSvgRenderer renderer(*path);
    if (!renderer.isValid())
        return {};
    QImage result(pixelSize, pixelSize, QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    QSizeF size = renderer.defaultSize();
    size.scale(pixelSize, pixelSize, Qt::KeepAspectRatio);
    renderer.render(&painter, QRectF((pixelSize - size.width()) / 2, (pixelSize - size.height()) / 2, size.width(), size.height()));
    // Tint: keep the icon's coverage, replace its colour.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(result.rect(), color);
    return result;
}

void draw(QPainter &painter, const QRectF &box, const QString &name, const QColor &color)
{
    const double side = std::min(box.width(), box.height());
    const QRectF square(box.center().x() - side / 2, box.center().y() - side / 2, side, side);
    // The size in device pixels: the painter may scale (a zoomed scene, a
    // high-density screen).
    const double ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QRectF onDevice = painter.deviceTransform().mapRect(square);
    const int pixels = static_cast<int>(std::ceil(std::max(onDevice.width(), onDevice.height()) * ratio));
    const QImage symbol = image(name, pixels, color);
    if (symbol.isNull())
        return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(square, symbol);
    painter.restore();
}

} // namespace Symbols
