#include "Notch/ClaudeUsageSection.h"

#include "App/AppModel.h"
#include "Platform/Symbols.h"
#include "Shared/Typography.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr double markSize = 11;
constexpr double markSpacing = 6;
constexpr double trailingMinimumSpacing = 8;
constexpr double largestPercent = 9999;

QFont titleFont() { return Typography::systemFont(13.5, QFont::Medium); }
QFont trailingFont() { return Typography::systemFont(11.5); }
QFont labelFont() { return Typography::systemFont(12.5); }
QFont percentFont() { return Typography::withMonospacedDigits(Typography::systemFont(13)); }
QFont messageFont() { return Typography::systemFont(11, QFont::Medium); }

QColor white(double opacity) { return QColor::fromRgbF(1, 1, 1, float(opacity)); }

bool needsPermission(const ClaudeUsage::Status &status) { return status.kind == ClaudeUsage::Status::Kind::needsPermission; }

// The agent's mark and name on one line of `height` from `top`.
std::pair<QRectF, QRectF> markAndTitle(double top, double height)
{
    const QRectF mark(0, top + (height - markSize) / 2, markSize, markSize);
    const double titleLeft = markSize + markSpacing;
    return {mark, QRectF(titleLeft, top, Typography::width(QStringLiteral("Claude"), titleFont()), height)};
}

void drawMarkAndTitle(QPainter &painter, const QRectF &mark, const QRectF &title)
{
    Symbols::draw(painter, mark, QStringLiteral("sparkle"), ClaudeUsageSection::claudeColor());
    Typography::drawLine(painter, title, QStringLiteral("Claude"), titleFont(), white(0.9));
}

void drawCapsule(QPainter &painter, const QRectF &rect, const QColor &color)
{
    painter.setBrush(color);
    const double radius = std::min(rect.width(), rect.height()) / 2;
    painter.drawRoundedRect(rect, radius, radius);
}

} // namespace

ClaudeUsageSection::ClaudeUsageSection(AppModel &app, QGraphicsItem *parent)
    : ClickableItem(
          [&app] {
              if (needsPermission(app.claudeUsage.status()))
                  app.claudeUsage.fetch(Credentials::Interaction::allowed);
          },
          parent)
    , m_app(app)
    , m_date(app.services().scheduler.now())
    , m_clock(app.services().scheduler)
    , m_usageAnimation(app.services().scheduler, usageAnimationDuration, [this] { update(); })
{
    m_inputs.setBinding([this] {
        return Inputs{m_app.claudeUsage.bindableFiveHour().value(), m_app.claudeUsage.bindableSevenDay().value(),
                      m_app.claudeUsage.bindableStatus().value(), m_date.value()};
    });
    m_inputsNotifier = m_inputs.addNotifier([this] { relayout(); });
    m_clock.start(clockInterval, [this] { m_date = m_app.services().scheduler.now(); });
    relayout();
}

ClaudeUsageSection::~ClaudeUsageSection() = default;

QColor ClaudeUsageSection::claudeColor()
{
    static const QColor color = QColor::fromRgbF(0.85f, 0.47f, 0.34f, 1);
    return color;
}

QColor ClaudeUsageSection::color(double used)
{
    if (used >= 95)
        return QColor::fromRgbF(1.0f, 0.3f, 0.27f);
    if (used >= 80)
        return QColor::fromRgbF(1.0f, 0.55f, 0.2f);
    if (used >= 60)
        return QColor::fromRgbF(1.0f, 0.82f, 0.25f);
    // Below 60, and a value that is not a number.
    return QColor::fromRgbF(0.3f, 0.82f, 0.5f);
}

QString ClaudeUsageSection::shortInterval(const QDateTime &from, const QDateTime &to)
{
    // Whole minutes, truncated toward zero; QDateTime differences are exact
    // 64-bit milliseconds, so no date the model holds overflows here.
    const qint64 minutes = from.msecsTo(to) / 60000;
    const qint64 n = minutes > 1 ? minutes : 1;
    if (minutes <= 59)
        return QStringLiteral("%1min").arg(n);
    if (minutes <= 1439) {
        const qint64 hours = n / 60;
        const qint64 rest = n % 60;
        if (rest == 0)
            return QStringLiteral("%1h").arg(hours);
        return QStringLiteral("%1h%2").arg(hours).arg(rest, 2, 10, QLatin1Char('0'));
    }
    return QStringLiteral("%1d").arg(n / 1440);
}

std::optional<ClaudeUsageWindow> ClaudeUsageSection::displayed(const std::optional<ClaudeUsageWindow> &window, const QDateTime &date)
{
    if (window && window->resetsAt && *window->resetsAt <= date)
        return ClaudeUsageWindow{0, std::nullopt};
    return window;
}

