#include "Notch/PlayerSection.h"

#include "App/AppModel.h"
#include "Notch/ClickableItem.h"
#include "Notch/PlayerTimeRow.h"
#include "Shared/ArtworkView.h"
#include "Shared/CrossFade.h"
#include "Shared/MarqueeText.h"
#include "Shared/Typography.h"
#include "Shared/WaveformView.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace {

QFont titleFont() { return Typography::systemFont(15, QFont::DemiBold); }
QFont artistFont() { return Typography::systemFont(13); }

// A holder of children that draws nothing itself.
class Holder final : public QGraphicsObject {
public:
    explicit Holder(QGraphicsItem *parent)
        : QGraphicsObject(parent)
    {
        setFlag(ItemHasNoContents);
    }
    QRectF boundingRect() const override { return {}; }
    void paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) override {}
};

// The artwork square: one click opens the playing application.
class ArtworkButton final : public ClickableItem {
public:
    ArtworkButton(std::function<void()> action, QGraphicsItem *parent)
        : ClickableItem(std::move(action), parent)
    {
    }
    QRectF boundingRect() const override { return QRectF(0, 0, PlayerSection::artworkSide, PlayerSection::artworkSide); }
    void paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) override {}

protected:
    // The artwork shows no hover or press look.
    void interactionChanged() override {}
};

MarqueeText::StyledText titleLine(const QString &text)
{
    return {MarqueeText::Run{text, titleFont(), Qt::white}};
}

// The title starts at the leading edge of the text column, like the artist.
MarqueeText *newTitle(Scheduler &scheduler, QGraphicsItem *parent)
{
    return new MarqueeText(scheduler, Qt::AlignLeading, parent);
}

} // namespace

CopyButton::CopyButton(AppModel &app, double size, QGraphicsItem *parent)
    : MediaButton(
          app.services().scheduler, QStringLiteral("link"), size, false,
          [this, &app] {
              app.nowPlaying.copyToPasteboard();
              setCopied(true);
              m_resets.push_back(m_scheduler.scheduleAfter(confirmationDuration, [this] { setCopied(false); }));
          },
          parent)
    , m_scheduler(app.services().scheduler)
{
}

CopyButton::~CopyButton()
{
    for (const Scheduler::Token token : m_resets)
        m_scheduler.cancel(token);
}

void CopyButton::setCopied(bool copied)
{
    m_copied = copied;
    const auto look = PlayerSection::extraButtonLook(ExtraButton::copy, 0, 0, copied);
    setSymbol(look->symbol);
    setActive(look->active);
}

std::optional<PlayerSection::ExtraButtonLook> PlayerSection::extraButtonLook(ExtraButton button, int shuffleMode, int repeatMode, bool copied)
{
    switch (button) {
    case ExtraButton::none:
        return std::nullopt;
    case ExtraButton::shuffle:
        return ExtraButtonLook{QStringLiteral("shuffle"), shuffleMode != 0};
    case ExtraButton::repeatMode:
        return ExtraButtonLook{repeatMode == 1 ? QStringLiteral("repeat.1") : QStringLiteral("repeat"), repeatMode != 0};
    case ExtraButton::copy:
        return ExtraButtonLook{copied ? QStringLiteral("checkmark") : QStringLiteral("link"), copied};
    }
    return std::nullopt;
}

QString PlayerSection::artworkHelp(const QString &appName)
{
    return appName.isEmpty() ? QString() : QStringLiteral("Abrir no ") + appName;
}

PlayerSection::Layout PlayerSection::layout(double width, bool showsWaveform, bool hasExtraButton)
{
    Layout layout;
    layout.artwork = QRectF(0, 0, artworkSide, artworkSide);
    const double textLeft = artworkSide + headerSpacing;
    const double textWidth = std::max(0.0, width - textLeft);
    const double artistHeight = QFontMetricsF(artistFont()).height();
    const double columnTop = (artworkSide - titleHeight - textSpacing - artistHeight) / 2;
    layout.title = QRectF(textLeft, columnTop, textWidth, titleHeight);
    const double artistTop = layout.title.bottom() + textSpacing;
    // Text, spacer and waveform with the row's spacing between them.
    const double reserved = showsWaveform ? artistSpacing + artistMinimumSpacer + artistSpacing + waveformSize.width()
                                          : artistSpacing + artistMinimumSpacer;
    layout.artist = QRectF(textLeft, artistTop, std::max(0.0, textWidth - reserved), artistHeight);
    if (showsWaveform) {
        layout.waveform = QRectF(width - waveformSize.width(), artistTop + (artistHeight - waveformSize.height()) / 2, waveformSize.width(),
                                 waveformSize.height());
    }

    layout.timeRow = QRectF(0, artworkSide + timeRowSpacing, width, PlayerTimeRow::height);
    const double buttonsTop = layout.timeRow.bottom() + transportSpacing;
    const int count = hasExtraButton ? 4 : 3;
    const double rowWidth = count * MediaButton::width + (count - 1) * buttonSpacing;
    double left = (width - rowWidth) / 2;
    for (int i = 0; i < count; ++i) {
        layout.buttons.append(QRectF(left, buttonsTop, MediaButton::width, MediaButton::height));
        left += MediaButton::width + buttonSpacing;
    }
    layout.height = buttonsTop + MediaButton::height;
    return layout;
}

