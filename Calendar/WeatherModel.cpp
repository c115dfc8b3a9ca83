#include "Calendar/WeatherModel.h"

#include "Support/Log.h"
#include "Support/Text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTimeZone>
#include <QUrlQuery>

#include <cmath>
#include <limits>

const QUrl WeatherModel::defaultServiceUrl(QStringLiteral("https://api.open-meteo.com"));

namespace {

// The decoding rules of the answer: a required member must be there with its
// type; an optional one may be missing or null but, when present, must have
// its type too. Any failure names the member.
struct Decoder {
    QString error;

    bool fail(const QString &key, const char *expected)
    {
        if (error.isEmpty())
            error = QStringLiteral("\"%1\" is not %2").arg(key, QLatin1String(expected));
        return false;
    }

    static bool isAbsent(const QJsonValue &value) { return value.isUndefined() || value.isNull(); }

    std::optional<double> number(const QJsonValue &value, const QString &key)
    {
        if (!value.isDouble() || !std::isfinite(value.toDouble())) {
            fail(key, "a number");
            return std::nullopt;
        }
        return value.toDouble();
    }

    std::optional<int> integer(const QJsonValue &value, const QString &key)
    {
        const double number = value.toDouble();
        if (!value.isDouble() || !std::isfinite(number) || std::trunc(number) != number || number < std::numeric_limits<int>::min()
            || number > std::numeric_limits<int>::max()) {
            fail(key, "an integer");
            return std::nullopt;
        }
        return static_cast<int>(number);
    }

    // Missing or null: none; present: an array whose elements pass `element`.
    template <typename T, typename Element>
    bool optionalArray(const QJsonObject &object, const QString &key, std::optional<QList<T>> &out, Element element)
    {
        const QJsonValue value = object.value(key);
        if (isAbsent(value))
            return true;
        if (!value.isArray())
            return fail(key, "an array");
        QList<T> list;
        for (const QJsonValue &item : value.toArray()) {
            std::optional<T> decoded = element(item);
            if (!decoded)
                return fail(key, "an array of the right type");
            list.append(*decoded);
        }
        out = list;
        return true;
    }
};

QString coordinateText(double degrees)
{
    return Text::shortestDecimal(std::round(degrees * 100.0) / 100.0);
}

// "2025-06-01T06:12" in `zone`.
std::optional<QDateTime> parseLocalMinute(const QString &text, const QTimeZone &zone)
{
    const QDateTime parsed = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd'T'HH:mm"));
    if (!parsed.isValid())
        return std::nullopt;
    const QDateTime moment(parsed.date(), parsed.time(), zone);
    return moment.isValid() ? std::optional<QDateTime>(moment) : std::nullopt;
}

} // namespace

std::optional<WeatherModel::OpenMeteoResponse> WeatherModel::OpenMeteoResponse::decode(const QByteArray &body, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    Decoder decoder;
    auto failed = [&](const QString &message) -> std::optional<OpenMeteoResponse> {
        if (error)
            *error = message;
        return std::nullopt;
    };
    if (parseError.error != QJsonParseError::NoError)
        return failed(QStringLiteral("the answer is not JSON (%1)").arg(parseError.errorString()));
    if (!document.isObject())
        return failed(QStringLiteral("the answer is not a JSON object"));
    const QJsonObject root = document.object();

    OpenMeteoResponse response;
    const QJsonValue current = root.value(QStringLiteral("current"));
    if (!current.isObject())
        return failed(QStringLiteral("\"current\" is missing"));
    const QJsonObject currentObject = current.toObject();
    const auto temperature = decoder.number(currentObject.value(QStringLiteral("temperature_2m")), QStringLiteral("temperature_2m"));
    const auto weatherCode = decoder.integer(currentObject.value(QStringLiteral("weather_code")), QStringLiteral("weather_code"));
    const auto isDay = decoder.integer(currentObject.value(QStringLiteral("is_day")), QStringLiteral("is_day"));
    if (!temperature || !weatherCode || !isDay)
        return failed(decoder.error);
    response.current = Current{*temperature, *weatherCode, *isDay};

    const QJsonValue daily = root.value(QStringLiteral("daily"));
    if (!Decoder::isAbsent(daily)) {
        if (!daily.isObject())
            return failed(QStringLiteral("\"daily\" is not an object"));
        const QJsonObject dailyObject = daily.toObject();
        Daily decoded;
        // An element is a percentage or null; anything else fails the array.
        auto chance = [&decoder](const QJsonValue &item) -> std::optional<std::optional<int>> {
            std::optional<std::optional<int>> element;
            if (item.isNull())
                element.emplace();
            else if (const auto value = decoder.integer(item, QStringLiteral("precipitation_probability_max")))
                element.emplace(*value);
            return element;
        };
        auto text = [](const QJsonValue &item) { return item.isString() ? std::optional<QString>(item.toString()) : std::nullopt; };
        std::optional<QList<QString>> sunrise;
        std::optional<QList<QString>> sunset;
        if (!decoder.optionalArray(dailyObject, QStringLiteral("precipitation_probability_max"), decoded.precipitationProbabilityMax, chance)
            || !decoder.optionalArray(dailyObject, QStringLiteral("sunrise"), sunrise, text) || !decoder.optionalArray(dailyObject, QStringLiteral("sunset"), sunset, text))
            return failed(decoder.error);
        decoded.sunrise = sunrise;
        decoded.sunset = sunset;
        response.daily = decoded;
    }

    const QJsonValue timezone = root.value(QStringLiteral("timezone"));
    if (!Decoder::isAbsent(timezone)) {
        if (!timezone.isString())
            return failed(QStringLiteral("\"timezone\" is not a string"));
        response.timezone = timezone.toString();
    }
    return response;
}

