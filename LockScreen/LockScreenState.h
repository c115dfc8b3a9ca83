#pragma once

#include "LockScreen/LoginUILocator.h"
#include "LockScreen/SystemVolume.h"

#include <QBindable>
#include <QList>
#include <QProperty>

class AudioSystem;

// What the lock-screen panels show and partly change: the player card's
// form, the lyrics switch, the player's place and drawn height, the
// lock screen's own output volume and the login window's controls to keep
// clear of the blur. Each setter notifies only on a real change. Main thread
// only.
class LockScreenState {
public:
    explicit LockScreenState(AudioSystem &audio)
        : m_volume(audio)
    {
    }
    LockScreenState(const LockScreenState &) = delete;
    LockScreenState &operator=(const LockScreenState &) = delete;

    bool showsPlayer() const { return m_showsPlayer.value(); }
    void setShowsPlayer(bool shows) { m_showsPlayer = shows; }
    QBindable<bool> bindableShowsPlayer() { return &m_showsPlayer; }

    bool showsWeather() const { return m_showsWeather.value(); }
    void setShowsWeather(bool shows) { m_showsWeather = shows; }
    QBindable<bool> bindableShowsWeather() { return &m_showsWeather; }

    // The player card in its large form.
    bool expanded() const { return m_expanded.value(); }
    void setExpanded(bool expanded) { m_expanded = expanded; }
    QBindable<bool> bindableExpanded() { return &m_expanded; }

    // Lyrics on the backdrop.
    bool showLyrics() const { return m_showLyrics.value(); }
    void setShowLyrics(bool show) { m_showLyrics = show; }
    QBindable<bool> bindableShowLyrics() { return &m_showLyrics; }

    // From the bottom edge of the first screen to the player panel's bottom
    // edge, plus 10 points.
    double playerBottomInset() const { return m_playerBottomInset.value(); }
    void setPlayerBottomInset(double inset) { m_playerBottomInset = inset; }
    QBindable<double> bindablePlayerBottomInset() { return &m_playerBottomInset; }

    // The height of what the player view draws inside its panel.
    double widgetsHeight() const { return m_widgetsHeight.value(); }
    void setWidgetsHeight(double height) { m_widgetsHeight = height; }
    QBindable<double> bindableWidgetsHeight() { return &m_widgetsHeight; }

    // The login window's controls, in the first screen's own coordinates
    // (origin at its top-left corner, y downwards).
    QList<LoginUILocator::Item> loginItems() const { return m_loginItems.value(); }
    void setLoginItems(const QList<LoginUILocator::Item> &items) { m_loginItems = items; }
    QBindable<QList<LoginUILocator::Item>> bindableLoginItems() { return &m_loginItems; }

    // The backdrop shows while the player does, large or with lyrics.
    bool showsBackdrop() const { return showsPlayer() && (expanded() || showLyrics()); }

    SystemVolume &volume() { return m_volume; }

private:
    QProperty<bool> m_showsPlayer{false};
    QProperty<bool> m_showsWeather{false};
    QProperty<bool> m_expanded{false};
    QProperty<bool> m_showLyrics{false};
    QProperty<double> m_playerBottomInset{0};
    QProperty<double> m_widgetsHeight{0};
    QProperty<QList<LoginUILocator::Item>> m_loginItems;
    SystemVolume m_volume;
};
