#include "Settings/SettingsControls.h"

#include "Platform/Symbols.h"
#include "Settings/SettingsText.h"
#include "Support/Spring.h"
#include "Shared/Typography.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace {

QColor white(double opacity)
{
    return QColor::fromRgbF(1, 1, 1, float(opacity));
}

// `from` moved towards `to` by `t`, 0...1, channel by channel.
QColor blend(const QColor &from, const QColor &to, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    const auto mix = [t](float a, float b) { return float(a + (b - a) * t); };
    return QColor::fromRgbF(mix(from.redF(), to.redF()), mix(from.greenF(), to.greenF()), mix(from.blueF(), to.blueF()),
                            mix(from.alphaF(), to.alphaF()));
}

// A symbol drawn centred in its own box.
class SymbolView : public QWidget {
public:
    SymbolView(QString name, double size, QColor color, double boxWidth, QWidget *parent)
        : QWidget(parent)
        , m_name(std::move(name))
        , m_size(size)
        , m_color(std::move(color))
    {
        setFixedSize(int(boxWidth), int(std::ceil(size)));
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QPointF centre = QRectF(rect()).center();
        Symbols::draw(painter, QRectF(centre.x() - m_size / 2, centre.y() - m_size / 2, m_size, m_size), m_name, m_color);
    }

private:
    QString m_name;
    double m_size;
    QColor m_color;
};

// Keeps a predicate's result in a property and applies it to the widget at
// once and whenever anything the predicate reads changes; owned by the
// widget.
class PredicateFollower : public QObject {
public:
    using Apply = std::function<void(QWidget *, bool)>;

    PredicateFollower(QWidget *widget, std::function<bool()> predicate, Apply apply)
        : QObject(widget)
    {
        m_holds.setBinding(std::move(predicate));
        m_follow = m_holds.addNotifier([this, widget, apply] { apply(widget, m_holds.value()); });
        apply(widget, m_holds.value());
    }

private:
    QProperty<bool> m_holds;
    QPropertyNotifier m_follow;
};

// The switch's knob travel: a spring of response 0.28 s and damping 0.75,
// run over the time it takes to settle.
constexpr int switchSettleMilliseconds = 600;

qreal switchSpring(qreal progress)
{
    static const Spring spring(0.28, 0.75);
    return progress >= 1 ? 1 : spring.factor(progress * switchSettleMilliseconds / 1000.0);
}

// The value pill of a SliderRow: its text on a stroked capsule.
class ValuePill : public QLabel {
public:
    explicit ValuePill(QWidget *parent)
        : QLabel(parent)
    {
        QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPixelSize(12);
        font.setWeight(QFont::Medium);
        setFont(font);
        setContentsMargins(8, 3, 8, 3);
        QPalette palette = this->palette();
        palette.setColor(QPalette::WindowText, SettingsText::primary());
        setPalette(palette);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF capsule = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setBrush(white(0.07));
        painter.setPen(QPen(white(0.08), 1));
        painter.drawRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);
        painter.end();
        QLabel::paintEvent(event);
    }
};

// The pop-up menu of a PickerRow: the style sheet's box with a painted
// up-and-down chevron, the mark of a menu.
class MenuButton : public QComboBox {
public:
    using QComboBox::QComboBox;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QComboBox::paintEvent(event);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(SettingsText::secondary(), 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const QPointF centre(width() - 12, height() / 2.0);
        painter.drawPolyline(QPolygonF{centre + QPointF(-3, -1.5), centre + QPointF(0, -4.5), centre + QPointF(3, -1.5)});
        painter.drawPolyline(QPolygonF{centre + QPointF(-3, 1.5), centre + QPointF(0, 4.5), centre + QPointF(3, 1.5)});
    }
};

} // namespace

void showWhile(QWidget *widget, std::function<bool()> predicate)
{
    new PredicateFollower(widget, std::move(predicate), [](QWidget *shown, bool holds) {
        // A row not placed yet would open as a window of its own: showing it
        // is left to the layout it joins.
        if (holds && shown->isWindow())
            return;
        shown->setVisible(holds);
    });
}

void enableWhile(QWidget *widget, std::function<bool()> predicate)
{
    auto *dimming = new QGraphicsOpacityEffect(widget);
    widget->setGraphicsEffect(dimming);
    new PredicateFollower(widget, std::move(predicate), [dimming](QWidget *enabled, bool holds) {
        enabled->setEnabled(holds);
        dimming->setOpacity(holds ? 1.0 : 0.5);
    });
}

QWidget *symbolView(const QString &name, double size, const QColor &color, double boxWidth, QWidget *parent)
{
    return new SymbolView(name, size, color, boxWidth, parent);
}

QString secondsText(double value)
{
    return QString::number(value, 'f', 1) + u's';
}

// MARK: AccentSwitch

