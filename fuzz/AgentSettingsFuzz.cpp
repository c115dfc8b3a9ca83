// The coding agent's settings file, read, changed and written back when its
// hooks and status line are connected and disconnected.
#include "App/Integrations.h"
#include "FuzzSupport.h"
#include "Platform/Fake/FakeUserDefaults.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace {

void finish(Integrations &integrations)
{
    while (integrations.isBusy())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static FakeUserDefaults defaults;
    static Integrations integrations(defaults, QStringLiteral("/usr/bin/quib"));
    QDir().mkpath(QFileInfo(Integrations::claudeSettingsPath()).path());
    QFile::remove(Integrations::claudeSettingsBackupPath());
    Fuzz::writeFile(Integrations::claudeSettingsPath(), Fuzz::bytes(data, size));
    integrations.refresh();
    integrations.connectClaudeCode();
    finish(integrations);
    integrations.disconnectClaudeCode();
    integrations.disconnectStatusLine();
    finish(integrations);
    return 0;
}
