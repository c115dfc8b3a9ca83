#include "Settings/SoundSettingsPage.h"

#include "App/AppModel.h"
#include "Notch/MicMutedIcon.h"
#include "Settings/AccessibilityHint.h"
#include "Settings/HUDStylePicker.h"
#include "Settings/MonitorPageParts.h"
#include "Settings/SettingsControls.h"
#include "Settings/SettingsText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

ToggleRowOptions withIcon(const QString &icon, const QColor &color, std::optional<QString> hint = std::nullopt)
{
    ToggleRowOptions options;
    options.icon = icon;
    options.iconColor = color;
    options.hint = std::move(hint);
    return options;
}

} // namespace

SoundSettingsPage::SoundSettingsPage(AppModel &model, QWidget *parent)
    : SettingsPage(SettingsPageID::sound, parent)
{
    Preferences &preferences = model.preferences;
    const QColor accent = SettingsStyle::accent();
    addRows(addCard(), {
                           new ToggleRow(QStringLiteral("Som"), bindingOf(preferences.soundHUD), withIcon(QStringLiteral("speaker.wave.2.fill"), accent)),
                           durationRow(preferences.soundDuration, 0.5, 5),
                           new HUDStylePicker(preferences.soundStyle),
                           new ToggleRow(QStringLiteral("Mostrar o número (0 a 100)"), bindingOf(preferences.showVolumePercentage)),
                           new ToggleRow(QStringLiteral("Cor conforme o volume"), bindingOf(preferences.volumeLevelColors),
                                         withHint(QStringLiteral("Branco, amarelo e vermelho perto de 100"))),
                           new ToggleRow(QStringLiteral("Mostrar o fone no lugar do alto-falante"), bindingOf(preferences.showOutputDevice),
                                         withHint(QStringLiteral("Quando a saída é um AirPods ou fone Bluetooth"))),
                       });
    addWidget(new AccessibilityHint(model));

    addSectionLabel(QStringLiteral("Volume por app"));
    addRows(addCard(), {
                           new ToggleRow(QStringLiteral("Mixer no notch"), bindingOf(preferences.appMixer),
                                         withIcon(QStringLiteral("slider.horizontal.3"), accent,
                                                  QStringLiteral("Aperte volume e passe o mouse no notch"))),
                           mixerStatusRow(model),
                       });
    addWidget(pageNote(QStringLiteral("Para mudar o volume de um app, o Quib usa o recurso de áudio do macOS que captura o som de cada "
                                      "app. Na primeira vez o macOS pede a permissão de gravação de áudio; nada é gravado.")));

    addSectionLabel(QStringLiteral("Microfone"));
    addRows(addCard(), {
                           new ToggleRow(QStringLiteral("Silenciar com ⌃⌥M"), bindingOf(preferences.micShortcut),
                                         withIcon(QStringLiteral("mic.slash.fill"), MicMutedIcon::red(),
                                                  QStringLiteral("Vale para todos os apps: Teams, Meet, Discord…"))),
                           new ToggleRow(QStringLiteral("Mostrar ícone no notch enquanto estiver mudo"), bindingOf(preferences.showMicMutedIcon)),
                           new ToggleRow(QStringLiteral("Som mudo: ícone no notch"), bindingOf(preferences.showSoundMutedIcon),
                                         withHint(QStringLiteral("Fica no notch, e na tela de bloqueio, enquanto o som estiver mudo"))),
                       });
}

QString SoundSettingsPage::mixerStatus(qsizetype count)
{
    if (count == 0)
        return QStringLiteral("Todos os apps em 100%");
    return QString::number(count) + QStringLiteral(" app(s) com volume próprio");
}

QWidget *SoundSettingsPage::mixerStatusRow(AppModel &model)
{
    auto *row = new QWidget;
    row->setFixedHeight(40);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(12, 0, 12, 0);
    m_status = SettingsText::label(QString(), 13, QFont::Normal, SettingsText::primary(), row);
    layout->addWidget(m_status, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    m_reset = smallPushButton(QStringLiteral("Voltar todos a 100%"), row);
    layout->addWidget(m_reset, 0, Qt::AlignVCenter);
    AudioMixer &mixer = model.mixer;
    connect(m_reset, &QAbstractButton::clicked, row, [&mixer] { mixer.resetAll(); });

    m_ownVolumes.setBinding([&mixer] { return mixer.gains().size(); });
    const auto show = [this] {
        m_status->setText(mixerStatus(m_ownVolumes.value()));
        m_reset->setEnabled(m_ownVolumes.value() > 0);
    };
    show();
    m_followOwnVolumes = m_ownVolumes.addNotifier(show);
    return row;
}
