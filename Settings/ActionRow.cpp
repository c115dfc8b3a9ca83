#include "Settings/ActionRow.h"

#include "Settings/SettingsStyle.h"
#include "Settings/SettingsText.h"
#include "Shared/SystemColors.h"
#include "Shared/Typography.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The 6-point green dot before a status.
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

ActionRow::ActionRow(std::function<ActionRowContent()> content, std::function<void()> action, QWidget *parent)
    : QWidget(parent)
    , m_title(SettingsText::label(QString(), 13, QFont::Normal, SettingsText::primary(), this))
    , m_statusLine(new QWidget(this))
    , m_status(SettingsText::label(QString(), 11, QFont::Normal, SettingsText::secondary(), m_statusLine))
    , m_button(new QPushButton(this))
{
    setMinimumHeight(40 + 2 * 4);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(12, 4, 12, 4);
    row->setSpacing(8);

    auto *texts = new QVBoxLayout;
    texts->setContentsMargins(0, 0, 0, 0);
    texts->setSpacing(1);
    texts->addWidget(m_title);
    m_title->setWordWrap(true);
    auto *statusRow = new QHBoxLayout(m_statusLine);
    statusRow->setContentsMargins(0, 0, 0, 0);
    statusRow->setSpacing(4);
    statusRow->addWidget(new StatusDot(m_statusLine), 0, Qt::AlignVCenter);
    statusRow->addWidget(m_status, 1, Qt::AlignVCenter);
    texts->addWidget(m_statusLine);
    row->addLayout(texts, 1);

    // A small push button, dark like the rest of the window.
    m_button->setFont(Typography::systemFont(11));
    m_button->setCursor(Qt::PointingHandCursor);
    m_button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_button->setStyleSheet(QStringLiteral("QPushButton { color: %1; background: rgba(255,255,255,28); border: 1px solid rgba(255,255,255,30);"
                                           " border-radius: 5px; padding: 2px 9px; }"
                                           "QPushButton:pressed { background: rgba(255,255,255,56); }")
                                .arg(SettingsText::primary().name(QColor::HexArgb)));
    row->addWidget(m_button, 0, Qt::AlignVCenter);
    connect(m_button, &QPushButton::clicked, this, [action = std::move(action)] { action(); });

    m_content.setBinding(std::move(content));
    apply();
    m_follow = m_content.addNotifier([this] { apply(); });
}

void ActionRow::apply()
{
    const ActionRowContent content = m_content.value();
    m_title->setText(content.title);
    m_status->setText(content.status.value_or(QString()));
    m_statusLine->setVisible(content.status.has_value());
    m_button->setText(content.button);
}
