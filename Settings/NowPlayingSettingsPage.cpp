#include "Settings/NowPlayingSettingsPage.h"

#include "App/AppModel.h"
#include "Settings/SettingsControls.h"
#include "Settings/SettingsValueText.h"
#include "Settings/TilePreviews.h"
#include "Shared/SystemColors.h"

#include <QLinearGradient>
#include <QPainter>

namespace {

// A sample of the waveform's colouring: a 70 × 6 track with a 46-point bar
// filled as `style` fills the waveform.
void paintWaveformStylePreview(QPainter &painter, const QRectF &box, WaveformStyle style)
{
    const QRectF track(box.center().x() - 35, box.center().y() - 3, 70, 6);
    const QRectF bar(track.left(), track.top(), 46, 6);
    QBrush fill;
    switch (style) {
    case WaveformStyle::monochrome:
        fill = QColor::fromRgbF(1, 1, 1, 0.85f);
        break;
    case WaveformStyle::colored:
        fill = SettingsStyle::accent();
        break;
    case WaveformStyle::gradient: {
        QLinearGradient gradient(bar.topLeft(), bar.topRight());
        gradient.setColorAt(0, SettingsStyle::accent());
        gradient.setColorAt(0.5, SystemColors::orange());
        gradient.setColorAt(1, SystemColors::pink());
        fill = gradient;
        break;
    }
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgbF(1, 1, 1, 0.15f));
    painter.drawRoundedRect(track, 3, 3);
    painter.setBrush(fill);
    painter.drawRoundedRect(bar, 3, 3);
    painter.restore();
}

TileOption waveformTile(const QString &label, WaveformStyle style)
{
    return {label, [style](QPainter &painter, const QRectF &box) { paintWaveformStylePreview(painter, box, style); }};
}

TileOption symbolTile(const QString &label, const QString &symbol)
{
    return {label, [symbol](QPainter &painter, const QRectF &box) { paintTileSymbol(painter, box, symbol); }};
}

} // namespace

NowPlayingSettingsPage::NowPlayingSettingsPage(AppModel &model, QWidget *parent)
    : SettingsPage(SettingsPageID::nowPlaying, parent)
{
    Preferences &preferences = model.preferences;

    SettingsCard *card = addCard();
    ToggleRow::Options playing;
    playing.icon = QStringLiteral("play.fill");
    card->addRow(new ToggleRow(QStringLiteral("Tocando agora"), bindingOf(preferences.nowPlayingEnabled), playing));
    card->addDivider();
    card->addRow(new SliderRow(QStringLiteral("Tempo depois de pausar"), bindingOf(preferences.idleDuration), 0, 15, 1,
                               SettingsValueText::inWholeUnits(QStringLiteral("s"))));
    card->addDivider();
    card->addRow(new TileSelector({waveformTile(QStringLiteral("Monocromático"), WaveformStyle::monochrome),
                                   waveformTile(QStringLiteral("Colorido"), WaveformStyle::colored),
                                   waveformTile(QStringLiteral("Gradiente"), WaveformStyle::gradient)},
                                  indexBindingOf(preferences.waveformStyle,
                                                 {WaveformStyle::monochrome, WaveformStyle::colored, WaveformStyle::gradient}),
                                  48));
    card->addDivider();
    ToggleRow::Options peek;
    peek.hint = QStringLiteral("O notch abre um pouco com o nome da música");
    card->addRow(new ToggleRow(QStringLiteral("Mostrar a música nova ao trocar"), bindingOf(preferences.songPeek), peek));
    card->addDivider();
    card->addRow(new ToggleRow(QStringLiteral("Mostrar onda no modo compacto"), bindingOf(preferences.showWaveform)));
    card->addDivider();
    card->addRow(new ToggleRow(QStringLiteral("Animação de virar a capa"), bindingOf(preferences.artworkFlip)));
    card->addDivider();
    card->addRow(new ToggleRow(QStringLiteral("Esconder quando o app de música está na frente"), bindingOf(preferences.hideWhenSourceActive)));
    card->addDivider();
    ToggleRow::Options extras;
    extras.hint = QStringLiteral("Tira “(feat. …)”, “- Remastered” e afins");
    card->addRow(new ToggleRow(QStringLiteral("Esconder extras do título"), bindingOf(preferences.hideTitleExtras), extras));

    addSectionLabel(QStringLiteral("Botão extra"));
    addCard()->addRow(new TileSelector({symbolTile(QStringLiteral("Nenhum"), QStringLiteral("circle.slash")),
                                        symbolTile(QStringLiteral("Aleatório"), QStringLiteral("shuffle")),
                                        symbolTile(QStringLiteral("Repetir"), QStringLiteral("repeat")),
                                        symbolTile(QStringLiteral("Copiar"), QStringLiteral("link"))},
                                       indexBindingOf(preferences.extraButton,
                                                      {ExtraButton::none, ExtraButton::shuffle, ExtraButton::repeatMode, ExtraButton::copy}),
                                       40));

    addSectionLabel(QStringLiteral("Fonte"));
    addCard()->addRow(new PickerRow(QStringLiteral("Mostrar música de"),
                                    {QStringLiteral("Qualquer app"), QStringLiteral("Spotify"), QStringLiteral("Música")},
                                    indexBindingOf(preferences.mediaSource, {MediaSource::any, MediaSource::spotify, MediaSource::music})));
}
