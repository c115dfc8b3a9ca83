#include "LockScreen/LockScreenPlayerView.h"

#include "App/AppModel.h"
#include "LockScreen/Glass.h"
#include "LockScreen/LockScreenState.h"
#include "LockScreen/ProgressRow.h"
#include "LockScreen/VolumeRow.h"
#include "LockScreen/WeatherPill.h"
#include "Notch/ClickableItem.h"
#include "Notch/MediaButton.h"
#include "Shared/ArtworkView.h"
#include "Shared/MarqueeText.h"
#include "Shared/Typography.h"

#include <QFontMetricsF>
#include <QGraphicsDropShadowEffect>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

QFont titleFont(bool large) { return Typography::systemFont(large ? 17 : 15, QFont::DemiBold); }
QFont artistFont(bool large) { return Typography::systemFont(large ? 14 : 13); }
double artistHeight(bool large) { return std::ceil(QFontMetricsF(artistFont(large)).height()); }

QRectF lerp(const QRectF &from, const QRectF &to, double factor)
{
    const auto mix = [factor](double a, double b) { return a + (b - a) * factor; };
    return QRectF(mix(from.x(), to.x()), mix(from.y(), to.y()), mix(from.width(), to.width()), mix(from.height(), to.height()));
}

// The glass card: its shape and the artist's line; everything else on it is
// a child item.
class PlayerCard final : public QGraphicsObject {
public:
    explicit PlayerCard(QGraphicsItem *parent)
        : QGraphicsObject(parent)
    {
    }

    void setSize(const QSizeF &size)
    {
        if (size == m_size)
            return;
        prepareGeometryChange();
        m_size = size;
    }
    void setStyle(LockPlayerStyle style)
    {
        m_style = style;
        update();
    }
    void setArtist(const QString &text, const QRectF &rect, bool large)
    {
        m_artist = text;
        m_artistRect = rect;
        m_large = large;
        update();
    }

    QRectF boundingRect() const override { return QRectF(QPointF(0, 0), m_size); }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *) override
    {
        QPainterPath shape;
        shape.addRoundedRect(boundingRect(), LockScreenPlayerView::cardCornerRadius, LockScreenPlayerView::cardCornerRadius);
        Glass::draw(*painter, shape, m_style);
        Typography::drawLine(*painter, m_artistRect, m_artist, artistFont(m_large), QColor::fromRgbF(1, 1, 1, float(LockScreenPlayerView::artistOpacity)),
                             m_large ? Qt::AlignHCenter : Qt::AlignLeft);
    }

private:
    QSizeF m_size;
    LockPlayerStyle m_style = LockPlayerStyle::glass;
    QString m_artist;
    QRectF m_artistRect;
    bool m_large = false;
};

// The artwork's square: a click switches the card's form.
class ArtworkButton final : public ClickableItem {
public:
    ArtworkButton(std::function<void()> action, QGraphicsItem *parent)
        : ClickableItem(std::move(action), parent)
    {
    }
    void setSize(const QSizeF &size)
    {
        if (size == m_size)
            return;
        prepareGeometryChange();
        m_size = size;
    }
    QRectF boundingRect() const override { return QRectF(QPointF(0, 0), m_size); }
    void paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) override {}

protected:
    // The artwork shows no hover or press look.
    void interactionChanged() override {}

private:
    QSizeF m_size;
};

} // namespace

QString LockScreenPlayerView::expandSymbol(bool expanded)
{
    return expanded ? QStringLiteral("arrow.down.right.and.arrow.up.left") : QStringLiteral("arrow.up.left.and.arrow.down.right");
}

QString LockScreenPlayerView::playSymbol(bool isPlaying)
{
    return isPlaying ? QStringLiteral("pause.fill") : QStringLiteral("play.fill");
}

double LockScreenPlayerView::artworkRadius(double side)
{
    const double share = (side - compactArtworkSide) / (largeArtworkSide - compactArtworkSide);
    return compactArtworkRadius + (largeArtworkRadius - compactArtworkRadius) * share;
}

