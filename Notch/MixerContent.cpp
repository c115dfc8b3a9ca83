#include "Notch/MixerContent.h"

#include "Alerts/BannerViews.h"
#include "App/AppModel.h"
#include "Audio/AudioMixer.h"
#include "Notch/NotchSlider.h"
#include "Notch/NotchViewModel.h"
#include "Platform/Symbols.h"
#include "Platform/Workspace.h"
#include "Shared/Typography.h"
#include "Support/Easing.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

const QColor titleColor = QColor::fromRgbF(1, 1, 1, 0.85f);
const QColor faintColor = QColor::fromRgbF(1, 1, 1, 0.5f);

// The output's symbol in the leading frame of the "Geral" row.
class SymbolMark final : public QGraphicsObject {
public:
    explicit SymbolMark(const QString &symbol)
        : m_symbol(symbol)
    {
    }
    QRectF boundingRect() const override { return QRectF(0, 0, MixerRow::leadingWidth, MixerRow::leadingWidth); }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *) override
    {
        // A symbol 12 points high, a little wider than high.
        Symbols::draw(*painter, QRectF(3, 5, 16, 12), m_symbol, Qt::white);
    }

private:
    QString m_symbol;
};

} // namespace

// "Nenhum app tocando agora", at the leading edge of the list's first row.
class MixerPlaceholder final : public QGraphicsObject {
public:
    explicit MixerPlaceholder(QGraphicsItem *parent)
        : QGraphicsObject(parent)
    {
    }
    void setWidth(double width)
    {
        prepareGeometryChange();
        m_width = width;
    }
    QRectF boundingRect() const override { return QRectF(0, 0, m_width, MixerContent::placeholderHeight); }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *) override
    {
        Typography::drawLine(*painter, boundingRect(), QStringLiteral("Nenhum app tocando agora"), Typography::systemFont(12), faintColor);
    }

private:
    double m_width = 0;
};

AppIcon::AppIcon(Workspace &workspace, const QString &id, QGraphicsItem *parent)
    : QGraphicsObject(parent)
{
    if (const auto url = workspace.urlForApplication(id))
        m_image = workspace.iconForApplication(*url);
}

void AppIcon::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (m_image.isNull()) {
        Symbols::draw(*painter, boundingRect(), QStringLiteral("app.fill"), QColor::fromRgbF(1, 1, 1, 0.4f));
        return;
    }
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->drawImage(boundingRect(), m_image);
    painter->restore();
}

QString MixerRow::percentText(double value)
{
    // std::lround takes halves away from zero.
    return QString::number(std::lround(value * 100)) + QLatin1Char('%');
}

MixerRow::MixerRow(Scheduler &scheduler, double height, const QFont &titleFont, std::function<void(double)> onChange, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_height(height)
    , m_titleFont(titleFont)
    , m_slider(new NotchSlider(scheduler, std::move(onChange), this))
{
    m_slider->setWidth(sliderWidth);
}

void MixerRow::setLeading(QGraphicsObject *leading)
{
    delete m_leading;
    m_leading = leading;
    m_leading->setParentItem(this);
    relayout();
}

void MixerRow::setTitle(const QString &title)
{
    if (title == m_title)
        return;
    m_title = title;
    update();
}

void MixerRow::setValue(double value)
{
    m_slider->setValue(value);
    if (value == m_value)
        return;
    m_value = value;
    update();
}

void MixerRow::setWidth(double width)
{
    if (width == m_width)
        return;
    prepareGeometryChange();
    m_width = width;
    relayout();
}

QRectF MixerRow::titleRect() const
{
    const double left = leadingWidth + spacing;
    // The gap keeps its minimum when the title is long; the title is cut.
    const double available = m_width - left - spacing - minimumGap - spacing - sliderWidth - spacing - percentageWidth;
    return QRectF(left, 0, std::max(0.0, available), m_height);
}

QRectF MixerRow::percentageRect() const
{
    return QRectF(m_width - percentageWidth, 0, percentageWidth, m_height);
}

void MixerRow::relayout()
{
    if (m_leading) {
        const QRectF bounds = m_leading->boundingRect();
        m_leading->setPos((leadingWidth - bounds.width()) / 2, (m_height - bounds.height()) / 2);
    }
    m_slider->setPos(m_width - percentageWidth - spacing - sliderWidth, (m_height - NotchSlider::height) / 2);
}

void MixerRow::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    Typography::drawLine(*painter, titleRect(), m_title, m_titleFont, titleColor);
    const QFont percentageFont = Typography::withMonospacedDigits(Typography::systemFont(11, QFont::Medium));
    Typography::drawLine(*painter, percentageRect(), percentage(), percentageFont, faintColor, Qt::AlignRight);
}