AccentSwitch::AccentSwitch(QWidget *parent)
    : QAbstractButton(parent)
    , m_travel(new QVariantAnimation(this))
{
    setCheckable(true);
    setFixedSize(38, 22);
    setCursor(Qt::PointingHandCursor);
    QEasingCurve spring;
    spring.setCustomType(switchSpring);
    m_travel->setEasingCurve(spring);
    m_travel->setDuration(switchSettleMilliseconds);
    connect(m_travel, &QVariantAnimation::valueChanged, this, [this](const QVariant &position) {
        m_position = position.toDouble();
        update();
    });
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        m_travel->stop();
        if (!isVisible()) {
            m_position = on ? 1 : 0;
            return;
        }
        m_travel->setStartValue(m_position);
        m_travel->setEndValue(on ? 1.0 : 0.0);
        m_travel->start();
    });
}

QSize AccentSwitch::sizeHint() const
{
    return QSize(38, 22);
}

void AccentSwitch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    // Colours follow the knob's travel; the spring may overshoot.
    painter.setBrush(blend(white(0.16), SettingsStyle::accent(), m_position));
    painter.drawRoundedRect(QRectF(0, 0, 38, 22), 11, 11);

    const double inset = 2.5;
    const double knob = 22 - 2 * inset;
    const double left = inset + m_position * (38 - 2 * inset - knob);
    const QRectF knobRect(left, inset, knob, knob);
    painter.setBrush(QColor::fromRgbF(0, 0, 0, 0.25f));
    painter.drawEllipse(knobRect.translated(0, 1).adjusted(-0.75, -0.75, 0.75, 0.75));
    painter.setBrush(blend(QColor::fromRgbF(0.85f, 0.85f, 0.85f), QColor::fromRgbF(0.86f, 0.98f, 0.95f), m_position));
    painter.drawEllipse(knobRect);
}

// MARK: AccentSlider

AccentSlider::AccentSlider(SettingsBinding<double> value, double lower, double upper, double step, double knob, QWidget *parent)
    : QWidget(parent)
    , m_value(std::move(value))
    , m_lower(lower)
    , m_upper(upper)
    , m_step(step)
    , m_knob(knob)
{
    setFixedHeight(int(std::ceil(knob + 5)));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_shown.setBinding([read = m_value.read] { return read(); });
    m_repaint = m_shown.addNotifier([this] { update(); });
}

double AccentSlider::fraction(double value, double lower, double upper)
{
    const double span = upper - lower;
    if (!std::isfinite(value) || !(span > 0))
        return 0;
    return (std::min(upper, std::max(lower, value)) - lower) / span;
}

double AccentSlider::valueAt(double x, double width, double knob, double lower, double upper, double step)
{
    double f = x - knob / 2;
    if (width - knob > 1)
        f /= width - knob;
    f = std::clamp(f, 0.0, 1.0);
    double value = lower + (upper - lower) * f;
    if (step > 0)
        value = step * std::round(value / step); // std::round: halves away from zero
    return std::clamp(value, lower, upper);
}

int AccentSlider::tickCount(double lower, double upper, double step)
{
    constexpr int evenMarks = 11;
    if (!(step > 0))
        return evenMarks;
    const double count = std::round((upper - lower) / step) + 1;
    if (!std::isfinite(count) || count > 31)
        return evenMarks;
    if (count < 2)
        return 0;
    return int(count);
}

double AccentSlider::tickLeft(int index, int count, double width, double knob)
{
    return knob / 2 + (width - knob) * index / (count - 1) - 1;
}

QSize AccentSlider::sizeHint() const
{
    return QSize(200, int(std::ceil(m_knob + 5)));
}

void AccentSlider::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const double w = width();
    const double x = m_knob / 2 + fraction(m_shown.value(), m_lower, m_upper) * (w - m_knob);
    const double trackTop = (m_knob - 5) / 2;
    painter.setBrush(white(0.14));
    painter.drawRoundedRect(QRectF(0, trackTop, w, 5), 2.5, 2.5);
    painter.setBrush(SettingsStyle::accent());
    painter.drawRoundedRect(QRectF(0, trackTop, x, 5), 2.5, 2.5);

    const QRectF knobRect(x - m_knob / 2, 0, m_knob, m_knob);
    painter.setBrush(QColor::fromRgbF(0, 0, 0, 0.35f));
    painter.drawEllipse(knobRect.translated(0, 1).adjusted(-1, -1, 1, 1));
    painter.setBrush(QColor::fromRgbF(0.93f, 0.93f, 0.93f));
    painter.drawEllipse(knobRect);

    const int count = tickCount(m_lower, m_upper, m_step);
    painter.setBrush(white(0.25));
    for (int i = 0; i < count; ++i)
        painter.drawEllipse(QRectF(tickLeft(i, count, w, m_knob), m_knob + 3, 2, 2));
}

