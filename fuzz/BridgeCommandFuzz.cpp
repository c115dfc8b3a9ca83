// The media bridge's command lines, as the app writes them to it.
#include "Bridge/BridgeCommand.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const BridgeCommand command = BridgeCommand::parse(std::string_view(reinterpret_cast<const char *>(data), size));
    // The position must be a number the bridge can compare and clamp.
    volatile double seconds = command.seconds;
    (void)seconds;
    return 0;
}