LockScreenPlayerView::Shadow LockScreenPlayerView::artworkShadow(bool large)
{
    return large ? Shadow{0.35, 20, 10} : Shadow{0.2, 8, 4};
}

LockScreenPlayerView::Layout LockScreenPlayerView::layout(const Form &form)
{
    Layout layout;
    const double left = (size.width() - cardWidth) / 2;
    const double inner = left + cardPadding;
    const double innerWidth = cardWidth - 2 * cardPadding;

    // The card from its top edge at 0; moved into place at the end.
    double y = cardPadding;
    const double titleHeight = form.large ? largeTitleHeight : compactTitleHeight;
    const double blockHeight = titleHeight + titleSpacing + artistHeight(form.large);
    if (form.large) {
        layout.artwork = QRectF(inner + (innerWidth - largeArtworkSide) / 2, y, largeArtworkSide, largeArtworkSide);
        layout.title = QRectF(inner, layout.artwork.bottom() + largeHeaderSpacing, innerWidth, titleHeight);
        y = layout.artwork.bottom() + largeHeaderSpacing + blockHeight;
    } else {
        const double headerHeight = std::max(compactArtworkSide, blockHeight);
        layout.artwork = QRectF(inner, y + (headerHeight - compactArtworkSide) / 2, compactArtworkSide, compactArtworkSide);
        const double textLeft = inner + compactArtworkSide + compactHeaderSpacing;
        layout.title = QRectF(textLeft, y + (headerHeight - blockHeight) / 2, inner + innerWidth - textLeft, titleHeight);
        y += headerHeight;
    }
    layout.artist = QRectF(layout.title.left(), layout.title.bottom() + titleSpacing, layout.title.width(), artistHeight(form.large));

    layout.progress = QRectF(inner, y + progressSpacing, innerWidth, ProgressRow::height());
    if (form.showsProgress)
        y = layout.progress.bottom();

    layout.controls = QRectF(inner, y + controlsSpacing, innerWidth, MediaButton::height);
    const double transportWidth = 3 * MediaButton::width + 2 * transportSpacing;
    double transportLeft = inner + (innerWidth - transportWidth) / 2;
    layout.buttons.append(QRectF(inner, layout.controls.top(), MediaButton::width, MediaButton::height));
    for (int i = 0; i < 3; ++i) {
        layout.buttons.append(QRectF(transportLeft, layout.controls.top(), MediaButton::width, MediaButton::height));
        transportLeft += MediaButton::width + transportSpacing;
    }
    layout.buttons.append(QRectF(inner + innerWidth - MediaButton::width, layout.controls.top(), MediaButton::width, MediaButton::height));
    y = layout.controls.bottom();

    layout.volume = QRectF(inner, y + volumeSpacing, innerWidth, VolumeRow::height);
    if (form.showsVolume)
        y = layout.volume.bottom();
    layout.card = QRectF(left, 0, cardWidth, y + cardPadding);

    // The stack stands on the bottom margin: the card, the pill above it.
    const double bottom = size.height() - bottomMargin;
    const double cardTop = bottom - layout.card.height();
    const auto moveCard = [cardTop](QRectF &rect) { rect.translate(0, cardTop); };
    moveCard(layout.card);
    moveCard(layout.artwork);
    moveCard(layout.title);
    moveCard(layout.artist);
    moveCard(layout.progress);
    moveCard(layout.controls);
    for (QRectF &button : layout.buttons)
        moveCard(button);
    moveCard(layout.volume);

    const double pillBottom = form.showsPlayer ? cardTop - stackSpacing : bottom;
    layout.pill = QRectF((size.width() - form.pillSize.width()) / 2, pillBottom - form.pillSize.height(), form.pillSize.width(), form.pillSize.height());

    if (form.showsPlayer)
        layout.height += layout.card.height();
    if (form.showsWeather)
        layout.height += form.pillSize.height();
    if (form.showsPlayer && form.showsWeather)
        layout.height += stackSpacing;
    return layout;
}

