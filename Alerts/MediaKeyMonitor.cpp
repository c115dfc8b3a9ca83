#include "Alerts/MediaKeyMonitor.h"

#include <utility>

namespace {

constexpr MediaKey allKeys[] = {MediaKey::volumeUp, MediaKey::volumeDown, MediaKey::mute, MediaKey::brightnessUp, MediaKey::brightnessDown};

} // namespace

MediaKeyMonitor::MediaKeyMonitor(KeyCapture &keys)
    : m_keys(keys)
{
}

MediaKeyMonitor::~MediaKeyMonitor()
{
    stop(MediaKeyGroup::volume);
    stop(MediaKeyGroup::brightness);
}

void MediaKeyMonitor::setTaking(MediaKeyGroup group, bool taking)
{
    m_taking[index(group)] = taking;
}

bool MediaKeyMonitor::isTaking(MediaKeyGroup group) const
{
    return m_taking[index(group)];
}

bool MediaKeyMonitor::start(MediaKeyGroup group)
{
    if (isStarted(group))
        return true;
    QList<KeyCapture::Grab> grabs;
    for (MediaKey key : allKeys) {
        if (groupOf(key) != group)
            continue;
        const auto grab = m_keys.grabAnyModifiers(
            qtKey(key), [this, group](const KeyPress &) { return isTaking(group) ? KeyHandling::Handled : KeyHandling::Declined; },
            [this, key](const KeyPress &press, KeyHandling handling) { handler(key, press.modifiers, handling); });
        if (!grab) {
            for (KeyCapture::Grab taken : std::as_const(grabs))
                m_keys.release(taken);
            return false;
        }
        grabs << *grab;
    }
    m_grabs[index(group)] = grabs;
    return true;
}

void MediaKeyMonitor::stop(MediaKeyGroup group)
{
    // Released one by one: each release waits for a decision of its key that
    // may be under way, so none reads this monitor afterwards.
    for (KeyCapture::Grab grab : std::exchange(m_grabs[index(group)], {}))
        m_keys.release(grab);
}

MediaKeyGroup MediaKeyMonitor::groupOf(MediaKey key)
{
    return key == MediaKey::brightnessUp || key == MediaKey::brightnessDown ? MediaKeyGroup::brightness : MediaKeyGroup::volume;
}

Qt::Key MediaKeyMonitor::qtKey(MediaKey key)
{
    switch (key) {
    case MediaKey::volumeUp:
        return Qt::Key_VolumeUp;
    case MediaKey::volumeDown:
        return Qt::Key_VolumeDown;
    case MediaKey::mute:
        return Qt::Key_VolumeMute;
    case MediaKey::brightnessUp:
        return Qt::Key_MonBrightnessUp;
    case MediaKey::brightnessDown:
        return Qt::Key_MonBrightnessDown;
    }
    return Qt::Key_unknown;
}
