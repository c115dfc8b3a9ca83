// The usage service's answer and the usage snapshot file.
#include "App/ClaudeUsage.h"
#include "App/ClaudeUsageStore.h"
#include "FuzzSupport.h"

#include <QDateTime>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input = Fuzz::bytes(data, size);
    const QDateTime now = QDateTime::fromSecsSinceEpoch(1796000000, Qt::UTC);
    (void)ClaudeUsage::snapshot(input, now);
    const QString path = Fuzz::scratchFolder() + QStringLiteral("/usage-snapshot.json");
    Fuzz::writeFile(path, input);
    (void)ClaudeUsageStore::read(path);
    return 0;
}