double ClaudeUsageSection::fraction(double used)
{
    if (std::isnan(used))
        return 0;
    return std::clamp(used / 100, 0.0, 1.0);
}

QString ClaudeUsageSection::percentText(double used)
{
    const double bounded = std::isnan(used) ? 0 : std::clamp(used, 0.0, largestPercent);
    // std::round rounds halves away from zero.
    return QStringLiteral("%1%").arg(qint64(std::round(bounded)));
}

ClaudeUsageSection::Layout ClaudeUsageSection::layout(const std::optional<ClaudeUsageWindow> &fiveHour,
                                                      const std::optional<ClaudeUsageWindow> &sevenDay, const ClaudeUsage::Status &status,
                                                      const QDateTime &date, double width)
{
    Layout layout;
    std::tie(layout.mark, layout.title) = markAndTitle(0, headerHeight);

    const auto shownFiveHour = displayed(fiveHour, date);
    const auto shownSevenDay = displayed(sevenDay, date);
    if (needsPermission(status)) {
        layout.trailingText = QStringLiteral("toque para atualizar");
        layout.trailingColor = claudeColor();
    } else if (shownFiveHour && shownFiveHour->resetsAt) {
        layout.trailingText = QStringLiteral("reinicia em ") + shortInterval(date, *shownFiveHour->resetsAt);
        layout.trailingColor = white(0.45);
    }
    if (layout.trailingText) {
        // Never truncated: it keeps its width and the spacer gives way.
        const double textWidth = Typography::width(*layout.trailingText, trailingFont());
        const double left = std::max(layout.title.right() + trailingMinimumSpacing, width - textWidth);
        layout.trailing = QRectF(left, 0, textWidth, headerHeight);
    }

    double top = headerHeight + rowsTopPadding;
    const auto addRow = [&](const QString &label, const ClaudeUsageWindow &window) {
        Row row;
        row.label = label;
        row.window = window;
        row.labelRect = QRectF(0, top, labelWidth, rowHeight);
        const double barLeft = labelWidth + rowItemSpacing;
        const double barWidth = std::max(0.0, width - barLeft - rowItemSpacing - percentWidth);
        row.bar = QRectF(barLeft, top + (rowHeight - barHeight) / 2, barWidth, barHeight);
        const double progressWidth = fraction(window.used) * barWidth;
        row.progress = QRectF(row.bar.topLeft(), QSizeF(progressWidth <= minimumProgressWidth ? minimumProgressWidth : progressWidth, barHeight));
        row.color = color(window.used);
        row.percentRect = QRectF(width - percentWidth, top, percentWidth, rowHeight);
        row.percentText = percentText(window.used);
        layout.rows.append(row);
        top += rowHeight + rowSpacing;
    };
    if (shownFiveHour)
        addRow(QStringLiteral("Sessão"), *shownFiveHour);
    if (shownSevenDay)
        addRow(QStringLiteral("Semana"), *shownSevenDay);
    layout.height = layout.rows.isEmpty() ? headerHeight : top - rowSpacing;
    return layout;
}

void ClaudeUsageSection::setWidth(double width)
{
    if (width == m_width)
        return;
    m_width = width;
    relayout();
}

void ClaudeUsageSection::relayout()
{
    const Inputs inputs = m_inputs.value();
    Layout next = layout(inputs.fiveHour, inputs.sevenDay, inputs.status, inputs.date, m_width);
    if (next == m_layout)
        return;
    // A row whose usage changed grows or shrinks from where it is drawn.
    const double progress = m_usageAnimation.progress();
    bool usageChanged = false;
    QHash<QString, double> from;
    for (const Row &row : next.rows) {
        const auto old = std::find_if(m_layout.rows.begin(), m_layout.rows.end(), [&](const Row &r) { return r.label == row.label; });
        if (old == m_layout.rows.end())
            continue;
        const double start = m_animatedFrom.value(row.label, old->progress.width());
        from.insert(row.label, start + (old->progress.width() - start) * progress);
        usageChanged = usageChanged || old->window.used != row.window.used;
    }
    const bool heightChanges = next.height != m_layout.height;
    prepareGeometryChange();
    m_layout = std::move(next);
    m_animatedFrom = std::move(from);
    if (usageChanged)
        m_usageAnimation.start();
    update();
    if (heightChanges)
        Q_EMIT heightChanged();
}

QRectF ClaudeUsageSection::boundingRect() const
{
    return QRectF(0, 0, m_width, m_layout.height);
}