LockScreenPlayerView::Layout LockScreenPlayerView::interpolate(const Layout &from, const Layout &to, double factor)
{
    Layout layout = to;
    layout.pill = lerp(from.pill, to.pill, factor);
    layout.card = lerp(from.card, to.card, factor);
    layout.artwork = lerp(from.artwork, to.artwork, factor);
    layout.title = lerp(from.title, to.title, factor);
    layout.artist = lerp(from.artist, to.artist, factor);
    layout.progress = lerp(from.progress, to.progress, factor);
    layout.controls = lerp(from.controls, to.controls, factor);
    for (int i = 0; i < layout.buttons.size() && i < from.buttons.size(); ++i)
        layout.buttons[i] = lerp(from.buttons[i], to.buttons[i], factor);
    layout.volume = lerp(from.volume, to.volume, factor);
    return layout;
}

LockScreenPlayerView::LockScreenPlayerView(LockScreenState &state, AppModel &model, QGraphicsItem *parent)
    : QGraphicsObject(parent)
    , m_state(state)
    , m_model(model)
    , m_formSpring(model.services().scheduler, formSpringResponse, formSpringDamping, [this] { place(); })
    , m_pillSpring(model.services().scheduler, presenceSpringResponse, presenceSpringDamping, [this] { placePresence(); })
    , m_cardSpring(model.services().scheduler, presenceSpringResponse, presenceSpringDamping, [this] { placePresence(); })
{
    setFlag(ItemHasNoContents);
    setAcceptedMouseButtons(Qt::NoButton);
    Scheduler &scheduler = model.services().scheduler;
    NowPlayingModel &nowPlaying = model.nowPlaying;

    m_pill = new WeatherPill(model, this);
    m_pill->setOnResized([this] { updateForm(); });

    m_card = new PlayerCard(this);
    m_artworkButton = new ArtworkButton([this] { clickArtwork(); }, m_card);
    m_artwork = new ArtworkView(scheduler, m_artworkButton);
    // Clicks on the square go to the button around it.
    m_artwork->setAcceptedMouseButtons(Qt::NoButton);
    m_artworkButton->setGraphicsEffect(new QGraphicsDropShadowEffect);

    m_progress = new ProgressRow(model, m_card);
    m_lyrics = new MediaButton(scheduler, QStringLiteral("quote.bubble"), lyricsSymbolSize, false,
                               [this] { m_state.setShowLyrics(!m_state.showLyrics()); }, m_card);
    m_lyrics->setToolTip(QStringLiteral("Letra"));
    m_previous = new MediaButton(scheduler, QStringLiteral("backward.fill"), skipSymbolSize, false, [&nowPlaying] { nowPlaying.previousTrack(); }, m_card);
    m_playPause = new MediaButton(scheduler, playSymbol(false), playSymbolSize, false, [&nowPlaying] { nowPlaying.togglePlayPause(); }, m_card);
    m_next = new MediaButton(scheduler, QStringLiteral("forward.fill"), skipSymbolSize, false, [&nowPlaying] { nowPlaying.nextTrack(); }, m_card);
    m_expand = new MediaButton(scheduler, expandSymbol(false), expandSymbolSize, false, [this] { m_state.setExpanded(!m_state.expanded()); }, m_card);
    m_expand->setToolTip(QStringLiteral("Cores do álbum"));
    m_volume = new VolumeRow(state.volume(), scheduler, m_card);

    m_inputs.setBinding([this] { return readInputs(); });
    m_applied = m_inputs.value();
    // The first form shows at once.
    m_form = Form{m_applied.showsWeather, m_pill->size(), m_applied.showsPlayer, isLarge(m_applied.expanded, m_applied.showLyrics),
                  showsProgress(m_applied.hasMedia, m_applied.duration), m_applied.showVolume && m_applied.volumeAvailable};
    m_target = layout(m_form);
    m_from = m_target;
    m_pillFrom = m_applied.showsWeather ? 1 : 0;
    m_cardFrom = m_applied.showsPlayer ? 1 : 0;
    newTitle();
    apply(m_applied);
    m_inputsNotifier = m_inputs.addNotifier([this] {
        const Inputs previous = m_applied;
        m_applied = m_inputs.value();
        apply(previous);
    });
}

