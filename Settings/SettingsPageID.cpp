#include "Settings/SettingsPageID.h"

#include "Shared/SystemColors.h"

namespace {

struct PageLook {
    const char *title;
    const char *symbol;
    QColor color;
};

QColor grey(float white)
{
    return QColor::fromRgbF(white, white, white, 1.0f);
}

PageLook look(SettingsPageID page)
{
    switch (page) {
    case SettingsPageID::general:
        return {"Geral", "gearshape.fill", grey(0.45f)};
    case SettingsPageID::notifications:
        return {"Mensagens", "message.fill", QColor::fromRgbF(0.2f, 0.78f, 0.35f)};
    case SettingsPageID::messages:
        return {"Avisos", "bell.badge.fill", QColor::fromRgbF(0.2f, 0.62f, 0.95f)};
    case SettingsPageID::battery:
        return {"Bateria", "bolt.fill", QColor::fromRgbF(1.0f, 0.48f, 0.3f)};
    case SettingsPageID::connectivity:
        return {"Conectividade", "headphones", QColor::fromRgbF(0.2f, 0.75f, 0.5f)};
    case SettingsPageID::focus:
        return {"Foco", "moon.fill", QColor::fromRgbF(0.42f, 0.4f, 0.95f)};
    case SettingsPageID::display:
        return {"Tela", "sun.max.fill", QColor::fromRgbF(0.7f, 0.42f, 0.95f)};
    case SettingsPageID::sound:
        return {"Som", "speaker.wave.2.fill", QColor::fromRgbF(0.9f, 0.3f, 0.85f)};
    case SettingsPageID::nowPlaying:
        return {"Tocando agora", "play.fill", QColor::fromRgbF(0.98f, 0.25f, 0.38f)};
    case SettingsPageID::calendar:
        return {"Calendário", "calendar", SystemColors::red()};
    case SettingsPageID::timers:
        return {"Timers", "timer", grey(0.5f)};
    case SettingsPageID::lockScreen:
        return {"Tela de bloqueio", "lock.fill", grey(0.08f)};
    case SettingsPageID::about:
        return {"Sobre", "info", grey(0.45f)};
    }
    return {"", "", grey(0.45f)};
}

} // namespace

QString SettingsPages::title(SettingsPageID page)
{
    return QString::fromUtf8(look(page).title);
}

QString SettingsPages::symbol(SettingsPageID page)
{
    return QString::fromLatin1(look(page).symbol);
}

QColor SettingsPages::color(SettingsPageID page)
{
    return look(page).color;
}
