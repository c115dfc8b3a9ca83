// The two Focus files, as the Focus monitor reads them.
#include "Alerts/FocusMonitor.h"
#include "FuzzSupport.h"
#include "Platform/FocusFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString folder = Fuzz::scratchFolder();
    const QByteArray input = Fuzz::bytes(data, size);
    Fuzz::writeFile(folder + QLatin1Char('/') + QLatin1String(FocusFiles::assertionsName), input);
    Fuzz::writeFile(folder + QLatin1Char('/') + QLatin1String(FocusFiles::modeConfigurationsName), input);
    const auto identifier = FocusMonitor::activeModeIdentifier(folder);
    (void)FocusMonitor::modeInfo(folder, identifier.value_or(FocusMonitor::defaultModeIdentifier));
    return 0;
}
