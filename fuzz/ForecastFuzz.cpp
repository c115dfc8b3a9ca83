// The forecast service's answer.
#include "Calendar/WeatherModel.h"
#include "FuzzSupport.h"

#include <QDateTime>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QString error;
    const auto response = WeatherModel::OpenMeteoResponse::decode(Fuzz::bytes(data, size), &error);
    if (response) {
        (void)WeatherModel::nextSunEvent(*response, QDateTime::fromSecsSinceEpoch(1796000000, Qt::UTC));
        (void)WeatherModel::temperatureText(response->current.temperature);
    }
    return 0;
}
