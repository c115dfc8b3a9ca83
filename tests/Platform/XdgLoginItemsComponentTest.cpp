#include "Platform/Linux/XdgLoginItems.h"
#include "QtPrinters.h"
#include "Wait.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

#include <unistd.h>

namespace {

// An answer that tells of no failure.
const std::optional<LoginItems::Error> succeeded{std::in_place};

// Opening at login over a temporary configuration folder.
class XdgLoginItemsTest : public ::testing::Test {
protected:
    ~XdgLoginItemsTest() override { qunsetenv("XDG_CONFIG_HOME"); }

    void writeEntry(const QByteArray &contents)
    {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(entry).absolutePath()));
        QFile file(entry);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }
    QByteArray readEntry() const
    {
        QFile file(entry);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Waits for the answer of a change.
    std::optional<LoginItems::Error> change(bool on)
    {
        std::optional<LoginItems::Error> answer;
        items.setEnabled(on, &context, [&](LoginItems::Error error) { answer = error; });
        waitUntil([&] { return answer.has_value(); });
        return answer;
    }
    std::optional<bool> status()
    {
        std::optional<bool> answer;
        items.readStatus(&context, [&](bool enabled) { answer = enabled; });
        waitUntil([&] { return answer.has_value(); });
        return answer;
    }

    QTemporaryDir config;
    // The configuration folder is set before the entry's path is worked out.
    const QString entry = (qputenv("XDG_CONFIG_HOME", config.path().toUtf8()), XdgLoginItems::entryPath(QStringLiteral("com.brenvask.Quib")));
    XdgLoginItems items{entry, QStringLiteral("/opt/Quib/bin/quib")};
    QObject context;
};

} // namespace

TEST_F(XdgLoginItemsTest, TheEntryLivesInTheAutostartFolderOfTheConfiguration)
{
    EXPECT_EQ(entry, config.path() + QStringLiteral("/autostart/com.brenvask.Quib.desktop"));
}

TEST_F(XdgLoginItemsTest, StatusOfTheEntryAsFound)
{
    struct Case {
        const char *name;
        std::optional<QByteArray> contents;
        bool enabled;
    };
    const Case cases[] = {
        {"no entry", std::nullopt, false},
        {"an entry", "[Desktop Entry]\nType=Application\nExec=quib\n", true},
        {"hidden", "[Desktop Entry]\nType=Application\nExec=quib\nHidden=true\n", false},
        {"not hidden", "[Desktop Entry]\nType=Application\nExec=quib\nHidden=false\n", true},
        {"an unreadable Hidden value", "[Desktop Entry]\nExec=quib\nHidden=maybe\n", true},
        {"not a desktop entry", "just some text\n", false},
        {"no entry group", "[Other]\nExec=quib\n", false},
        {"empty", "", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(entry);
        if (c.contents)
            writeEntry(*c.contents);
        EXPECT_EQ(XdgLoginItems::isEnabled(entry), c.enabled);
        EXPECT_EQ(status(), std::optional<bool>(c.enabled));
    }
}

TEST_F(XdgLoginItemsTest, SwitchingOnWritesTheEntryAndOffRemovesIt)
{
    EXPECT_EQ(change(true), succeeded);
    EXPECT_EQ(readEntry(), XdgLoginItems::entryContents(QStringLiteral("/opt/Quib/bin/quib")));
    EXPECT_TRUE(readEntry().contains("\nExec=\"/opt/Quib/bin/quib\"\n"));
    EXPECT_EQ(status(), std::optional<bool>(true));

    EXPECT_EQ(change(false), succeeded);
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_EQ(status(), std::optional<bool>(false));
    // Already off: nothing to remove, no failure.
    EXPECT_EQ(change(false), succeeded);
}

TEST_F(XdgLoginItemsTest, SwitchingOnReplacesAHiddenEntry)
{
    writeEntry("[Desktop Entry]\nType=Application\nExec=quib\nHidden=true\n");
    EXPECT_EQ(change(true), succeeded);
    EXPECT_EQ(status(), std::optional<bool>(true));
    EXPECT_FALSE(readEntry().contains("Hidden"));
}

TEST_F(XdgLoginItemsTest, ChangesAreMadeInTheOrderAsked)
{
    QList<bool> answered;
    for (const bool on : {true, false, true, false, true})
        items.setEnabled(on, &context, [&answered, on](LoginItems::Error error) {
            EXPECT_FALSE(error);
            answered.append(on);
        });
    ASSERT_TRUE(waitUntil([&] { return answered.size() == 5; }));
    EXPECT_EQ(answered, QList<bool>({true, false, true, false, true}));
    EXPECT_TRUE(XdgLoginItems::isEnabled(entry));
}

TEST_F(XdgLoginItemsTest, AFailedWriteSaysWhyAndChangesNothing)
{
    // The autostart folder cannot be made: a file holds its name.
    QFile blocker(config.path() + QStringLiteral("/autostart"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const auto answer = change(true);
    ASSERT_TRUE(answer.has_value());
    ASSERT_TRUE(answer->has_value()) << "a failure";
    EXPECT_FALSE((*answer)->isEmpty());
    EXPECT_EQ(status(), std::optional<bool>(false));
}

TEST_F(XdgLoginItemsTest, AFailedRemovalSaysWhyAndLeavesTheEntry)
{
    ASSERT_EQ(change(true), succeeded);
    const QString folder = QFileInfo(entry).absolutePath();
    ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const auto answer = change(false);
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (::geteuid() == 0)
        GTEST_SKIP() << "root removes files from read-only folders";
    ASSERT_TRUE(answer.has_value());
    EXPECT_TRUE(answer->has_value()) << "a failure";
    EXPECT_TRUE(XdgLoginItems::isEnabled(entry));
}

TEST_F(XdgLoginItemsTest, ExecQuotesThePathAsTheEntryFormatAsks)
{
    struct Case {
        QString executable;
        QString exec;
    };
    const Case cases[] = {
        {QStringLiteral("/usr/bin/quib"), QStringLiteral("Exec=\"/usr/bin/quib\"")},
        {QStringLiteral("/home/ana/My Apps/quib"), QStringLiteral("Exec=\"/home/ana/My Apps/quib\"")},
        // Inside the quotes " ` $ \ take a backslash; the value's own escaping
        // doubles every backslash; % is doubled.
        {QStringLiteral("/a\"b/quib"), QStringLiteral("Exec=\"/a\\\\\"b/quib\"")},
        {QStringLiteral("/a$b/100%/quib"), QStringLiteral("Exec=\"/a\\\\$b/100%%/quib\"")},
        {QStringLiteral("/a\\b/quib"), QStringLiteral("Exec=\"/a\\\\\\\\b/quib\"")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.executable.toStdString());
        const QStringList lines = QString::fromUtf8(XdgLoginItems::entryContents(c.executable)).split(u'\n');
        EXPECT_TRUE(lines.contains(c.exec)) << lines.join(u'|').toStdString();
        EXPECT_EQ(lines.first(), QStringLiteral("[Desktop Entry]"));
        EXPECT_TRUE(lines.contains(QStringLiteral("Type=Application")));
    }
}

TEST_F(XdgLoginItemsTest, AnAnswerWhoseContextIsGoneIsDropped)
{
    bool answered = false;
    auto gone = std::make_unique<QObject>();
    items.setEnabled(true, gone.get(), [&](LoginItems::Error) { answered = true; });
    gone.reset();
    // A later change's answer arrives after the first one's.
    EXPECT_EQ(change(true), succeeded);
    EXPECT_FALSE(answered);
}
