#include "Settings/CommandExample.h"

#include "Platform/Symbols.h"
#include "Platform/Workspace.h"
#include "Settings/SettingsText.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>

#include <algorithm>

namespace {

// A one-line label that cuts its text at the end with an ellipsis instead
// of growing, so the copy button beside it stays visible. Its text stays
// selectable.
class ElidedLabel : public QLabel {
public:
    ElidedLabel(QString text, QWidget *parent)
        : QLabel(parent)
        , m_full(std::move(text))
    {
        setTextFormat(Qt::PlainText);
        setTextInteractionFlags(Qt::TextSelectableByMouse);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        setText(m_full);
    }

    QSize sizeHint() const override { return QSize(fontMetrics().horizontalAdvance(m_full), QLabel::sizeHint().height()); }
    QSize minimumSizeHint() const override { return QSize(0, QLabel::minimumSizeHint().height()); }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QLabel::resizeEvent(event);
        setText(fontMetrics().elidedText(m_full, Qt::ElideRight, width()));
    }

private:
    const QString m_full;
};

QIcon symbolIcon(const QString &name)
{
    // Drawn at twice the size, sharp on screens with two pixels per point.
    return QIcon(QPixmap::fromImage(Symbols::image(name, 22, SettingsText::secondary())));
}

} // namespace

CommandExample::CommandExample(const QString &command, Workspace &workspace, Scheduler &scheduler, QWidget *parent)
    : QWidget(parent)
    , m_command(command)
    , m_workspace(workspace)
    , m_scheduler(scheduler)
    , m_text(new ElidedLabel(command, this))
    , m_copy(new QToolButton(this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(9, 6, 9, 6);
    row->setSpacing(8);

    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    // 11.5 points: QFont takes whole pixel sizes only, so through the point
    // size at the 96 dpi of Qt's logical coordinates.
    font.setPointSizeF(11.5 * 72.0 / 96.0);
    m_text->setFont(font);
    QColor color = SettingsText::primary();
    color.setAlphaF(color.alphaF() * 0.85f);
    QPalette palette = m_text->palette();
    palette.setColor(QPalette::WindowText, color);
    m_text->setPalette(palette);
    row->addWidget(m_text, 1, Qt::AlignVCenter);
    // The spacer of at least 4 points.
    row->addSpacing(4);

    m_copy->setAutoRaise(true);
    m_copy->setToolTip(QStringLiteral("Copiar"));
    m_copy->setCursor(Qt::PointingHandCursor);
    m_copy->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; padding: 0; }"));
    m_copy->setIconSize(QSize(11, 11));
    row->addWidget(m_copy, 0, Qt::AlignVCenter);
    connect(m_copy, &QToolButton::clicked, this, &CommandExample::copy);

    const auto showState = [this] { m_copy->setIcon(symbolIcon(m_copied.value() ? QStringLiteral("checkmark") : QStringLiteral("doc.on.doc"))); };
    showState();
    m_redraw = m_copied.addNotifier(showState);
}

CommandExample::~CommandExample()
{
    for (const Scheduler::Token token : m_resets)
        m_scheduler.cancel(token);
}

QString CommandExample::shownText() const
{
    return m_text->text();
}

void CommandExample::copy()
{
    m_workspace.setClipboardText(m_command);
    m_copied = true;
    // The token is known only once scheduled; the work removes its own.
    auto token = std::make_shared<Scheduler::Token>(0);
    *token = m_scheduler.scheduleAfter(copiedDuration, [this, token] {
        m_resets.erase(std::remove(m_resets.begin(), m_resets.end(), *token), m_resets.end());
        m_copied = false;
    });
    m_resets.push_back(*token);
}

void CommandExample::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgbF(0, 0, 0, 0.25f));
    painter.drawRoundedRect(QRectF(rect()), 7, 7);
}