LockScreenPlayerView::~LockScreenPlayerView() = default;

LockScreenPlayerView::Inputs LockScreenPlayerView::readInputs() const
{
    NowPlayingModel &nowPlaying = m_model.nowPlaying;
    Preferences &preferences = m_model.preferences;
    LockScreenState &state = m_state;
    // Every input is read on every evaluation (no short cut), so the
    // binding's dependencies never grow while it is being notified.
    nowPlaying.bindableTitle().value();
    nowPlaying.bindableSourceFilter().value();
    nowPlaying.bindableBundleIdentifier().value();
    const bool hideExtras = preferences.hideTitleExtras.value();
    return Inputs{state.bindableShowsPlayer().value(),
                  state.bindableShowsWeather().value(),
                  state.bindableExpanded().value(),
                  state.bindableShowLyrics().value(),
                  nowPlaying.hasMedia(),
                  nowPlaying.bindableDuration().value(),
                  nowPlaying.bindableIsPlaying().value(),
                  nowPlaying.displayTitle(hideExtras ? NowPlayingModel::Extras::hide : NowPlayingModel::Extras::keep),
                  nowPlaying.bindableArtist().value(),
                  nowPlaying.bindableArtworkVersion().value(),
                  nowPlaying.bindableArtwork().value().cacheKey(),
                  preferences.artworkFlip.value(),
                  preferences.lockPlayerStyle.value(),
                  preferences.lockShowVolume.value(),
                  state.volume().bindableIsAvailable().value()};
}

void LockScreenPlayerView::apply(const Inputs &previous)
{
    const Inputs &inputs = m_applied;
    NowPlayingModel &nowPlaying = m_model.nowPlaying;

    m_artwork->setArtwork(nowPlaying.artwork(), inputs.artworkVersion);
    m_artwork->setFlips(inputs.artworkFlip);
    m_artwork->setDimmed(!inputs.isPlaying);
    m_playPause->setSymbol(playSymbol(inputs.isPlaying));
    m_lyrics->setActive(inputs.showLyrics);
    m_expand->setActive(inputs.expanded);
    m_expand->setSymbol(expandSymbol(inputs.expanded));
    m_pill->setStyle(inputs.style);
    static_cast<PlayerCard *>(m_card)->setStyle(inputs.style);

    if (inputs.showsWeather != previous.showsWeather) {
        m_pillFrom = m_pill->isVisible() ? m_pill->opacity() : 0;
        m_pillSpring.start();
    }
    if (inputs.showsPlayer != previous.showsPlayer) {
        m_cardFrom = m_card->isVisible() ? m_card->opacity() : 0;
        m_cardSpring.start();
    }
    const bool large = isLarge(inputs.expanded, inputs.showLyrics);
    // A new title, or a new form with its own alignment, starts a new
    // marquee.
    if (inputs.title != previous.title || large != m_form.large)
        newTitle();
    updateForm();
    placePresence();
}

void LockScreenPlayerView::newTitle()
{
    delete m_title;
    const bool large = isLarge(m_applied.expanded, m_applied.showLyrics);
    m_title = new MarqueeText(m_model.services().scheduler, large ? Qt::AlignHCenter : Qt::AlignLeading, m_card);
    m_title->setContent({MarqueeText::Run{m_applied.title, titleFont(large), Qt::white}}, m_applied.title);
    m_title->setAcceptedMouseButtons(Qt::NoButton);
}