PlayerSection::PlayerSection(AppModel &app, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_app(app)
    , m_textChange(app.services().scheduler, textChangeDuration, [this] { textChangeFrame(); })
{
    Scheduler &scheduler = app.services().scheduler;
    NowPlayingModel &nowPlaying = app.nowPlaying;
    m_artworkButton = new ArtworkButton([&nowPlaying] { nowPlaying.openSourceApp(); }, this);
    m_artwork = new ArtworkView(scheduler, m_artworkButton);
    m_artwork->setSize(QSizeF(artworkSide, artworkSide));
    m_artwork->setCornerRadius(artworkCornerRadius);
    // Clicks on the square go to the button around it.
    m_artwork->setAcceptedMouseButtons(Qt::NoButton);
    m_title = newTitle(scheduler, this);
    m_waveform = new WaveformView(scheduler, this);

    m_controls = new Holder(this);
    m_timeRow = new PlayerTimeRow(app, m_controls);
    m_previous = new MediaButton(scheduler, QStringLiteral("backward.fill"), transportSymbolSize, false, [&nowPlaying] { nowPlaying.previousTrack(); },
                                 m_controls);
    m_playPause = new MediaButton(scheduler, QStringLiteral("play.fill"), playSymbolSize, false, [&nowPlaying] { nowPlaying.togglePlayPause(); },
                                  m_controls);
    m_next = new MediaButton(scheduler, QStringLiteral("forward.fill"), transportSymbolSize, false, [&nowPlaying] { nowPlaying.nextTrack(); },
                             m_controls);

    m_inputs.setBinding([this] { return readInputs(); });
    m_applied = m_inputs.value();
    m_previousArtist = artistText();
    m_title->setContent(titleLine(titleText()), m_applied.shownTitle);
    apply(m_applied);
    m_inputsNotifier = m_inputs.addNotifier([this] {
        const Inputs previous = m_applied;
        m_applied = m_inputs.value();
        apply(previous);
    });
}

PlayerSection::~PlayerSection() = default;

PlayerSection::Inputs PlayerSection::readInputs() const
{
    NowPlayingModel &nowPlaying = m_app.nowPlaying;
    Preferences &preferences = m_app.preferences;
    // Every input is read on every evaluation (no short cut), so the
    // binding's dependencies never grow while it is being notified.
    const QString title = nowPlaying.bindableTitle().value();
    nowPlaying.bindableSourceFilter().value();
    nowPlaying.bindableBundleIdentifier().value();
    const bool hideExtras = preferences.hideTitleExtras.value();
    const QString displayTitle = nowPlaying.displayTitle(hideExtras ? NowPlayingModel::Extras::hide : NowPlayingModel::Extras::keep);
    // The diagnostic demonstration song replaces the title only.
    const std::optional<AppModel::PeekSong> demo = m_app.bindableDebugPeekSong().value();
    return Inputs{nowPlaying.hasMedia(),
                  demo ? demo->title : displayTitle,
                  title,
                  nowPlaying.bindableArtist().value(),
                  nowPlaying.bindableIsPlaying().value(),
                  nowPlaying.bindableArtworkVersion().value(),
                  nowPlaying.bindableArtwork().value().cacheKey(),
                  nowPlaying.bindableAppName().value(),
                  nowPlaying.bindableTint().value(),
                  nowPlaying.bindableShuffleMode().value(),
                  nowPlaying.bindableRepeatMode().value(),
                  preferences.artworkFlip.value(),
                  preferences.showWaveform.value(),
                  preferences.waveformStyle.value(),
                  preferences.extraButton.value()};
}

QString PlayerSection::titleText() const
{
    return m_applied.hasMedia ? m_applied.shownTitle : QStringLiteral("Nada tocando");
}

QString PlayerSection::artistText() const
{
    return m_applied.hasMedia ? m_applied.artist : QStringLiteral("Dê play em algum app");
}

bool PlayerSection::areControlsEnabled() const
{
    return m_controls->isEnabled();
}

QList<MediaButton *> PlayerSection::buttons() const
{
    QList<MediaButton *> buttons{m_previous, m_playPause, m_next};
    if (m_extra)
        buttons.append(m_extra);
    return buttons;
}

void PlayerSection::apply(const Inputs &previous)
{
    const Inputs &inputs = m_applied;
    NowPlayingModel &nowPlaying = m_app.nowPlaying;

    m_artwork->setArtwork(nowPlaying.artwork(), inputs.artworkVersion);
    m_artwork->setFlips(inputs.artworkFlip);
    m_artwork->setDimmed(!inputs.isPlaying);
    m_artworkButton->setToolTip(artworkHelp(inputs.appName));

    // A new song cross-fades its texts; a new title text starts a new
    // marquee.
    if (inputs.title != previous.title) {
        delete m_leavingTitle;
        m_leavingTitle = m_title;
        m_title = newTitle(m_app.services().scheduler, this);
        m_title->setOpacity(0);
        m_previousArtist = previous.hasMedia ? previous.artist : QStringLiteral("Dê play em algum app");
        m_textChange.start();
    }
    m_title->setContent(titleLine(titleText()), inputs.shownTitle);

    const bool showsWaveform = inputs.hasMedia && inputs.showWaveform;
    m_waveform->setVisible(showsWaveform);
    m_waveform->update(inputs.isPlaying, WaveformView::colors(inputs.waveformStyle, inputs.tint));

    m_controls->setEnabled(inputs.hasMedia);
    m_controls->setOpacity(inputs.hasMedia ? 1 : disabledOpacity);
    m_playPause->setSymbol(inputs.isPlaying ? QStringLiteral("pause.fill") : QStringLiteral("play.fill"));
    updateExtraButton();
    relayout();
    update();
}

void PlayerSection::updateExtraButton()
{
    const Inputs &inputs = m_applied;
    if (inputs.extraButton != m_extraKind) {
        delete m_extra;
        m_extra = nullptr;
        m_extraKind = inputs.extraButton;
        Scheduler &scheduler = m_app.services().scheduler;
        NowPlayingModel &nowPlaying = m_app.nowPlaying;
        switch (m_extraKind) {
        case ExtraButton::none:
            break;
        case ExtraButton::shuffle:
            m_extra = new MediaButton(scheduler, QStringLiteral("shuffle"), extraSymbolSize, false, [&nowPlaying] { nowPlaying.toggleShuffle(); },
                                      m_controls);
            break;
        case ExtraButton::repeatMode:
            m_extra = new MediaButton(scheduler, QStringLiteral("repeat"), extraSymbolSize, false, [&nowPlaying] { nowPlaying.cycleRepeat(); },
                                      m_controls);
            break;
        case ExtraButton::copy:
            m_extra = new CopyButton(m_app, extraSymbolSize, m_controls);
            break;
        }
    }
    // The copy button keeps its own look.
    if (m_extra && m_extraKind != ExtraButton::copy) {
        const auto look = extraButtonLook(m_extraKind, inputs.shuffleMode, inputs.repeatMode, false);
        m_extra->setSymbol(look->symbol);
        m_extra->setActive(look->active);
    }
}

void PlayerSection::textChangeFrame()
{
    const double progress = m_textChange.progress();
    m_title->setOpacity(progress);
    if (m_leavingTitle)
        m_leavingTitle->setOpacity(1 - progress);
    if (!m_textChange.isRunning()) {
        delete m_leavingTitle;
        m_leavingTitle = nullptr;
    }
    update();
}

void PlayerSection::setWidth(double width)
{
    if (width == m_width)
        return;
    m_width = width;
    relayout();
}

void PlayerSection::relayout()
{
    const bool showsWaveform = m_waveform->isVisible();
    Layout next = layout(m_width, showsWaveform, m_extra != nullptr);
    if (next != m_layout) {
        prepareGeometryChange();
        m_layout = std::move(next);
    }
    m_artworkButton->setPos(m_layout.artwork.topLeft());
    for (MarqueeText *title : {m_title, m_leavingTitle}) {
        if (!title)
            continue;
        title->setPos(m_layout.title.topLeft());
        title->setSize(m_layout.title.size());
    }
    if (m_layout.waveform) {
        m_waveform->setPos(m_layout.waveform->topLeft());
        m_waveform->setSize(m_layout.waveform->size());
    }
    m_timeRow->setPos(m_layout.timeRow.topLeft());
    m_timeRow->setWidth(m_layout.timeRow.width());
    const QList<MediaButton *> shown = buttons();
    for (int i = 0; i < shown.size(); ++i)
        shown[i]->setPos(m_layout.buttons[i].topLeft());
}

QRectF PlayerSection::boundingRect() const
{
    return QRectF(0, 0, m_width, m_layout.height);
}

void PlayerSection::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    // The artist line (elided to its space); the title is its own item.
    const auto previous = m_textChange.isRunning() ? std::optional(m_previousArtist) : std::optional(artistText());
    CrossFade::draw(*painter, previous, std::optional(artistText()), m_textChange.progress(), [&](const QString &text) {
        Typography::drawLine(*painter, m_layout.artist, text, artistFont(), QColor::fromRgbF(1, 1, 1, 0.5f));
    });
}