void AccentSlider::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        moveTo(event->position().x());
}

void AccentSlider::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        moveTo(event->position().x());
}

void AccentSlider::moveTo(double x)
{
    const double value = valueAt(x, width(), m_knob, m_lower, m_upper, m_step);
    if (value != m_value.read())
        m_value.write(value);
}

// MARK: ToggleRow

ToggleRow::ToggleRow(const QString &title, SettingsBinding<bool> isOn, Options options, QWidget *parent)
    : QWidget(parent)
    , m_switch(new AccentSwitch(this))
{
    setMinimumHeight(42);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(12, 0, 12, 0);
    row->setSpacing(8);
    if (options.icon)
        row->addWidget(new SymbolView(*options.icon, 13, options.iconColor, 18, this), 0, Qt::AlignVCenter);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(1);
    texts->setContentsMargins(0, 0, 0, 0);
    auto *titleLine = new QHBoxLayout;
    titleLine->setSpacing(6);
    titleLine->setContentsMargins(0, 0, 0, 0);
    titleLine->addWidget(SettingsText::label(title, 13, QFont::Normal, SettingsText::primary(), this));
    if (options.preview) {
        auto *button = new QToolButton(this);
        button->setAutoRaise(true);
        button->setToolTip(QStringLiteral("Ouvir"));
        button->setCursor(Qt::PointingHandCursor);
        button->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; padding: 0; }"));
        button->setIcon(QIcon(QPixmap::fromImage(Symbols::image(QStringLiteral("play.circle.fill"), 24, SettingsText::secondary()))));
        button->setIconSize(QSize(12, 12));
        connect(button, &QToolButton::clicked, this, [preview = options.preview] { preview(); });
        titleLine->addWidget(button);
        m_preview = button;
    }
    titleLine->addStretch(1);
    texts->addLayout(titleLine);
    if (options.hint) {
        QLabel *hint = SettingsText::label(*options.hint, 11, QFont::Normal, SettingsText::tertiary(), this);
        hint->setWordWrap(true);
        texts->addWidget(hint);
    }
    row->addLayout(texts, 1);
    // The label is hidden; assistive technologies read the row's title.
    m_switch->setAccessibleName(title);
    row->addWidget(m_switch, 0, Qt::AlignVCenter);

    m_shown.setBinding([read = isOn.read] { return read(); });
    m_switch->setChecked(m_shown.value());
    m_follow = m_shown.addNotifier([this] { m_switch->setChecked(m_shown.value()); });
    connect(m_switch, &QAbstractButton::clicked, this, [this, write = isOn.write](bool checked) {
        write(checked);
        // The switch shows the stored value, also when the write did not take.
        m_switch->setChecked(m_shown.value());
    });
}

// MARK: SliderRow

