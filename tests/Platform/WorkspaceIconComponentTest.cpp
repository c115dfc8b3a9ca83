#include "Platform/Linux/LinuxWorkspace.h"

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Desktop entries and icons in a temporary folder, read by the real backend.
class WorkspaceIcon : public ::testing::Test {
protected:
    QString writeEntry(const QString &name, const QString &icon)
    {
        const QString path = folder.filePath(name + QStringLiteral(".desktop"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=true\nIcon=%2\n").arg(name, icon).toUtf8());
        return path;
    }

    QString writeImage(const QString &relativePath, const QColor &color)
    {
        const QString path = folder.filePath(relativePath);
        QDir().mkpath(QFileInfo(path).path());
        QImage image(48, 48, QImage::Format_ARGB32);
        image.fill(color);
        EXPECT_TRUE(image.save(path));
        return path;
    }

    QTemporaryDir folder;
    LinuxWorkspace workspace;
};

TEST_F(WorkspaceIcon, IconFileNamedByPath)
{
    const QString entry = writeEntry(QStringLiteral("Painter"), writeImage(QStringLiteral("painter.png"), Qt::blue));
    const QImage icon = workspace.iconForApplication(entry);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixelColor(icon.width() / 2, icon.height() / 2), QColor(Qt::blue));
}

TEST_F(WorkspaceIcon, IconNamedFromTheTheme)
{
    writeImage(QStringLiteral("icons/quibtest/48x48/apps/quib-test-player.png"), Qt::green);
    QFile index(folder.filePath(QStringLiteral("icons/quibtest/index.theme")));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=quibtest\nDirectories=48x48/apps\n\n[48x48/apps]\nSize=48\nType=Fixed\n");
    index.close();
    QIcon::setThemeSearchPaths({folder.filePath(QStringLiteral("icons"))});
    QIcon::setThemeName(QStringLiteral("quibtest"));

    const QImage icon = workspace.iconForApplication(writeEntry(QStringLiteral("Player"), QStringLiteral("quib-test-player")));
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixelColor(icon.width() / 2, icon.height() / 2), QColor(Qt::green));
}

TEST_F(WorkspaceIcon, NoIconGivesANullImage)
{
    EXPECT_TRUE(workspace.iconForApplication(writeEntry(QStringLiteral("Ghost"), QStringLiteral("quib-no-such-icon-anywhere"))).isNull());
    EXPECT_TRUE(workspace.iconForApplication(writeEntry(QStringLiteral("Missing"), folder.filePath(QStringLiteral("absent.png")))).isNull());
    EXPECT_TRUE(workspace.iconForApplication(folder.filePath(QStringLiteral("not-an-entry.desktop"))).isNull());
}

} // namespace
