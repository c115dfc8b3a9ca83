#include "QtPrinters.h"
#include "SettingsFilePages.h"
#include "Settings/TimersSettingsPage.h"

using TimersSettingsPageTest = SettingsFilePages;

TEST_F(TimersSettingsPageTest, SwitchesWriteTheirSettingsAndThePreviewPlaysSubmarine)
{
    const auto page = shown(new TimersSettingsPage(model));
    const auto rows = page->findChildren<ToggleRow *>();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0]->toggle(), switchOf(QStringLiteral("Mostrar timer no notch")));
    EXPECT_EQ(rows[1]->toggle(), switchOf(QStringLiteral("Som ao terminar")));
    EXPECT_EQ(rows[0]->previewButton(), nullptr);

    QTest::mouseClick(switchOf(QStringLiteral("Mostrar timer no notch")), Qt::LeftButton);
    EXPECT_FALSE(preferences.timerInNotch.value());
    EXPECT_EQ(stored(QStringLiteral("timerInNotch")), QJsonValue(false));
    preferences.timerInNotch.setValue(true);
    EXPECT_TRUE(switchOf(QStringLiteral("Mostrar timer no notch"))->isChecked()) << "a change made elsewhere shows";

    ASSERT_TRUE(rows[1]->previewButton());
    QTest::mouseClick(rows[1]->previewButton(), Qt::LeftButton);
    EXPECT_EQ(platform.soundPlayer.played(), QStringList{QStringLiteral("Submarine")});
    EXPECT_TRUE(preferences.timerSound.value()) << "the preview leaves the switch alone";
    QTest::mouseClick(switchOf(QStringLiteral("Som ao terminar")), Qt::LeftButton);
    EXPECT_EQ(stored(QStringLiteral("timerSound")), QJsonValue(false));

    EXPECT_TRUE(showsText(QStringLiteral("Inicie um timer clicando com o botão direito no notch › Timer.")));
}
