// What the coding agent writes to `quib claude-hook` and
// `quib claude-statusline` on standard input.
#include "App/CommandLineTool.h"
#include "FuzzSupport.h"
#include "Platform/Fake/FakePlatform.h"

#include <QBuffer>
#include <QTextStream>

namespace {

int runWithInput(const QByteArray &input, int (CommandLineTool::*command)())
{
    static FakePlatform platform;
    QByteArray bytes = input;
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    QString output;
    QTextStream out(&output);
    QTextStream err(&output);
    CommandLineTool tool(platform.notifications, platform.workspace, platform.defaults, in, out, err, Fuzz::scratchFolder() + QStringLiteral("/usage.json"));
    const int status = (tool.*command)();
    platform.notifications.posted.clear();
    return status;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input = Fuzz::bytes(data, size);
    runWithInput(input, &CommandLineTool::claudeHook);
    runWithInput(input, &CommandLineTool::claudeStatusLine);
    return 0;
}
