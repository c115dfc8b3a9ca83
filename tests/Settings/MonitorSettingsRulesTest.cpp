#include "Platform/Fake/FakePowerSources.h"
#include "QtPrinters.h"
#include "Settings/BatterySettingsPage.h"
#include "Settings/AccessibilityHint.h"
#include "Settings/FocusSettingsPage.h"
#include "Settings/SettingsControls.h"
#include "Settings/SoundSettingsPage.h"

#include <gtest/gtest.h>

namespace {

TEST(BatterySettingsRules, TheCardTakesInputOnlyWithAnInternalBattery)
{
    struct Case {
        const char *name;
        std::optional<PowerSources::InternalBattery> battery;
        bool hasBattery;
    };
    const Case cases[] = {
        {"no battery", std::nullopt, false},
        {"discharging", FakePowerSources::batteryAt(55, false), true},
        {"charging on the charger", FakePowerSources::batteryAt(20, true, true), true},
        {"a battery that reports no capacity", PowerSources::InternalBattery{}, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakePowerSources sources;
        sources.battery = c.battery;
        EXPECT_EQ(BatterySettingsPage::hasBattery(sources), c.hasBattery);
    }
}

TEST(FocusSettingsRules, TheLineUnderTheCard)
{
    struct Case {
        const char *name;
        bool hasAccess;
        std::optional<QString> activeName;
        std::optional<QString> line; // none: the Full Disk Access warning
    };
    const Case cases[] = {
        {"no access", false, std::nullopt, std::nullopt},
        {"no access, whatever a stale name says", false, QStringLiteral("Trabalho"), std::nullopt},
        {"no Focus on", true, std::nullopt, QStringLiteral("Nenhum Foco ativo agora.")},
        {"a Focus on", true, QStringLiteral("Trabalho"), QStringLiteral("Agora: Trabalho ativado.")},
        {"a Focus with an empty name", true, QString(), QStringLiteral("Agora:  ativado.")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FocusSettingsPage::statusLine(c.hasAccess, c.activeName), c.line);
    }
}

TEST(SoundSettingsRules, TheMixerStatus)
{
    const std::pair<qsizetype, const char *> cases[] = {
        {0, "Todos os apps em 100%"}, {1, "1 app(s) com volume próprio"}, {2, "2 app(s) com volume próprio"}, {12, "12 app(s) com volume próprio"}};
    for (const auto &[count, text] : cases)
        EXPECT_EQ(SoundSettingsPage::mixerStatus(count), QString::fromUtf8(text)) << count;
}

TEST(AccessibilityHintRules, TheWarningShowsUnlessGranted)
{
    struct Case {
        const char *name;
        PermissionStatuses statuses;
        bool warning;
    };
    const Case cases[] = {
        {"no statuses yet", {}, true},
        {"granted", {{PermissionKind::accessibility, PermissionStatus::granted}}, false},
        {"not asked", {{PermissionKind::accessibility, PermissionStatus::notAsked}}, true},
        {"denied", {{PermissionKind::accessibility, PermissionStatus::denied}}, true},
        {"only other kinds granted", {{PermissionKind::bluetooth, PermissionStatus::granted}}, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AccessibilityHint::showsWarning(c.statuses), c.warning);
    }
}

TEST(SliderTexts, SecondsWithOneDecimal)
{
    const std::pair<double, const char *> seconds[] = {{4, "4.0s"}, {1.5, "1.5s"}, {0.5, "0.5s"}, {10, "10.0s"}};
    for (const auto &[value, text] : seconds)
        EXPECT_EQ(secondsText(value), QString::fromLatin1(text)) << value;
}

} // namespace
