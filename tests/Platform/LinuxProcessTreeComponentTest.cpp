#include "Platform/Linux/LinuxProcessTree.h"
#include "QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace {

// Desktop entries in a private XDG data folder, and a copy of `sleep` under
// an application's program name.
class LinuxProcessTreeTest : public ::testing::Test {
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
    const QString cache = path(QStringLiteral("cache/desktop-programs.json"));

private:
    QProcess m_child;
};

} // namespace

// The entries' programs are read from the cache while no folder of entries
// changed: a cache that says otherwise is believed, until the folder changes.
TEST_F(LinuxProcessTreeTest, ProgramsComeFromTheCacheUntilAnEntryFolderChanges)
{
    writeEntry(QStringLiteral("quibtreeapp.desktop"), QStringLiteral("Type=Application\nName=Tree App\nExec=%1\n").arg(program(QStringLiteral("quibtreeapp"))));
    writeEntry(QStringLiteral("quibtreeother.desktop"), QStringLiteral("Type=Application\nName=Other\nExec=quibtreeotherprogram\n"));
    const qint64 pid = start(QStringLiteral("quibtreeapp"));

    ASSERT_EQ(LinuxProcessTree(cache).runningApplication(pid), (ProcessTree::RunningApplication{pid, QStringLiteral("quibtreeapp"), QStringLiteral("Tree App"), true}));
    QFile written(cache);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    QJsonObject contents = QJsonDocument::fromJson(written.readAll()).object();
    written.close();
    ASSERT_EQ(contents.value(QStringLiteral("programs")).toObject().value(QStringLiteral("quibtreeapp")).toString(), QStringLiteral("quibtreeapp"));

    contents.insert(QStringLiteral("programs"), QJsonObject{{QStringLiteral("quibtreeapp"), QStringLiteral("quibtreeother")}});
    ASSERT_TRUE(written.open(QIODevice::WriteOnly | QIODevice::Truncate));
    written.write(QJsonDocument(contents).toJson());
    written.close();
    EXPECT_EQ(LinuxProcessTree(cache).runningApplication(pid)->bundleIdentifier, QStringLiteral("quibtreeother"));

    touchEntries();
    EXPECT_EQ(LinuxProcessTree(cache).runningApplication(pid)->bundleIdentifier, QStringLiteral("quibtreeapp"));
}

TEST_F(LinuxProcessTreeTest, EntriesAreFoundByIdAsTheDesktopListsThem)
{
    writeEntry(QStringLiteral("kde4/quibtreekde.desktop"), QStringLiteral("Type=Application\nName=In A Folder\nExec=true\n"));
    writeEntry(QStringLiteral("quibtreehidden.desktop"), QStringLiteral("Type=Application\nName=Hidden\nHidden=true\nExec=true\n"));
    writeEntry(QStringLiteral("quibtreelink.desktop"), QStringLiteral("Type=Link\nName=Link\nURL=https://example.org\n"));
    writeEntry(QStringLiteral("quibtreemissing.desktop"), QStringLiteral("Type=Application\nName=Missing\nTryExec=quib-no-such-program\nExec=true\n"));
    writeEntry(QStringLiteral("quibtreeterm.desktop"), QStringLiteral("Type=Application\nName=Console\nName[pt_BR]=Console BR\nTerminal=true\nExec=true\n"));

    const LinuxProcessTree tree(cache);
    const auto inFolder = tree.entry(QStringLiteral("kde4-quibtreekde"));
    ASSERT_TRUE(inFolder);
    EXPECT_EQ(inFolder->path, path(QStringLiteral("data/applications/kde4/quibtreekde.desktop")));
    EXPECT_TRUE(inFolder->isRegular);
    EXPECT_EQ(tree.entry(QStringLiteral("quibtreehidden")), std::nullopt);
    EXPECT_EQ(tree.entry(QStringLiteral("quibtreelink")), std::nullopt);
    EXPECT_EQ(tree.entry(QStringLiteral("quibtreemissing")), std::nullopt);
    EXPECT_EQ(tree.entry(QStringLiteral("quibtreenone")), std::nullopt);
    const auto terminal = tree.entry(QStringLiteral("quibtreeterm"));
    ASSERT_TRUE(terminal);
    EXPECT_FALSE(terminal->isRegular);
    EXPECT_EQ(terminal->name, QStringLiteral("Console"));
}
