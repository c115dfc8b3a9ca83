#include "Settings/GeneralSettingsPage.h"

#include "App/AppModel.h"
#include "Notch/NotchShape.h"
#include "Platform/LoginItems.h"
#include "Settings/ActionRow.h"
#include "Settings/SettingsBinding.h"
#include "Settings/SettingsControls.h"
#include "Settings/SettingsText.h"
#include "Settings/SidebarIcon.h"
#include "Settings/TilePreviews.h"
#include "Shared/SystemColors.h"
#include "Shared/Typography.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

QColor previewWhite()
{
    return QColor::fromRgbF(1, 1, 1, 0.85f);
}

// The simulated notch, 52 × 15, 8 points below the tile's top.
void paintNotchStyle(QPainter &painter, const QRectF &box)
{
    const NotchShape shape{4, 6, false};
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(shape.path(QRectF(box.center().x() - 26, box.top() + 8, 52, 15)), previewWhite());
    painter.restore();
}

// The pill, a 44 × 15 capsule 12 points below the tile's top.
void paintPillStyle(QPainter &painter, const QRectF &box)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(previewWhite());
    painter.drawRoundedRect(QRectF(box.center().x() - 22, box.top() + 12, 44, 15), 7.5, 7.5);
    painter.restore();
}

QRectF centred(const QPointF &centre, double side)
{
    return QRectF(centre.x() - side / 2, centre.y() - side / 2, side, side);
}

// The play icon and an 18-point calendar sheet, 3 points apart.
void paintDuo(QPainter &painter, const QRectF &box)
{
    const double left = box.center().x() - (22 + 3 + 18) / 2.0;
    paintTilePlayIcon(painter, QRectF(left, box.top(), 22, box.height()));
    CalendarDayIcon::paint(painter, centred(QPointF(left + 22 + 3 + 9, box.center().y()), 18), QDate::currentDate());
}

// An explanatory text under a card: 12 points, secondary, wrapping.
QLabel *addExplanation(SettingsPage &page, const QString &text)
{
    QLabel *label = page.addText(text);
    label->setFont(Typography::systemFont(12));
    return label;
}

} // namespace

QString GeneralSettingsPage::widthText(double width)
{
    // A stored value that is no number has no whole number to show.
    if (!std::isfinite(width) || std::abs(width) > 1e9)
        return QStringLiteral("–%");
    return QString::number(qint64(width)) + u'%';
}

QString GeneralSettingsPage::hoverDelayText(double seconds)
{
    return QString::asprintf("%.2fs", seconds);
}

QString GeneralSettingsPage::launchAtLoginFailure(const QString &reason)
{
    return QStringLiteral("Não deu para mudar a abertura ao iniciar sessão: ") + reason;
}

GeneralSettingsPage::GeneralSettingsPage(AppModel &model, QWidget *parent)
    : SettingsPage(SettingsPageID::general, parent)
    , m_model(model)
    , m_loginItems(model.services().loginItems)
{
    addWindowCard();
    addSimulatedStyles();
    addOpenWidth();
    addIdleActivity();
    addPermissions();
    addBehaviour();

    // The switch waits for the system's state before it can be used.
    m_launchAtLoginRow->toggle()->setEnabled(false);
    m_loginItems.readStatus(this, [this](bool enabled) {
        m_launchAtLogin = enabled;
        m_launchAtLoginRow->toggle()->setEnabled(true);
    });
}

void GeneralSettingsPage::addWindowCard()
{
    Preferences &preferences = m_model.preferences;
    SettingsCard *card = addCard();
    m_launchAtLoginRow = new ToggleRow(QStringLiteral("Abrir ao iniciar sessão"),
                                       {[this] { return m_launchAtLogin.value(); }, [this](const bool &on) { changeLaunchAtLogin(on); }});
    card->addRow(m_launchAtLoginRow);
    card->addDivider();
    card->addRow(new ToggleRow(QStringLiteral("Esconder em tela cheia"), bindingOf(preferences.hideInFullscreen)));
    card->addDivider();
    card->addRow(new ToggleRow(QStringLiteral("Esconder das capturas de tela"), bindingOf(preferences.hideFromScreenCapture)));
    card->addDivider();
    card->addRow(new ToggleRow(QStringLiteral("Notch simulado"), bindingOf(preferences.simulatedNotch),
                               withHint(QStringLiteral("Em telas sem notch, como monitores externos"))));
    card->addDivider();
    card->addRow(new PickerRow(QStringLiteral("Mostrar em"),
                               {QStringLiteral("Todas as telas"), QStringLiteral("Tela com notch"), QStringLiteral("Tela principal")},
                               indexBindingOf(preferences.displayMode, {DisplayMode::all, DisplayMode::notched, DisplayMode::main}),
                               QStringLiteral("display.2")));

    QLabel *error = SettingsText::label(QString(), 12, QFont::Normal, SystemColors::red());
    error->setWordWrap(true);
    error->setContentsMargins(6, 0, 6, 0);
    addWidget(error);
    m_errorFollow = m_launchAtLoginError.addNotifier([this, error] { error->setText(m_launchAtLoginError.value()); });
    showWhile(error, [this] { return !m_launchAtLoginError.value().isEmpty(); });
}

