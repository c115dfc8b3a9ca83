#include "Settings/ActionRow.h"

#include "Settings/MonitorPageParts.h"
#include "Settings/SettingsText.h"
#include "Shared/SystemColors.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The status line's green dot, 6 × 6 points.
class StatusDot : public QWidget {
public:
    explicit StatusDot(QWidget *parent)
        : QWidget(parent)
    {
        setFixedSize(6, 6);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(SystemColors::green());
        painter.drawEllipse(QRectF(rect()));
    }
};

} // namespace

ActionRow::ActionRow(const QString &title, std::function<ActionRowContent()> content, std::function<void()> action, QWidget *parent)
    : QWidget(parent)
    , m_title(title)
    , m_button(smallPushButton(QString(), this))
    , m_statusLine(new QWidget(this))
    , m_status(SettingsText::label(QString(), 11, QFont::Normal, SettingsText::secondary(), m_statusLine))
{
    // At least 40 points of row with 4 more above and below.
    setMinimumHeight(48);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(12, 4, 12, 4);
    row->setSpacing(8);

    auto *texts = new QVBoxLayout;
    texts->setContentsMargins(0, 0, 0, 0);
    texts->setSpacing(1);
    QLabel *titleLabel = SettingsText::label(title, 13, QFont::Normal, SettingsText::primary(), this);
    // A long title wraps rather than pushing the button out of the card.
    titleLabel->setWordWrap(true);
    texts->addWidget(titleLabel);
    auto *statusRow = new QHBoxLayout(m_statusLine);
    statusRow->setContentsMargins(0, 0, 0, 0);
    statusRow->setSpacing(4);
    statusRow->addWidget(new StatusDot(m_statusLine), 0, Qt::AlignVCenter);
    statusRow->addWidget(m_status, 1, Qt::AlignVCenter);
    texts->addWidget(m_statusLine);
    row->addLayout(texts, 1);
    row->setAlignment(texts, Qt::AlignVCenter);

    row->addWidget(m_button, 0, Qt::AlignVCenter);
    connect(m_button, &QPushButton::clicked, this, [action = std::move(action)] { action(); });

    m_content.setBinding(std::move(content));
    apply();
    m_follow = m_content.addNotifier([this] { apply(); });
}

ActionRow::ActionRow(const QString &title, std::optional<QString> status, const QString &button, std::function<void()> action, QWidget *parent)
    : ActionRow(title, [content = ActionRowContent{std::move(status), button}] { return content; }, std::move(action), parent)
{
}

void ActionRow::apply()
{
    const ActionRowContent content = m_content.value();
    m_button->setText(content.button);
    m_status->setText(content.status.value_or(QString()));
    m_statusLine->setVisible(content.status.has_value());
}
