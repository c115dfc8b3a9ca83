#include "Platform/Fake/FakeWorkspace.h"
#include "Platform/Linux/NotificationJournal.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

TEST(NotificationJournal, IdentifiesTheSendingApplication)
{
    FakeWorkspace workspace;
    workspace.installed.insert(QStringLiteral("org.example.Mail"), {QStringLiteral("/apps/org.example.Mail.desktop"), QStringLiteral("Correio")});
    workspace.processes.insert(77, {1, Workspace::RunningApplication{77, QStringLiteral("org.example.Chat"), QStringLiteral("Conversa"), true}});
    const auto call = [](const QString &appName, const QString &desktopEntry, qint64 processIdentifier) {
        NotificationJournal::Call call;
        call.appName = appName;
        call.desktopEntry = desktopEntry;
        call.processIdentifier = processIdentifier;
        return call;
    };
    struct Case {
        const char *name;
        NotificationJournal::Call call;
        QString expected;
    };
    const Case cases[] = {
        {"DesktopEntryHintFirst", call(QStringLiteral("org.example.Mail"), QStringLiteral("org.example.Notes"), 77), QStringLiteral("org.example.Notes")},
        {"DesktopEntryHintWithItsSuffix", call(QString(), QStringLiteral("org.example.Notes.desktop"), 0), QStringLiteral("org.example.Notes")},
        {"InstalledApplicationName", call(QStringLiteral("org.example.Mail"), QString(), 77), QStringLiteral("org.example.Mail")},
        {"SendingProcess", call(QStringLiteral("Conversa"), QString(), 77), QStringLiteral("org.example.Chat")},
        {"ApplicationNameAsGiven", call(QStringLiteral("Conversa"), QString(), 78), QStringLiteral("Conversa")},
        {"NothingKnown", call(QString(), QString(), 0), QString()},
    };
    for (const Case &testCase : cases)
        EXPECT_EQ(NotificationJournal::identifier(testCase.call, workspace), testCase.expected) << testCase.name;
}

