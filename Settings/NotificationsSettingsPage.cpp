#include "Settings/NotificationsSettingsPage.h"

#include "App/AppModel.h"
#include "Platform/Workspace.h"
#include "Settings/FullDiskAccessWarning.h"
#include "Settings/SettingsControls.h"
#include "Settings/SettingsValueText.h"
#include "Settings/SettingsText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace {

// An application's icon stretched to 20 × 20 points.
class AppIcon : public QWidget {
public:
    AppIcon(QImage image, QWidget *parent)
        : QWidget(parent)
        , m_image(std::move(image))
    {
        setFixedSize(20, 20);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(rect()), m_image);
    }

private:
    QImage m_image;
};

} // namespace

// MARK: NotificationAppRow

NotificationAppRow::NotificationAppRow(const QString &id, const QString &name, SettingsBinding<StringSet> muted, const Workspace &workspace,
                                       QWidget *parent)
    : QWidget(parent)
    , m_id(id)
    , m_switch(new AccentSwitch(this))
{
    setFixedHeight(38);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(12, 0, 12, 0);
    row->setSpacing(9);
    // An application the workspace can no longer find shows its name alone.
    if (const auto url = workspace.urlForApplication(id)) {
        QImage icon = workspace.iconForApplication(*url);
        if (!icon.isNull()) {
            row->addWidget(new AppIcon(std::move(icon), this), 0, Qt::AlignVCenter);
            m_hasIcon = true;
        }
    }
    row->addWidget(SettingsText::label(name, 13, QFont::Normal, SettingsText::primary(), this), 0, Qt::AlignVCenter);
    row->addStretch(1);
    m_switch->setAccessibleName(name);
    row->addWidget(m_switch, 0, Qt::AlignVCenter);

    // On while the application is not muted.
    m_shown.setBinding([read = muted.read, id] { return !read().contains(id); });
    m_switch->setChecked(m_shown.value());
    m_follow = m_shown.addNotifier([this] { m_switch->setChecked(m_shown.value()); });
    connect(m_switch, &QAbstractButton::clicked, this, [this, muted](bool on) {
        // The whole set goes back, so the other applications keep their state.
        StringSet set = muted.read();
        if (on)
            set.remove(m_id);
        else
            set.insert(m_id);
        muted.write(set);
        m_switch->setChecked(m_shown.value());
    });
}

// MARK: NotificationsSettingsPage

NotificationsSettingsPage::Section NotificationsSettingsPage::section(bool hasMonitor, bool hasAccess, bool appNotifications)
{
    if (hasMonitor && hasAccess)
        return Section::appList;
    if (appNotifications)
        return Section::accessWarning;
    return Section::none;
}

NotificationsSettingsPage::NotificationsSettingsPage(AppModel &model, AppNotificationMonitor *monitor, QWidget *parent)
    : SettingsPage(SettingsPageID::notifications, parent)
    , m_model(model)
    , m_monitor(monitor)
{
    Preferences &preferences = m_model.preferences;
    SettingsCard *card = addCard();
    ToggleRow::Options messagesIcon;
    messagesIcon.icon = QStringLiteral("message.fill");
    messagesIcon.iconColor = QColor::fromRgbF(0.2f, 0.78f, 0.35f);
    card->addRow(new ToggleRow(QStringLiteral("Mensagens no notch"), bindingOf(preferences.appNotifications), messagesIcon));
    card->addDivider();
    card->addRow(new SliderRow(QStringLiteral("Duração"), bindingOf(preferences.notificationDuration), 2, 15, 1,
                               SettingsValueText::inWholeUnits(QStringLiteral("s"))));
    card->addDivider();
    ToggleRow::Options hideContent;
    hideContent.hint = QStringLiteral("Mostra só o app e “Nova notificação”");
    card->addRow(new ToggleRow(QStringLiteral("Esconder o conteúdo"), bindingOf(preferences.hideNotificationContent), hideContent));
    card->addDivider();
    // The same setting as the "Avisos" page's frontmost switch.
    card->addRow(new ToggleRow(QStringLiteral("Não mostrar se o app já estiver na frente"), bindingOf(preferences.externalSkipFrontmost)));

    m_section.setBinding([this, &preferences] {
        return section(m_monitor != nullptr, m_monitor && m_monitor->hasAccess(), preferences.appNotifications.value());
    });
    addAppList();
    auto *warning = new FullDiskAccessWarning(
        QStringLiteral("O macOS não deixa apps lerem as notificações dos outros. O Quib lê, sem alterar nada, a lista da Central de "
                       "Notificações. Em Ajustes do Sistema › Privacidade › Acesso Total ao Disco, adicione o Quib (o mesmo acesso usado "
                       "pelo Foco)."),
        [monitor] {
            if (monitor)
                monitor->openFullDiskAccessSettings();
        });
    addWidget(warning);
    showWhile(warning, [this] { return m_section.value() == Section::accessWarning; });
}

void NotificationsSettingsPage::addAppList()
{
    const auto listShown = [this] { return m_section.value() == Section::appList; };
    QLabel *note = addText(QStringLiteral("Com um Foco ativo, nada aparece no notch. Para não ver a mesma mensagem duas vezes, deixe o estilo do "
                                          "app como “Nenhum” em Ajustes do Sistema › Notificações (elas continuam na Central de Notificações)."));
    showWhile(note, listShown);
    showWhile(addSectionLabel(QStringLiteral("Apps")), listShown);

    auto *list = new QWidget;
    m_appList = new QVBoxLayout(list);
    m_appList->setContentsMargins(0, 0, 0, 0);
    addWidget(list);
    showWhile(list, listShown);

    if (m_monitor)
        m_knownApps.setBinding([monitor = m_monitor] { return monitor->knownApps(); });
    rebuildAppList();
    m_rebuild = m_knownApps.addNotifier([this] { rebuildAppList(); });
}

void NotificationsSettingsPage::rebuildAppList()
{
    while (QLayoutItem *item = m_appList->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    auto *card = new SettingsCard;
    const QList<AppNotificationMonitor::KnownApp> apps = m_knownApps.value();
    if (apps.isEmpty()) {
        QLabel *empty = SettingsText::label(QStringLiteral("Os apps aparecem aqui depois da primeira notificação."), 12, QFont::Normal,
                                            SettingsText::secondary(), card);
        empty->setWordWrap(true);
        empty->setContentsMargins(12, 12, 12, 12);
        card->addRow(empty);
    }
    for (qsizetype i = 0; i < apps.size(); ++i) {
        if (i > 0)
            card->addDivider();
        card->addRow(new NotificationAppRow(apps[i].id, apps[i].name, bindingOf(m_model.preferences.mutedNotificationApps),
                                            m_model.services().workspace, card));
    }
    m_appList->addWidget(card);
}

QList<NotificationAppRow *> NotificationsSettingsPage::appRows() const
{
    QList<NotificationAppRow *> rows;
    if (QLayoutItem *item = m_appList->itemAt(0))
        rows = item->widget()->findChildren<NotificationAppRow *>(Qt::FindDirectChildrenOnly);
    return rows;
}
