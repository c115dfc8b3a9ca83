#include "Platform/Linux/LinuxWorkspace.h"
#include "QtPrinters.h"
#include "Wait.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// Copies of `sleep` under the names of applications whose desktop entries
// live in a private XDG data folder; nothing of the real desktop is visible.
class LinuxWorkspaceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = new QTemporaryDir;
        QDir root(folder->path());
        root.mkpath(QStringLiteral("data/applications"));
        root.mkpath(QStringLiteral("empty"));
        root.mkpath(QStringLiteral("bin"));
        // GIO reads these once per process, at its first use.
        qputenv("XDG_DATA_HOME", root.filePath(QStringLiteral("data")).toUtf8());
        qputenv("XDG_DATA_DIRS", root.filePath(QStringLiteral("empty")).toUtf8());

        writeEntry(QStringLiteral("quibtestapp"), QStringLiteral("Name=Quib Test App\n"));
        writeEntry(QStringLiteral("quibtesthelper"), QStringLiteral("Name=Helper\nNoDisplay=true\n"));
        writeEntry(QStringLiteral("quibtestterm"), QStringLiteral("Name=Console Tool\nTerminal=true\n"));
        writeEntry(QStringLiteral("quib (test) app"), QStringLiteral("Name=Odd Name\n"), QStringLiteral("quibtestodd"));
        program(QStringLiteral("quibtestunlisted"));
    }
    static void TearDownTestSuite()
    {
        delete folder;
        folder = nullptr;
    }

    static QString program(const QString &name)
    {
        const QString path = QDir(folder->path()).filePath(QStringLiteral("bin/") + name);
        if (!QFile::exists(path))
            QFile::copy(QStandardPaths::findExecutable(QStringLiteral("sleep")), path);
        return path;
    }
    static QString entryPath(const QString &id) { return QDir(folder->path()).filePath(QStringLiteral("data/applications/%1.desktop").arg(id)); }
    static void writeEntry(const QString &programName, const QString &extra, const QString &id = QString())
    {
        QFile entry(entryPath(id.isEmpty() ? programName : id));
        ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
        entry.write(QStringLiteral("[Desktop Entry]\nType=Application\nExec=\"%1\" --flag\n").arg(program(programName)).toUtf8() + extra.toUtf8());
    }

    // Starts one of the programs; it is stopped when the test ends.
    qint64 startProgram(const QString &name)
    {
        auto process = std::make_unique<QProcess>();
        process->start(program(name), {QStringLiteral("60")});
        EXPECT_TRUE(process->waitForStarted(5000));
        const qint64 pid = process->processId();
        m_children.push_back(std::move(process));
        return pid;
    }
    void TearDown() override
    {
        for (const auto &child : m_children) {
            child->kill();
            child->waitForFinished(5000);
        }
    }

    static inline QTemporaryDir *folder = nullptr;
    LinuxWorkspace workspace;

private:
    std::vector<std::unique_ptr<QProcess>> m_children;
};

} // namespace

TEST_F(LinuxWorkspaceTest, ParentProcessComesFromTheKernelTable)
{
    const qint64 self = QCoreApplication::applicationPid();
    EXPECT_EQ(workspace.parentProcessIdentifier(startProgram(QStringLiteral("quibtestapp"))), self);
    EXPECT_EQ(workspace.parentProcessIdentifier(startProgram(QStringLiteral("quib (test) app"))), self) << "a name with spaces and parentheses";
    EXPECT_EQ(workspace.parentProcessIdentifier(self), getppid());
    EXPECT_EQ(workspace.parentProcessIdentifier(0), std::nullopt);
    EXPECT_EQ(workspace.parentProcessIdentifier(-1), std::nullopt);
    EXPECT_EQ(workspace.parentProcessIdentifier(std::numeric_limits<int>::max()), std::nullopt);
}

TEST_F(LinuxWorkspaceTest, ProcessBelongsToTheApplicationThatRunsItsExecutable)
{
    const qint64 pid = startProgram(QStringLiteral("quibtestapp"));
    const auto application = workspace.runningApplication(pid);
    ASSERT_TRUE(application);
    EXPECT_EQ(*application, (Workspace::RunningApplication{pid, QStringLiteral("quibtestapp"), QStringLiteral("Quib Test App"), true}));

    const auto odd = workspace.runningApplication(startProgram(QStringLiteral("quib (test) app")));
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->bundleIdentifier, QStringLiteral("quibtestodd"));

    // Tests running in parallel may run the same program too.
    EXPECT_TRUE(workspace.runningApplications(QStringLiteral("quibtestapp")).contains(*application));
    EXPECT_TRUE(workspace.runningApplications(QStringLiteral("quibtestunlisted")).isEmpty());
}

