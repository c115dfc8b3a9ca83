#include "Settings/SettingsView.h"

#include "App/AppModel.h"
#include "Settings/AboutSettingsPage.h"
#include "Settings/BatterySettingsPage.h"
#include "Settings/CalendarSettingsPage.h"
#include "Settings/ConnectivitySettingsPage.h"
#include "Settings/DisplaySettingsPage.h"
#include "Settings/FocusSettingsPage.h"
#include "Settings/GeneralSettingsPage.h"
#include "Settings/LockScreenSettingsPage.h"
#include "Settings/MessagesSettingsPage.h"
#include "Settings/NotificationsSettingsPage.h"
#include "Settings/NowPlayingSettingsPage.h"
#include "Settings/SettingsPage.h"
#include "Settings/SettingsRouter.h"
#include "Settings/SettingsStyle.h"
#include "Settings/SettingsText.h"
#include "Settings/SidebarIcon.h"
#include "Settings/SoundSettingsPage.h"
#include "Settings/TimersSettingsPage.h"
#include "Shared/Typography.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int itemHeight = 32;
constexpr int itemPadding = 8;
constexpr int sidebarIconSize = 20;
constexpr int iconSpacing = 9;
constexpr int trailingSpace = 4;
constexpr double titleSize = 13;
// A title may shrink to this share of its size before it is cut.
constexpr double titleMinimumScale = 0.85;

// `title` in the sidebar's font, shrunk (down to 85 %) and then cut with an
// ellipsis to fit `width`.
Typography::Line fittedTitle(const QString &title, double width)
{
    QFont font = Typography::systemFont(titleSize);
    const double natural = Typography::width(title, font);
    if (natural > width) {
        font.setPixelSize(int(titleSize * std::max(titleMinimumScale, width / natural)));
        font.setPointSizeF(-1);
    }
    return {QFontMetricsF(font).elidedText(title, Qt::ElideRight, width), font};
}

// One page of the sidebar: its icon and title on a highlight while it is the
// router's page. The whole row is the click target.
class SidebarItem : public QAbstractButton {
public:
    SidebarItem(SettingsPageID page, SettingsRouter &router, QWidget *parent)
        : QAbstractButton(parent)
        , m_page(page)
    {
        setFixedHeight(itemHeight);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        setCursor(Qt::PointingHandCursor);
        setText(SettingsPages::title(page));
        setAccessibleName(text());
        m_current.setBinding([&router, page] { return router.page() == page; });
        m_repaint = m_current.addNotifier([this] { update(); });
        connect(this, &QAbstractButton::clicked, this, [this, &router] {
            if (router.page() != m_page)
                router.setPage(m_page);
        });
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (m_current.value()) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor::fromRgbF(1, 1, 1, 0.09f));
            painter.drawRoundedRect(QRectF(rect()), 8, 8);
        }
        const QRectF icon(itemPadding, (height() - sidebarIconSize) / 2.0, sidebarIconSize, sidebarIconSize);
        SidebarIcon::paint(painter, icon, m_page);
        const double left = icon.right() + iconSpacing;
        const double titleWidth = width() - itemPadding - trailingSpace - left;
        const Typography::Line line = fittedTitle(text(), titleWidth);
        painter.setFont(line.font);
        painter.setPen(SettingsText::primary());
        painter.drawText(QRectF(left, 0, titleWidth, height()), Qt::AlignLeft | Qt::AlignVCenter, line.text);
    }

private:
    const SettingsPageID m_page;
    QProperty<bool> m_current;
    QPropertyNotifier m_repaint;
};

// The 1-point line between the sidebar and the page.
class Separator : public QWidget {
public:
    explicit Separator(QWidget *parent)
        : QWidget(parent)
    {
        setFixedWidth(1);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor::fromRgbF(0, 0, 0, 0.4f));
    }
};

void fillBackground(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// The dark look of the whole window, whatever the desktop's theme: standard
// controls inside the pages (buttons, menus) draw on it too.
QPalette darkPalette()
{
    QPalette palette;
    const QColor text = SettingsText::primary();
    palette.setColor(QPalette::Window, SettingsStyle::detailBackground());
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, QColor::fromRgbF(0.1f, 0.1f, 0.1f));
    palette.setColor(QPalette::AlternateBase, SettingsStyle::sidebarBackground());
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor::fromRgbF(0.3f, 0.3f, 0.3f));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Highlight, SettingsStyle::accent());
    palette.setColor(QPalette::HighlightedText, Qt::black);
    palette.setColor(QPalette::ToolTipBase, SettingsStyle::sidebarBackground());
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, SettingsText::tertiary());
    return palette;
}

} // namespace

