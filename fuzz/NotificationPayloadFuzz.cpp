// The property-list payloads of the notification database.
#include "Alerts/NotificationPayload.h"
#include "FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray payload = Fuzz::bytes(data, size);
    (void)NotificationPayload::decode(payload);
    (void)NotificationPayload::summary(payload);
    return 0;
}
