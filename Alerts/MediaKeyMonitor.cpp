#include "Alerts/MediaKeyMonitor.h"

namespace {

constexpr MediaKey allKeys[] = {MediaKey::volumeUp, MediaKey::volumeDown, MediaKey::mute, MediaKey::brightnessUp, MediaKey::brightnessDown};

} // namespace

MediaKeyMonitor::MediaKeyMonitor(KeyCapture &keys)
    : m_keys(keys)
{
}

MediaKeyMonitor::~MediaKeyMonitor()
{
    for (KeyCapture::Grab grab : std::as_const(m_grabs))
        m_keys.release(grab);
}

bool MediaKeyMonitor::start()
{
    if (isStarted())
        return true;
    QList<KeyCapture::Grab> grabs;
    for (MediaKey key : allKeys) {
        const auto grab = m_keys.grabAnyModifiers(qtKey(key), [this, key](const KeyPress &press) {
            return handler(key, press.modifiers) ? KeyHandling::Handled : KeyHandling::Declined;
        });
        if (!grab) {
            for (KeyCapture::Grab taken : std::as_const(grabs))
                m_keys.release(taken);
            return false;
        }
        grabs << *grab;
    }
    m_grabs = grabs;
    return true;
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