SliderRow::SliderRow(const QString &title, SettingsBinding<double> value, double lower, double upper, double step,
                     std::function<QString(double)> format, QWidget *parent)
    : QWidget(parent)
    , m_slider(new AccentSlider(value, lower, upper, step, 16, this))
    , m_pill(new ValuePill(this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(12, 10, 12, 10);
    column->setSpacing(4);
    auto *titleLine = new QHBoxLayout;
    titleLine->setContentsMargins(0, 0, 0, 0);
    titleLine->addWidget(SettingsText::label(title, 13, QFont::Normal, SettingsText::primary(), this), 0, Qt::AlignVCenter);
    titleLine->addStretch(1);
    titleLine->addWidget(m_pill, 0, Qt::AlignVCenter);
    column->addLayout(titleLine);
    column->addWidget(m_slider);

    m_shown.setBinding([read = value.read] { return read(); });
    m_pill->setText(format(m_shown.value()));
    m_follow = m_shown.addNotifier([this, format = std::move(format)] { m_pill->setText(format(m_shown.value())); });
}

QString SliderRow::valueText() const
{
    return m_pill->text();
}

// MARK: PickerRow

PickerRow::PickerRow(const QString &title, QStringList labels, SettingsBinding<int> selection, std::optional<QString> icon, QWidget *parent)
    : QWidget(parent)
    , m_menu(new MenuButton(this))
{
    setMinimumHeight(42);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(12, 0, 12, 0);
    row->addWidget(SettingsText::label(title, 13, QFont::Normal, SettingsText::primary(), this), 0, Qt::AlignVCenter);
    row->addStretch(1);
    if (icon)
        row->addWidget(new SymbolView(*icon, 12, SettingsText::secondary(), 14, this), 0, Qt::AlignVCenter);
    m_menu->addItems(labels);
    m_menu->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_menu->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_menu->setFont(Typography::systemFont(13));
    // Dark, like the rest of the window, whatever the desktop's theme.
    m_menu->setStyleSheet(QStringLiteral("QComboBox { color: %1; background: rgba(255,255,255,20); border: 1px solid rgba(255,255,255,26);"
                                         " border-radius: 5px; padding: 2px 22px 2px 8px; }"
                                         "QComboBox::drop-down { border: none; width: 0; }"
                                         "QComboBox QAbstractItemView { color: %1; background: %2; selection-background-color: %3;"
                                         " selection-color: black; border: 1px solid rgba(255,255,255,30); }")
                              .arg(SettingsText::primary().name(QColor::HexArgb), SettingsStyle::detailBackground().name(),
                                   SettingsStyle::accent().name()));
    row->addWidget(m_menu, 0, Qt::AlignVCenter);

    m_shown.setBinding([read = selection.read] { return read(); });
    m_menu->setCurrentIndex(m_shown.value());
    m_follow = m_shown.addNotifier([this] { m_menu->setCurrentIndex(m_shown.value()); });
    connect(m_menu, &QComboBox::activated, this, [this, write = selection.write](int index) {
        write(index);
        m_menu->setCurrentIndex(m_shown.value());
    });
}

// MARK: TileSelector

namespace {

constexpr double tilePadding = 12;
constexpr double tileSpacing = 10;
constexpr double tileLabelGap = 7;

QFont tileLabelFont(bool selected)
{
    return Typography::systemFont(12, selected ? QFont::DemiBold : QFont::Normal);
}

double tileLabelHeight()
{
    return std::ceil(QFontMetricsF(tileLabelFont(true)).height());
}

} // namespace

TileSelector::TileSelector(std::vector<TileOption> options, SettingsBinding<int> selection, double height, QWidget *parent)
    : QWidget(parent)
    , m_options(std::move(options))
    , m_selection(std::move(selection))
    , m_height(height)
    , m_move(new QVariantAnimation(this))
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(sizeHint().height());
    setCursor(Qt::PointingHandCursor);
    m_move->setDuration(150);
    m_move->setEasingCurve(QEasingCurve::OutCubic);
    m_move->setStartValue(0.0);
    m_move->setEndValue(1.0);
    connect(m_move, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    m_shown.setBinding([read = m_selection.read] { return read(); });
    m_current = m_shown.value();
    m_repaint = m_shown.addNotifier([this] {
        m_previous = m_current;
        m_current = m_shown.value();
        if (isVisible())
            m_move->start();
        update();
    });
}

double TileSelector::highlight(int index) const
{
    const double progress = m_move->state() == QAbstractAnimation::Running ? m_move->currentValue().toDouble() : 1.0;
    return (index == m_current ? progress : 0.0) + (index == m_previous ? 1.0 - progress : 0.0);
}

QRectF TileSelector::tileRect(int index) const
{
    const int n = count();
    if (index < 0 || index >= n)
        return {};
    const double tileWidth = (width() - 2 * tilePadding - tileSpacing * (n - 1)) / n;
    return QRectF(tilePadding + index * (tileWidth + tileSpacing), tilePadding, tileWidth, m_height + tileLabelGap + tileLabelHeight());
}

QSize TileSelector::sizeHint() const
{
    return QSize(300, int(std::ceil(2 * tilePadding + m_height + tileLabelGap + tileLabelHeight())));
}

void TileSelector::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor selectedFill = SettingsStyle::accent();
    selectedFill.setAlphaF(0.12f);
    for (int i = 0; i < count(); ++i) {
        const double selected = highlight(i);
        const QRectF tile = tileRect(i);
        const QRectF picture(tile.left(), tile.top(), tile.width(), m_height);
        painter.setPen(Qt::NoPen);
        painter.setBrush(blend(SettingsStyle::tile(), selectedFill, selected));
        painter.drawRoundedRect(picture, 10, 10);
        painter.save();
        painter.setClipRect(picture);
        if (m_options[std::size_t(i)].preview)
            m_options[std::size_t(i)].preview(painter, picture);
        painter.restore();
        // Strokes lie inside the picture's border.
        const double line = 1 + 1.5 * selected;
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(blend(white(0.07), SettingsStyle::accent(), selected), line));
        const QRectF inner = picture.adjusted(line / 2, line / 2, -line / 2, -line / 2);
        painter.drawRoundedRect(inner, 10 - line / 2, 10 - line / 2);

        const QRectF label(tile.left(), picture.bottom() + tileLabelGap, tile.width(), tileLabelHeight());
        Typography::drawLine(painter, label, m_options[std::size_t(i)].label, tileLabelFont(selected >= 0.5),
                             blend(SettingsText::secondary(), SettingsText::primary(), selected), Qt::AlignHCenter);
    }
}

void TileSelector::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    for (int i = 0; i < count(); ++i) {
        if (tileRect(i).contains(event->position())) {
            // Also for the selected tile: the setting is written again.
            m_selection.write(i);
            return;
        }
    }
}