WeatherModel::WeatherModel(Scheduler &scheduler, LocationProvider &location, QUrl serviceUrl)
    : m_scheduler(scheduler)
    , m_location(location)
    , m_serviceUrl(std::move(serviceUrl))
    , m_timer(scheduler)
{
}

WeatherModel::~WeatherModel()
{
    m_location.setDelegate(nullptr);
}

void WeatherModel::start()
{
    m_location.setDelegate(this);
    m_location.setDesiredAccuracy(desiredAccuracy);
    if (m_location.authorizationStatus() == LocationProvider::AuthorizationStatus::authorized)
        m_location.requestLocation();
    m_timer.start(refreshInterval, [this] {
        if (m_lastFetch && m_scheduler.secondsSince(*m_lastFetch) < freshFor)
            return;
        // Asked even without access: the failure refetches the last place.
        m_location.requestLocation();
    });
}

void WeatherModel::locationAuthorizationChanged(LocationProvider::AuthorizationStatus status)
{
    if (status == LocationProvider::AuthorizationStatus::authorized)
        m_location.requestLocation();
}

void WeatherModel::locationsUpdated(const QList<LocationProvider::Coordinate> &locations)
{
    if (locations.isEmpty())
        return;
    m_lastLocation = locations.last();
    fetch(locations.last());
}

void WeatherModel::locationFailed(const QString &)
{
    if (m_lastLocation)
        fetch(*m_lastLocation);
}

QUrl WeatherModel::requestUrl(const QUrl &serviceUrl, const LocationProvider::Coordinate &coordinate)
{
    if (!std::isfinite(coordinate.latitude) || !std::isfinite(coordinate.longitude))
        return {};
    QUrl url = serviceUrl;
    url.setPath(QStringLiteral("/v1/forecast"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("latitude"), coordinateText(coordinate.latitude));
    query.addQueryItem(QStringLiteral("longitude"), coordinateText(coordinate.longitude));
    query.addQueryItem(QStringLiteral("current"), QStringLiteral("temperature_2m,weather_code,is_day"));
    query.addQueryItem(QStringLiteral("daily"), QStringLiteral("precipitation_probability_max,sunrise,sunset"));
    query.addQueryItem(QStringLiteral("forecast_days"), QStringLiteral("2"));
    query.addQueryItem(QStringLiteral("timezone"), QStringLiteral("auto"));
    url.setQuery(query);
    return url;
}

void WeatherModel::fetch(const LocationProvider::Coordinate &coordinate)
{
    const QUrl url = requestUrl(m_serviceUrl, coordinate);
    if (!url.isValid() || url.isEmpty())
        return;
    // The HTTP status is not looked at: an answer that decodes is used.
    m_http.get(url, {}, 60, [this](const HttpClient::Response &response) {
        if (response.error) {
            qCWarning(lcWeather, "Quib weather: %s", qPrintable(*response.error));
            return;
        }
        QString error;
        const auto decoded = OpenMeteoResponse::decode(response.body, &error);
        if (!decoded) {
            qCWarning(lcWeather, "Quib weather: %s", qPrintable(error));
            return;
        }
        apply(*decoded);
    });
}

void WeatherModel::apply(const OpenMeteoResponse &response)
{
    m_temperature = std::optional<double>(response.current.temperature);
    m_code = std::optional<int>(response.current.weatherCode);
    m_isDay = response.current.isDay == 1;
    std::optional<int> chance;
    if (response.daily && response.daily->precipitationProbabilityMax && !response.daily->precipitationProbabilityMax->isEmpty())
        chance = response.daily->precipitationProbabilityMax->first();
    m_precipitationChance = chance;
    m_sunEvent = nextSunEvent(response, m_scheduler.now());
    m_lastFetch = m_scheduler.monotonicNow();
}

std::optional<WeatherModel::SunEvent> WeatherModel::nextSunEvent(const OpenMeteoResponse &response, const QDateTime &now)
{
    if (!response.daily || !response.daily->sunrise || !response.daily->sunset)
        return std::nullopt;
    QTimeZone zone = QTimeZone::systemTimeZone();
    if (response.timezone) {
        const QTimeZone named(response.timezone->toUtf8());
        if (named.isValid())
            zone = named;
    }
    struct Candidate {
        QDateTime moment;
        SunEvent event;
    };
    QList<Candidate> candidates;
    const QStringList &sunrise = *response.daily->sunrise;
    const QStringList &sunset = *response.daily->sunset;
    for (qsizetype i = 0; i < sunrise.size(); ++i) {
        if (const auto moment = parseLocalMinute(sunrise.at(i), zone))
            candidates.append({*moment, {QStringLiteral("sunrise.fill"), sunrise.at(i).right(5)}});
        if (i < sunset.size()) {
            if (const auto moment = parseLocalMinute(sunset.at(i), zone))
                candidates.append({*moment, {QStringLiteral("sunset.fill"), sunset.at(i).right(5)}});
        }
    }
    std::optional<Candidate> earliest;
    for (const Candidate &candidate : std::as_const(candidates)) {
        if (candidate.moment > now && (!earliest || candidate.moment < earliest->moment))
            earliest = candidate;
    }
    return earliest ? std::optional<SunEvent>(earliest->event) : std::nullopt;
}

QString WeatherModel::temperatureText(std::optional<double> temperature)
{
    if (!temperature)
        return {};
    const double rounded = std::round(*temperature);
    if (!std::isfinite(rounded) || rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max())
        return {};
    return QString::number(static_cast<int>(rounded)) + QStringLiteral("°");
}
