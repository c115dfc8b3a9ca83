// The record of the streams whose volume the app scaled, read back after a
// crash.
#include "FuzzSupport.h"
#include "Platform/Linux/StreamVolumeRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    (void)StreamVolumeRecord::parse(Fuzz::bytes(data, size));
    return 0;
}
