#include "Alerts/BannerCenter.h"
#include "App/Updater.h"
#include "Platform/Fake/FakePlatform.h"
#include "QtPrinters.h"
#include "RowTitled.h"
#include "Settings/AboutSettingsPage.h"
#include "Settings/ActionRow.h"
#include "Settings/SettingsControls.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QDateTime now(QDate(2026, 3, 12), QTime(15, 30));

TEST(AboutLastCheck, RelativeToNowInPortuguese)
{
    const std::pair<QDateTime, QString> cases[] = {
        {now.addSecs(-2 * 3600), "há 2 horas"},
        {now.addSecs(-2 * 3600 - 1700), "há 2 horas"},
        {now.addSecs(-30), "há 30 segundos"},
        {now, "agora"},
        {now.addSecs(-5 * 60), "há 5 minutos"},
        {now.addSecs(-1 * 3600), "há 1 hora"},
        {now.addDays(-1), "ontem"},
        {now.addDays(-3), "há 3 dias"},
        {now.addDays(-15), "há 2 semanas"},
        {now.addMonths(-3), "há 3 meses"},
        {now.addYears(-2), "há 2 anos"},
        {now.addSecs(10 * 60), "em 10 minutos"},
    };
    for (const auto &[date, text] : cases)
        EXPECT_EQ(AboutSettingsPage::relativeText(date, now), text) << date.toString(Qt::ISODate).toStdString();
    EXPECT_EQ(AboutSettingsPage::lastCheckText(now.addSecs(-7200), now), QStringLiteral("Última verificação há 2 horas"));
    EXPECT_EQ(AboutSettingsPage::lastCheckText(std::nullopt, now), std::nullopt);
}

QStringList texts(QWidget &page)
{
    QStringList list;
    for (QLabel *label : page.findChildren<QLabel *>()) {
        if (label->isVisibleTo(&page) && !label->text().isEmpty())
            list.append(label->text());
    }
    return list;
}

class AboutSettingsPageTest : public ::testing::Test {
protected:
    AboutSettingsPageTest() { platform.scheduler.setNow(now); }

    std::unique_ptr<Updater> makeUpdater(const BundleInfo &bundle)
    {
        return std::make_unique<Updater>(platform.updates, platform.defaults, banners, bundle);
    }

    FakePlatform platform;
    BannerCenter banners{platform.scheduler, platform.workspace};
};

const BundleInfo configured{QStringLiteral("https://updates.example.org/appcast.xml"), QStringLiteral("public key"), QStringLiteral("1.2"),
                            QStringLiteral("120")};

} // namespace

TEST_F(AboutSettingsPageTest, WithoutUpdatesOnlyTheNote)
{
    const auto updater = makeUpdater(BundleInfo{{}, {}, QStringLiteral("1.2"), QStringLiteral("120")});
    AboutSettingsPage page(*updater, platform.scheduler);
    page.show();
    QStringList shown = texts(page);
    shown.sort();
    QStringList expected({QStringLiteral("Sobre"), QStringLiteral("Quib"), QStringLiteral("Versão 1.2 (120)"),
                                        QStringLiteral("Atualizações"),
                                        QStringLiteral("Esta cópia do Quib foi gerada no seu Mac, sem endereço de atualização. As cópias baixadas do site "
                                                       "se atualizam sozinhas.")});
    expected.sort();
    EXPECT_EQ(shown, expected);
    EXPECT_TRUE(page.findChildren<QPushButton *>().isEmpty());
    EXPECT_TRUE(page.findChildren<ToggleRow *>().isEmpty());
}

TEST_F(AboutSettingsPageTest, TheRowFollowsTheUpdaterAndChecksNow)
{
    platform.updates.automaticChecks = true;
    platform.updates.automaticDownloads = false;
    const auto updater = makeUpdater(configured);
    ASSERT_TRUE(updater->isConfigured());
    AboutSettingsPage page(*updater, platform.scheduler);
    page.show();
    auto *row = page.findChild<ActionRow *>();
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->title()->text(), QStringLiteral("Você está na versão mais recente"));
    EXPECT_FALSE(row->status()->isVisibleTo(row)) << "no check yet";
    EXPECT_EQ(row->button()->text(), QStringLiteral("Procurar agora"));

    platform.updates.lastCheck = now.addSecs(-2 * 3600);
    platform.updates.delegate->didChangeLastUpdateCheckDate();
    EXPECT_TRUE(row->status()->isVisibleTo(row));
    EXPECT_EQ(row->status()->text(), QStringLiteral("Última verificação há 2 horas"));

    platform.updates.delegate->didFindValidUpdate({QStringLiteral("130"), QStringLiteral("1.3"), QUrl(QStringLiteral("https://example.org/1.3"))});
    EXPECT_EQ(row->title()->text(), QStringLiteral("Versão 1.3 disponível"));
    EXPECT_EQ(row->button()->text(), QStringLiteral("Ver e instalar"));
    QTest::mouseClick(row->button(), Qt::LeftButton);
    EXPECT_EQ(platform.updates.userChecks, 1);
}

TEST_F(AboutSettingsPageTest, DownloadingShowsOnlyWhileCheckingAutomatically)
{
    platform.updates.automaticChecks = true;
    platform.updates.automaticDownloads = true;
    const auto updater = makeUpdater(configured);
    AboutSettingsPage page(*updater, platform.scheduler);
    page.show();
    auto *checks = rowTitled<ToggleRow>(page, QStringLiteral("Procurar atualizações sozinho"));
    auto *downloads = rowTitled<ToggleRow>(page, QStringLiteral("Baixar e instalar sozinho"));
    ASSERT_TRUE(checks && downloads);
    EXPECT_TRUE(checks->toggle()->isChecked());
    EXPECT_TRUE(downloads->isVisibleTo(&page));

    QTest::mouseClick(checks->toggle(), Qt::LeftButton);
    EXPECT_FALSE(platform.updates.automaticChecks);
    EXPECT_FALSE(downloads->isVisibleTo(&page));
    QTest::mouseClick(checks->toggle(), Qt::LeftButton);
    EXPECT_TRUE(downloads->isVisibleTo(&page));
    EXPECT_TRUE(downloads->toggle()->isChecked()) << "the framework's own setting";
    QTest::mouseClick(downloads->toggle(), Qt::LeftButton);
    EXPECT_FALSE(platform.updates.automaticDownloads);
}