TEST_F(LinuxWorkspaceTest, HiddenAndTerminalEntriesAreNotRegular)
{
    const auto helper = workspace.runningApplication(startProgram(QStringLiteral("quibtesthelper")));
    const auto terminal = workspace.runningApplication(startProgram(QStringLiteral("quibtestterm")));
    ASSERT_TRUE(helper);
    ASSERT_TRUE(terminal);
    EXPECT_EQ(helper->bundleIdentifier, QStringLiteral("quibtesthelper"));
    EXPECT_FALSE(helper->isRegular);
    EXPECT_EQ(terminal->bundleIdentifier, QStringLiteral("quibtestterm"));
    EXPECT_FALSE(terminal->isRegular);
}

TEST_F(LinuxWorkspaceTest, ProcessesWithoutAnEntryAreNoApplication)
{
    EXPECT_EQ(workspace.runningApplication(startProgram(QStringLiteral("quibtestunlisted"))), std::nullopt);
    EXPECT_EQ(workspace.runningApplication(0), std::nullopt);
    EXPECT_EQ(workspace.runningApplication(std::numeric_limits<int>::max()), std::nullopt);
}

TEST_F(LinuxWorkspaceTest, ProcessesOfThisExecutableAreQuibItself)
{
    const qint64 self = QCoreApplication::applicationPid();
    EXPECT_EQ(workspace.runningApplication(self),
              (Workspace::RunningApplication{self, QStringLiteral("com.brenvask.Quib"), QStringLiteral("Quib"), false}));
}

TEST_F(LinuxWorkspaceTest, InstalledApplicationsHaveAnEntryPathAndADisplayName)
{
    const auto url = workspace.urlForApplication(QStringLiteral("quibtestapp"));
    ASSERT_TRUE(url);
    EXPECT_EQ(QFileInfo(*url).canonicalFilePath(), QFileInfo(entryPath(QStringLiteral("quibtestapp"))).canonicalFilePath());
    EXPECT_EQ(workspace.displayName(*url), QStringLiteral("Quib Test App"));
    EXPECT_EQ(workspace.urlForApplication(QStringLiteral("com.example.missing")), std::nullopt);
    EXPECT_EQ(workspace.urlForApplication(QString()), std::nullopt);
    EXPECT_EQ(workspace.displayName(QStringLiteral("/nonexistent/Some Tool.desktop")), QStringLiteral("Some Tool"));
}

TEST_F(LinuxWorkspaceTest, ASettingsPanelStartsTheDesktopsSettingsProgramWithoutWaiting)
{
    // A settings program of our own that writes its arguments.
    const QString bin = QDir(folder->path()).filePath(QStringLiteral("bin"));
    const QString record = QDir(folder->path()).filePath(QStringLiteral("panel.txt"));
    QFile settings(bin + QStringLiteral("/gnome-control-center"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write(QStringLiteral("#!/bin/sh\necho \"$@\" > '%1'\n").arg(record).toUtf8());
    settings.close();
    settings.setPermissions(settings.permissions() | QFileDevice::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    const QByteArray desktop = qgetenv("XDG_CURRENT_DESKTOP");
    qputenv("PATH", bin.toUtf8());
    qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");

    EXPECT_TRUE(workspace.openSettingsPanel(SettingsPanel::bluetooth));
    qputenv("XDG_CURRENT_DESKTOP", "KDE");
    EXPECT_FALSE(workspace.openSettingsPanel(SettingsPanel::location)) << "no such panel";
    EXPECT_FALSE(workspace.openSettingsPanel(SettingsPanel::bluetooth)) << "no such program";
    qputenv("PATH", path);
    qputenv("XDG_CURRENT_DESKTOP", desktop);

    QFile written(record);
    EXPECT_TRUE(waitUntil([&] { return written.exists() && written.size() > 0; }));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll().trimmed(), QByteArray("bluetooth"));
}
