#include "Settings/SettingsPage.h"

#include "Settings/SettingsStyle.h"
#include "Settings/SettingsText.h"
#include "Settings/SidebarIcon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

// The hairline between two rows of a card, from 12 points in to the right edge.
class RowDivider : public QWidget {
public:
    explicit RowDivider(QWidget *parent)
        : QWidget(parent)
    {
        setFixedHeight(1);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(QRectF(12, 0, width() - 12, 1), SettingsStyle::divider());
    }
};

void fillBackground(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

SettingsCard::SettingsCard(QWidget *parent)
    : QWidget(parent)
    , m_rows(new QVBoxLayout(this))
{
    m_rows->setContentsMargins(0, 0, 0, 0);
    m_rows->setSpacing(0);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void SettingsCard::addRow(QWidget *row)
{
    m_rows->addWidget(row);
}

QWidget *SettingsCard::addDivider()
{
    auto *divider = new RowDivider(this);
    m_rows->addWidget(divider);
    return divider;
}

void SettingsCard::paintEvent(QPaintEvent *)
{
    constexpr double radius = 12;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(SettingsStyle::card());
    painter.drawRoundedRect(QRectF(rect()), radius, radius);
    // Half the line width in, so the stroke lies inside the card's frame.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(SettingsStyle::cardStroke(), 1));
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
}

SettingsPage::SettingsPage(SettingsPageID page, QWidget *parent)
    : QWidget(parent)
    , m_page(page)
    , m_scroll(new QScrollArea(this))
{
    fillBackground(this, SettingsStyle::detailBackground());

    auto *header = new QWidget(this);
    header->setObjectName(QStringLiteral("settingsPageHeader"));
    header->setFixedHeight(52);
    fillBackground(header, SettingsStyle::detailBackground());
    auto *headerRow = new QHBoxLayout(header);
    headerRow->setContentsMargins(16, 0, 16, 0);
    headerRow->setSpacing(9);
    headerRow->addWidget(new SidebarIcon(page, 22, header), 0, Qt::AlignVCenter);
    headerRow->addWidget(SettingsText::label(SettingsPages::title(page), 15, QFont::Bold, SettingsText::primary(), header), 0,
                         Qt::AlignVCenter);
    headerRow->addStretch(1);

    auto *content = new QWidget;
    fillBackground(content, SettingsStyle::detailBackground());
    m_column = new QVBoxLayout(content);
    m_column->setContentsMargins(16, 4, 16, 22);
    m_column->setSpacing(10);
    m_column->addStretch(1);

    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scroll->setWidget(content);
    fillBackground(m_scroll->viewport(), SettingsStyle::detailBackground());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(header);
    layout->addWidget(m_scroll, 1);
}

QLabel *SettingsPage::addSectionLabel(const QString &text)
{
    QLabel *label = SettingsText::label(text, 13, QFont::DemiBold, SettingsText::secondary());
    label->setContentsMargins(6, 8, 0, 0);
    addWidget(label);
    return label;
}

SettingsCard *SettingsPage::addCard()
{
    auto *card = new SettingsCard;
    addWidget(card);
    return card;
}

QLabel *SettingsPage::addText(const QString &text)
{
    QLabel *label = SettingsText::label(text, 12, QFont::Normal, SettingsText::secondary());
    label->setWordWrap(true);
    label->setContentsMargins(6, 0, 6, 0);
    addWidget(label);
    return label;
}

void SettingsPage::addWidget(QWidget *widget)
{
    // Before the closing stretch, which keeps the column at the top.
    m_column->insertWidget(m_column->count() - 1, widget);
}