void ClaudeUsageSection::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    drawMarkAndTitle(*painter, m_layout.mark, m_layout.title);
    if (m_layout.trailingText)
        Typography::drawLine(*painter, m_layout.trailing, *m_layout.trailingText, trailingFont(), m_layout.trailingColor, Qt::AlignRight);
    const double progress = m_usageAnimation.progress();
    painter->setPen(Qt::NoPen);
    for (const Row &row : m_layout.rows) {
        Typography::drawLine(*painter, row.labelRect, row.label, labelFont(), white(0.5));
        drawCapsule(*painter, row.bar, white(0.12));
        QRectF bar = row.progress;
        if (m_animatedFrom.contains(row.label)) {
            const double start = m_animatedFrom.value(row.label);
            bar.setWidth(start + (row.progress.width() - start) * progress);
        }
        drawCapsule(*painter, bar, row.color);
        Typography::drawLine(*painter, row.percentRect, row.percentText, percentFont(), white(0.85), Qt::AlignRight);
    }
    painter->restore();
}

ClaudeUsageEmpty::ClaudeUsageEmpty(AppModel &app, QGraphicsItem *parent)
    : ClickableItem(
          [&app] {
              if (needsPermission(app.claudeUsage.status()))
                  app.claudeUsage.fetch(Credentials::Interaction::allowed);
          },
          parent)
    , m_app(app)
{
    m_inputs.setBinding([this] { return std::pair(m_app.preferences.claudeUsageFromLogin.value(), m_app.claudeUsage.bindableStatus().value()); });
    m_inputsNotifier = m_inputs.addNotifier([this] { relayout(); });
    relayout();
}

ClaudeUsageEmpty::~ClaudeUsageEmpty() = default;

QString ClaudeUsageEmpty::message(bool usageFromLogin, const ClaudeUsage::Status &status)
{
    using Kind = ClaudeUsage::Status::Kind;
    if (!usageFromLogin)
        return QStringLiteral("Conecte em Ajustes › Avisos para ver seus limites");
    switch (status.kind) {
    case Kind::off:
    case Kind::loading:
    case Kind::ok:
        return QStringLiteral("Consultando os limites…");
    case Kind::noLogin:
        return QStringLiteral("Entre no Claude Code para ver seus limites");
    case Kind::expired:
        return QStringLiteral("Login do Claude Code expirado");
    case Kind::needsPermission:
        return QStringLiteral("Toque aqui para permitir o acesso ao login do Claude Code");
    case Kind::failed:
        return QStringLiteral("Não deu para consultar agora");
    }
    return {};
}

QString ClaudeUsageEmpty::message() const
{
    const auto [fromLogin, status] = m_inputs.value();
    return message(fromLogin, status);
}

ClaudeUsageEmpty::Layout ClaudeUsageEmpty::layout(const QString &message, bool needsPermission, double width)
{
    Layout layout;
    const double headerHeight = QFontMetricsF(titleFont()).height();
    std::tie(layout.mark, layout.title) = markAndTitle(0, headerHeight);
    // As many lines as the message needs.
    const QFontMetricsF metrics(messageFont());
    layout.messageLines = Typography::wrap(message, messageFont(), width, std::max(1, int(message.size())));
    layout.message = QRectF(0, headerHeight + spacing, width, metrics.height() * layout.messageLines.size());
    layout.messageColor = needsPermission ? ClaudeUsageSection::claudeColor() : white(0.55);
    layout.height = layout.message.bottom();
    return layout;
}

void ClaudeUsageEmpty::setWidth(double width)
{
    if (width == m_width)
        return;
    m_width = width;
    relayout();
}

void ClaudeUsageEmpty::relayout()
{
    Layout next = layout(message(), needsPermission(m_inputs.value().second), m_width);
    if (next == m_layout)
        return;
    const bool heightChanges = next.height != m_layout.height;
    prepareGeometryChange();
    m_layout = std::move(next);
    update();
    if (heightChanges)
        Q_EMIT heightChanged();
}

QRectF ClaudeUsageEmpty::boundingRect() const
{
    return QRectF(0, 0, m_width, m_layout.height);
}

void ClaudeUsageEmpty::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    drawMarkAndTitle(*painter, m_layout.mark, m_layout.title);
    const double lineHeight = QFontMetricsF(messageFont()).height();
    for (int i = 0; i < m_layout.messageLines.size(); ++i) {
        const QRectF line(m_layout.message.left(), m_layout.message.top() + i * lineHeight, m_layout.message.width(), lineHeight);
        Typography::drawLine(*painter, line, m_layout.messageLines[i], messageFont(), m_layout.messageColor);
    }
    painter->restore();
}