double MixerContent::closeButtonTop(double notchHeight)
{
    return std::max((notchHeight - CloseButton::side) / 2, minimumCloseTop);
}

MixerContent::MixerContent(NotchViewModel &viewModel, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_viewModel(viewModel)
    , m_notchHeight(viewModel.metrics().notchSize.height())
    , m_listChange(viewModel.app().services().scheduler, listChangeDuration, [this] { listFrame(); })
{
    AppModel &app = viewModel.app();
    AudioMixer &mixer = app.mixer;
    m_systemRow = new MixerRow(app.services().scheduler, MixerRow::systemHeight, Typography::systemFont(12, QFont::Medium),
                               [&mixer](double value) { mixer.systemVolume().set(float(value)); }, this);
    m_systemRow->setLeading(new SymbolMark(QStringLiteral("speaker.wave.2.fill")));
    m_systemRow->setTitle(QStringLiteral("Geral"));
    m_placeholder = new MixerPlaceholder(this);
    m_closeButton = new CloseButton(
        [this] {
            // Closing may remove this content: nothing of it is used after.
            if (m_viewModel.closeMixer)
                m_viewModel.closeMixer();
        },
        this);
    m_closeButton->setToolTip(QStringLiteral("Fechar o mixer"));

    m_reading.setBinding([this, &mixer] {
        return Reading{mixer.apps(), mixer.gains(), mixer.systemVolume().volume(), m_viewModel.isMixerPinned()};
    });
    m_readingNotifier = m_reading.addNotifier([this] { apply(); });
    apply();
    // The first list shows without a transition.
    m_listChange.stop();
    listFrame();
}

MixerContent::~MixerContent() = default;

void MixerContent::setSize(const QSizeF &size)
{
    if (size == m_size)
        return;
    prepareGeometryChange();
    m_size = size;
    relayout();
}

QList<MixerRow *> MixerContent::applicationRows() const
{
    QList<MixerRow *> rows;
    for (const Entry &entry : m_entries) {
        if (!entry.isLeaving)
            rows.append(entry.row);
    }
    return rows;
}

MixerRow *MixerContent::applicationRow(const QString &id) const
{
    const auto it = std::find_if(m_entries.begin(), m_entries.end(), [&id](const Entry &entry) { return entry.id == id; });
    return it == m_entries.end() || it->isLeaving ? nullptr : it->row;
}

QGraphicsObject *MixerContent::placeholder() const
{
    return m_placeholder;
}

double MixerContent::rowWidth() const
{
    return std::max(0.0, m_size.width() - horizontalPadding * 2);
}

double MixerContent::listTop() const
{
    return m_notchHeight + topSpacing + MixerRow::systemHeight + dividerSpacing * 2 + 1;
}

QRectF MixerContent::dividerRect() const
{
    const double top = m_notchHeight + topSpacing + MixerRow::systemHeight + dividerSpacing;
    return QRectF(horizontalPadding, top, rowWidth(), 1);
}

void MixerContent::apply()
{
    const Reading reading = m_reading.value();
    m_systemRow->setValue(reading.volume);
    m_closeButton->setVisible(reading.isPinned);

    QStringList ids;
    for (const AudioApp &app : reading.apps)
        ids.append(app.id);
    QStringList shown;
    for (const Entry &entry : m_entries) {
        if (!entry.isLeaving)
            shown.append(entry.id);
    }
    if (ids != shown)
        moveList(ids);

    for (const AudioApp &app : reading.apps) {
        MixerRow *row = applicationRow(app.id);
        row->setTitle(app.name);
        row->setValue(reading.gains.value(app.id, 1.0));
        // An application kept for its gain alone is dimmed.
        row->leading()->setOpacity(app.isPlaying ? 1 : 0.5);
    }
}

MixerRow *MixerContent::makeApplicationRow(const QString &id)
{
    AppModel &app = m_viewModel.app();
    AudioMixer &mixer = app.mixer;
    auto *row = new MixerRow(app.services().scheduler, MixerRow::applicationHeight, Typography::systemFont(12),
                             [&mixer, id](double gain) { mixer.setGain(gain, id); }, this);
    row->setLeading(new AppIcon(app.services().workspace, id));
    row->setWidth(rowWidth());
    return row;
}

void MixerContent::moveList(const QStringList &ids)
{
    // Every row goes on from where it is on screen.
    for (Entry &entry : m_entries) {
        entry.fromY = entry.row->y();
        entry.fromOpacity = entry.row->opacity();
        entry.isLeaving = !ids.contains(entry.id);
        entry.toY = entry.fromY;
    }
    m_placeholderFrom = m_placeholder->opacity();

    std::vector<Entry> ordered;
    for (qsizetype index = 0; index < ids.size(); ++index) {
        const double y = listTop() + MixerRow::applicationHeight * double(index);
        const auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry &entry) { return entry.id == ids[index]; });
        if (it != m_entries.end()) {
            Entry entry = *it;
            entry.toY = y;
            ordered.push_back(entry);
            m_entries.erase(it);
            continue;
        }
        // A new row fades in where it belongs.
        Entry entry{ids[index], makeApplicationRow(ids[index]), false, y, y, 0};
        entry.row->setPos(horizontalPadding, y);
        entry.row->setOpacity(0);
        ordered.push_back(entry);
    }
    // What is left is leaving: it fades out where it is.
    ordered.insert(ordered.end(), m_entries.begin(), m_entries.end());
    m_entries = std::move(ordered);
    m_listChange.start();
    listFrame();
}

