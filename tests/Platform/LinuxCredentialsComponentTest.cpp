#include "Platform/Linux/LinuxCredentials.h"
#include "PrivateBus.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString service = QStringLiteral("Claude Code-credentials");

} // namespace

TEST(LinuxCredentials, ReadsTheFileTheServiceNamesFirst)
{
    QTemporaryDir home;
    const QString path = home.filePath(QStringLiteral(".credentials.json"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"claudeAiOauth":{"accessToken":"t"}})");
    file.close();

    LinuxCredentials credentials({{service, path}});
    const Credentials::Item item = credentials.read(service, Credentials::Interaction::forbidden);
    EXPECT_EQ(item.status, Credentials::Item::Status::found);
    EXPECT_EQ(item.data, QByteArray(R"({"claudeAiOauth":{"accessToken":"t"}})"));
}

TEST(LinuxCredentials, WithoutFileOrSecretServiceTheLoginIsMissing)
{
    // A private bus has no Secret Service on it: the search fails quietly.
    PrivateBus bus;
    ASSERT_TRUE(bus.isRunning());
    QTemporaryDir home;
    LinuxCredentials credentials({{service, home.filePath(QStringLiteral("absent.json"))}});
    for (const auto interaction : {Credentials::Interaction::forbidden, Credentials::Interaction::allowed}) {
        const Credentials::Item item = credentials.read(service, interaction);
        EXPECT_EQ(item.status, Credentials::Item::Status::missing);
        EXPECT_TRUE(item.data.isEmpty());
    }
}