void LockScreenPlayerView::updateForm()
{
    const Inputs &inputs = m_applied;
    const Form form{inputs.showsWeather, m_pill->size(), inputs.showsPlayer, isLarge(inputs.expanded, inputs.showLyrics),
                    showsProgress(inputs.hasMedia, inputs.duration), inputs.showVolume && inputs.volumeAvailable};
    if (form != m_form) {
        const Layout target = layout(form);
        if (target != m_target) {
            // A change in mid-spring starts from what is drawn.
            m_from = shownLayout();
            m_target = target;
            m_formSpring.start();
        }
        m_form = form;
    }
    m_state.setWidgetsHeight(m_target.height);
    m_progress->setVisible(form.showsProgress);
    m_volume->setVisible(form.showsVolume);
    const Shadow shadow = artworkShadow(form.large);
    auto *effect = static_cast<QGraphicsDropShadowEffect *>(m_artworkButton->graphicsEffect());
    effect->setColor(QColor::fromRgbF(0, 0, 0, float(shadow.opacity)));
    effect->setBlurRadius(shadow.radius);
    effect->setOffset(0, shadow.offset);
    place();
}

LockScreenPlayerView::Layout LockScreenPlayerView::shownLayout() const
{
    return interpolate(m_from, m_target, m_formSpring.factor());
}

void LockScreenPlayerView::place()
{
    const Layout shown = shownLayout();
    m_pill->setPos(shown.pill.topLeft());
    m_pill->setTransformOriginPoint(shown.pill.width() / 2, shown.pill.height() / 2);

    const QPointF origin = shown.card.topLeft();
    m_card->setPos(origin);
    auto *card = static_cast<PlayerCard *>(m_card);
    card->setSize(shown.card.size());
    // Scaled about its bottom edge when it enters or leaves.
    m_card->setTransformOriginPoint(shown.card.width() / 2, shown.card.height());
    card->setArtist(m_applied.artist, shown.artist.translated(-origin), m_form.large);

    m_artworkButton->setPos(shown.artwork.topLeft() - origin);
    static_cast<ArtworkButton *>(m_artworkButton)->setSize(shown.artwork.size());
    m_artwork->setSize(shown.artwork.size());
    m_artwork->setCornerRadius(artworkRadius(shown.artwork.width()));
    m_title->setPos(shown.title.topLeft() - origin);
    m_title->setSize(shown.title.size());
    m_progress->setPos(shown.progress.topLeft() - origin);
    m_progress->setWidth(shown.progress.width());
    const QList<MediaButton *> shownButtons = buttons();
    for (int i = 0; i < shownButtons.size(); ++i)
        shownButtons[i]->setPos(shown.buttons[i].topLeft() - origin);
    m_volume->setPos(shown.volume.topLeft() - origin);
    m_volume->setWidth(shown.volume.width());
}

void LockScreenPlayerView::placePresence()
{
    const auto presence = [](double from, bool shows, const SpringAnimation &spring) {
        const double to = shows ? 1 : 0;
        return from + (to - from) * spring.factor();
    };
    const double pill = presence(m_pillFrom, m_applied.showsWeather, m_pillSpring);
    const double card = presence(m_cardFrom, m_applied.showsPlayer, m_cardSpring);
    m_pill->setVisible(m_applied.showsWeather || m_pillSpring.isRunning());
    m_pill->setOpacity(std::clamp(pill, 0.0, 1.0));
    m_pill->setScale(pillHiddenScale + (1 - pillHiddenScale) * pill);
    m_card->setVisible(m_applied.showsPlayer || m_cardSpring.isRunning());
    m_card->setOpacity(std::clamp(card, 0.0, 1.0));
    m_card->setScale(cardHiddenScale + (1 - cardHiddenScale) * card);
}

void LockScreenPlayerView::clickArtwork()
{
    // From the lyrics, the artwork goes to the large card.
    if (m_state.showLyrics()) {
        m_state.setShowLyrics(false);
        m_state.setExpanded(true);
    } else {
        m_state.setExpanded(!m_state.expanded());
    }
}

QList<MediaButton *> LockScreenPlayerView::buttons() const
{
    return {m_lyrics, m_previous, m_playPause, m_next, m_expand};
}

QRectF LockScreenPlayerView::boundingRect() const
{
    return QRectF(QPointF(0, 0), size);
}

void LockScreenPlayerView::paint(QPainter *, const QStyleOptionGraphicsItem *, QWidget *) {}