SettingsView::SettingsView(SettingsRouter &router, AppModel &model, QWidget *parent)
    : QWidget(parent)
    , m_router(router)
    , m_model(model)
{
    setFixedSize(fixedSize);
    setPalette(darkPalette());
    fillBackground(this, SettingsStyle::detailBackground());

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(makeSidebar());
    row->addWidget(new Separator(this));
    m_detail = new QWidget(this);
    auto *detailLayout = new QVBoxLayout(m_detail);
    detailLayout->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_detail, 1);

    showPage();
    m_follow = router.bindablePage().addNotifier([this] { showPage(); });
}

SettingsView::~SettingsView() = default;

QWidget *SettingsView::makeSidebar()
{
    auto *sidebar = new QWidget(this);
    sidebar->setFixedWidth(sidebarWidth);
    fillBackground(sidebar, SettingsStyle::sidebarBackground());
    auto *column = new QVBoxLayout(sidebar);
    column->setContentsMargins(10, 0, 10, 0);
    column->setSpacing(2);
    // Room for the window's title bar and its buttons.
    column->addSpacing(46);

    const auto header = [&](const QString &text) {
        QLabel *label = SettingsText::label(text, 12, QFont::DemiBold, SettingsText::secondary(), sidebar);
        label->setContentsMargins(8, 16, 0, 4);
        column->addWidget(label);
        m_headers.push_back(label);
    };
    const auto item = [&](SettingsPageID page) {
        auto *button = new SidebarItem(page, m_router, sidebar);
        column->addWidget(button);
        m_items.push_back(button);
    };

    item(SettingsPageID::general);
    header(QStringLiteral("Notificações"));
    for (SettingsPageID page : {SettingsPageID::notifications, SettingsPageID::messages, SettingsPageID::battery, SettingsPageID::connectivity,
                                SettingsPageID::focus, SettingsPageID::display, SettingsPageID::sound})
        item(page);
    header(QStringLiteral("Atividades"));
    for (SettingsPageID page : {SettingsPageID::nowPlaying, SettingsPageID::calendar, SettingsPageID::timers, SettingsPageID::lockScreen})
        item(page);
    header(QStringLiteral("Quib"));
    item(SettingsPageID::about);
    column->addStretch(1);
    return sidebar;
}

void SettingsView::showPage()
{
    SettingsPage *page = makePage(m_router.page(), m_model, m_router);
    if (m_page) {
        m_detail->layout()->removeWidget(m_page);
        // The old page may be the sender of what changed the page.
        m_page->hide();
        m_page->deleteLater();
    }
    m_page = page;
    m_detail->layout()->addWidget(m_page);
}

// One line per page. A page whose view is not built yet shows its header.
SettingsPage *SettingsView::makePage(SettingsPageID page, AppModel &model, SettingsRouter &router)
{
    switch (page) {
    case SettingsPageID::general: return new GeneralSettingsPage(model);
    case SettingsPageID::notifications: return new NotificationsSettingsPage(model, router.notifications());
    case SettingsPageID::messages: return new MessagesSettingsPage(model);
    case SettingsPageID::battery: return new BatterySettingsPage(model);
    case SettingsPageID::connectivity: return new ConnectivitySettingsPage(model);
    case SettingsPageID::focus: return new FocusSettingsPage(model, router.focus());
    case SettingsPageID::display: return new DisplaySettingsPage(model);
    case SettingsPageID::sound: return new SoundSettingsPage(model);
    case SettingsPageID::nowPlaying: return new NowPlayingSettingsPage(model);
    case SettingsPageID::calendar: return new CalendarSettingsPage(model);
    case SettingsPageID::timers: return new TimersSettingsPage(model);
    case SettingsPageID::lockScreen: return new LockScreenSettingsPage(model);
    case SettingsPageID::about: return new AboutSettingsPage(model);
    }
    return new SettingsPage(page);
}
