#include "Platform/Linux/LinuxProcessTable.h"
#include "QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

namespace {

// Desktop entries in a private XDG data folder, and a copy of `sleep` under
// an application's program name.
class LinuxProcessTableTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = new QTemporaryDir;
        QDir root(folder->path());
        root.mkpath(QStringLiteral("data/applications/kde4"));
        root.mkpath(QStringLiteral("empty"));
        root.mkpath(QStringLiteral("bin"));
        qputenv("XDG_DATA_HOME", root.filePath(QStringLiteral("data")).toUtf8());
        qputenv("XDG_DATA_DIRS", root.filePath(QStringLiteral("empty")).toUtf8());
    }
    static void TearDownTestSuite()
    {
        delete folder;
        folder = nullptr;
    }
    void TearDown() override
    {
        if (m_child.state() != QProcess::NotRunning) {
            m_child.kill();
            m_child.waitForFinished(5000);
        }
    }

    static QString path(const QString &relative) { return QDir(folder->path()).filePath(relative); }
    static void writeEntry(const QString &relativePath, const QString &body)
    {
        QFile entry(path(QStringLiteral("data/applications/") + relativePath));
        ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
        entry.write(QStringLiteral("[Desktop Entry]\n").toUtf8() + body.toUtf8());
    }
    static QString program(const QString &name)
    {
        const QString file = path(QStringLiteral("bin/") + name);
        if (!QFile::exists(file))
            QFile::copy(QStandardPaths::findExecutable(QStringLiteral("sleep")), file);
        return file;
    }
    qint64 start(const QString &name)
    {
        m_child.start(program(name), {QStringLiteral("60")});
        EXPECT_TRUE(m_child.waitForStarted(5000));
        return m_child.processId();
    }
    // Moves the entries folder's time on, as adding an entry a moment later
    // would.
    static void touchEntries()
    {
        const std::filesystem::path applications = path(QStringLiteral("data/applications")).toStdString();
        std::filesystem::last_write_time(applications, std::filesystem::last_write_time(applications) + std::chrono::seconds(5));
    }

    static inline QTemporaryDir *folder = nullptr;
    const std::string cache = path(QStringLiteral("cache/desktop-programs.cache")).toStdString();

private:
    QProcess m_child;
};

} // namespace

// The entries' programs are read from the cache while no folder of entries
// changed: a cache that says otherwise is believed, until the folder changes.
TEST_F(LinuxProcessTableTest, ProgramsComeFromTheCacheUntilAnEntryFolderChanges)
{
    writeEntry(QStringLiteral("quibtreeapp.desktop"), QStringLiteral("Type=Application\nName=Tree App\nExec=%1\n").arg(program(QStringLiteral("quibtreeapp"))));
    writeEntry(QStringLiteral("quibtreeother.desktop"), QStringLiteral("Type=Application\nName=Other\nExec=quibtreeotherprogram\n"));
    const qint64 pid = start(QStringLiteral("quibtreeapp"));

    const auto found = LinuxProcessTable(cache).entryForProcess(pid);
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, (LinuxProcessTable::Entry{"quibtreeapp", path(QStringLiteral("data/applications/quibtreeapp.desktop")).toStdString(), "Tree App", true}));
    EXPECT_EQ(LinuxProcessTable(cache).application(pid), (ProcessTable::Application{"quibtreeapp", true}));
    QFile written(QString::fromStdString(cache));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = written.readAll().split('\n');
    written.close();
    const auto programs = std::find_if(lines.begin(), lines.end(), [](const QByteArray &line) { return line.startsWith("Programs="); });
    ASSERT_NE(programs, lines.end());
    ASSERT_TRUE(programs->contains("quibtreeapp;quibtreeapp;")) << programs->constData();

    *programs = "Programs=quibtreeapp;quibtreeother;";
    ASSERT_TRUE(written.open(QIODevice::WriteOnly | QIODevice::Truncate));
    written.write(lines.join('\n'));
    written.close();
    EXPECT_EQ(LinuxProcessTable(cache).application(pid)->identifier, "quibtreeother");

    touchEntries();
    EXPECT_EQ(LinuxProcessTable(cache).application(pid)->identifier, "quibtreeapp");
}

TEST_F(LinuxProcessTableTest, EntriesAreFoundByIdAsTheDesktopListsThem)
{
    writeEntry(QStringLiteral("kde4/quibtreekde.desktop"), QStringLiteral("Type=Application\nName=In A Folder\nExec=true\n"));
    writeEntry(QStringLiteral("quibtreehidden.desktop"), QStringLiteral("Type=Application\nName=Hidden\nHidden=true\nExec=true\n"));
    writeEntry(QStringLiteral("quibtreelink.desktop"), QStringLiteral("Type=Link\nName=Link\nURL=https://example.org\n"));
    writeEntry(QStringLiteral("quibtreemissing.desktop"), QStringLiteral("Type=Application\nName=Missing\nTryExec=quib-no-such-program\nExec=true\n"));
    writeEntry(QStringLiteral("quibtreeterm.desktop"), QStringLiteral("Type=Application\nName=Console\nName[pt_BR]=Console BR\nTerminal=true\nExec=true\n"));

    const LinuxProcessTable table(cache);
    const auto inFolder = table.entry("kde4-quibtreekde");
    ASSERT_TRUE(inFolder);
    EXPECT_EQ(inFolder->path, path(QStringLiteral("data/applications/kde4/quibtreekde.desktop")).toStdString());
    EXPECT_TRUE(inFolder->isRegular);
    EXPECT_EQ(table.entry("quibtreehidden"), std::nullopt);
    EXPECT_EQ(table.entry("quibtreelink"), std::nullopt);
    EXPECT_EQ(table.entry("quibtreemissing"), std::nullopt);
    EXPECT_EQ(table.entry("quibtreenone"), std::nullopt);
    const auto terminal = table.entry("quibtreeterm");
    ASSERT_TRUE(terminal);
    EXPECT_FALSE(terminal->isRegular);
    EXPECT_EQ(terminal->name, "Console");
}