void GeneralSettingsPage::addSimulatedStyles()
{
    Preferences &preferences = m_model.preferences;
    const auto whileSimulated = [&preferences] { return preferences.simulatedNotch.value(); };
    showWhile(addSectionLabel(QStringLiteral("Telas sem notch")), whileSimulated);
    SettingsCard *card = addCard();
    card->addRow(new TileSelector({{QStringLiteral("Notch"), paintNotchStyle}, {QStringLiteral("Pílula"), paintPillStyle}},
                                  indexBindingOf(preferences.simulatedStyle, {SimulatedStyle::notch, SimulatedStyle::pill}), 48));
    showWhile(card, whileSimulated);
    showWhile(addExplanation(*this, QStringLiteral("A pílula flutua logo abaixo do topo, como a Dynamic Island do iPhone. Telas com notch de "
                                                   "verdade continuam com o notch.")),
              whileSimulated);
}

void GeneralSettingsPage::addOpenWidth()
{
    Preferences &preferences = m_model.preferences;
    addSectionLabel(QStringLiteral("Notch aberto"));
    addCard()->addRow(new SliderRow(QStringLiteral("Largura"), bindingOf(preferences.openWidth), 100, 170, 5, widthText));
    addExplanation(*this, QStringLiteral("Vale para o notch aberto e para os avisos. O notch abre sozinho enquanto você ajusta."));
    // Every change while the page is shown opens the notch for a moment, so
    // the new width shows while dragging.
    m_shownWidth.setBinding([&preferences] { return preferences.openWidth.value(); });
    m_widthPreview = m_shownWidth.addNotifier([this] { m_model.previewOpenNotch(); });
}

void GeneralSettingsPage::addIdleActivity()
{
    addSectionLabel(QStringLiteral("Atividade ao abrir"));
    std::vector<TileOption> tiles{
        {QStringLiteral("Nenhum"), [](QPainter &painter, const QRectF &box) { paintTileSymbol(painter, box, QStringLiteral("circle.slash")); }},
        {QStringLiteral("Tocando"), paintTilePlayIcon},
        {QStringLiteral("Calendário"),
         [](QPainter &painter, const QRectF &box) { CalendarDayIcon::paint(painter, centred(box.center(), 22), QDate::currentDate()); }},
        {QStringLiteral("Duo"), paintDuo},
    };
    addCard()->addRow(new TileSelector(
        std::move(tiles),
        indexBindingOf(m_model.preferences.idleActivity, {IdleActivity::none, IdleActivity::playing, IdleActivity::calendar, IdleActivity::duo}), 48));
}

void GeneralSettingsPage::addPermissions()
{
    addSectionLabel(QStringLiteral("Permissões"));
    addCard()->addRow(new ActionRow([] { return ActionRowContent{QStringLiteral("O que o Quib pode acessar"), std::nullopt, QStringLiteral("Ver permissões")}; },
                                    [this] { Q_EMIT m_model.permissionNotifications.quibShowPermissions(); }));
}

void GeneralSettingsPage::addBehaviour()
{
    Preferences &preferences = m_model.preferences;
    addSectionLabel(QStringLiteral("Comportamento"));
    SettingsCard *card = addCard();
    card->addRow(new ToggleRow(QStringLiteral("Contorno de contraste"), bindingOf(preferences.contrastOutline),
                               withHint(QStringLiteral("Borda sutil para destacar o notch sobre fundos escuros"))));
    card->addDivider();
    card->addRow(new ToggleRow(QStringLiteral("Abrir ao passar o mouse"), bindingOf(preferences.expandOnHover),
                               withHint(QStringLiteral("Desligado: abre com um clique"))));
    // The delay and its divider only while hovering opens the notch.
    const auto whileHovering = [&preferences] { return preferences.expandOnHover.value(); };
    showWhile(card->addDivider(), whileHovering);
    auto *delay = new SliderRow(QStringLiteral("Tempo para abrir"), bindingOf(preferences.hoverDelay), 0, 0.6, 0.05, hoverDelayText);
    card->addRow(delay);
    showWhile(delay, whileHovering);
    card->addDivider();
    card->addRow(new ToggleRow(QStringLiteral("Vibração do trackpad"), bindingOf(preferences.hapticFeedback)));
}

void GeneralSettingsPage::changeLaunchAtLogin(bool on)
{
    m_launchAtLogin = on;
    m_loginItems.setEnabled(on, this, [this](LoginItems::Error error) {
        if (!error) {
            m_launchAtLoginError = QString();
            return;
        }
        m_launchAtLoginError = launchAtLoginFailure(*error);
        // The switch shows the system's real state again; setting it here
        // does not ask for another change.
        m_loginItems.readStatus(this, [this](bool enabled) { m_launchAtLogin = enabled; });
    });
}