void MixerContent::listFrame()
{
    const double progress = Easing::easeInOut(m_listChange.linearProgress());
    const bool done = !m_listChange.isRunning();
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->isLeaving && done) {
            delete it->row;
            it = m_entries.erase(it);
            continue;
        }
        const double toOpacity = it->isLeaving ? 0 : 1;
        it->row->setPos(horizontalPadding, it->fromY + (it->toY - it->fromY) * progress);
        it->row->setOpacity(it->fromOpacity + (toOpacity - it->fromOpacity) * progress);
        ++it;
    }
    const double placeholderTarget = applicationRows().isEmpty() ? 1 : 0;
    m_placeholder->setOpacity(m_placeholderFrom + (placeholderTarget - m_placeholderFrom) * progress);
}

void MixerContent::relayout()
{
    const double width = rowWidth();
    m_systemRow->setPos(horizontalPadding, m_notchHeight + topSpacing);
    m_systemRow->setWidth(width);
    for (const Entry &entry : m_entries)
        entry.row->setWidth(width);
    m_placeholder->setPos(horizontalPadding, listTop());
    m_placeholder->setWidth(width);
    m_closeButton->setPos(m_size.width() - closeTrailingPadding - CloseButton::side, closeButtonTop(m_notchHeight));
}

void MixerContent::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    painter->fillRect(dividerRect(), QColor::fromRgbF(1, 1, 1, 0.1f));
}
