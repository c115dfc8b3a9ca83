// The Linux workspace's clipboard.

#include "Platform/Linux/LinuxWorkspace.h"

#include <QClipboard>
#include <QGuiApplication>

#include <gtest/gtest.h>

namespace {

TEST(WorkspaceClipboard, CopiedTextIsOnTheClipboard)
{
    LinuxWorkspace workspace;
    workspace.setClipboardText(QStringLiteral("Águas de Março — Elis"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), u"Águas de Março — Elis");
}

} // namespace
