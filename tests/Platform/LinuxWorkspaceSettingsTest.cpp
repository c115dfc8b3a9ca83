#include "Platform/Linux/LinuxWorkspace.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

TEST(LinuxWorkspaceSettingsTest, EachDesktopOpensItsOwnPanels)
{
    struct Case {
        QStringList desktops;
        SettingsPanel panel;
        std::optional<QStringList> command;
    };
    const Case cases[] = {
        {{QStringLiteral("GNOME")}, SettingsPanel::location, QStringList{QStringLiteral("gnome-control-center"), QStringLiteral("location")}},
        {{QStringLiteral("ubuntu"), QStringLiteral("GNOME")}, SettingsPanel::bluetooth,
         QStringList{QStringLiteral("gnome-control-center"), QStringLiteral("bluetooth")}},
        {{QStringLiteral("Unity")}, SettingsPanel::keyboardShortcuts, QStringList{QStringLiteral("gnome-control-center"), QStringLiteral("keyboard")}},
        {{QStringLiteral("KDE")}, SettingsPanel::bluetooth, QStringList{QStringLiteral("systemsettings"), QStringLiteral("kcm_bluetooth")}},
        {{QStringLiteral("KDE")}, SettingsPanel::keyboardShortcuts, QStringList{QStringLiteral("systemsettings"), QStringLiteral("kcm_keys")}},
        {{QStringLiteral("KDE")}, SettingsPanel::location, std::nullopt},
        {{QStringLiteral("XFCE")}, SettingsPanel::bluetooth, std::nullopt},
        {{}, SettingsPanel::location, std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.desktops.join(u':').toStdString() + " " + std::to_string(int(c.panel)));
        EXPECT_EQ(LinuxWorkspace::settingsPanelCommand(c.desktops, c.panel), c.command);
    }
}
