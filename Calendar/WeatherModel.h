#pragma once

#include "Platform/LocationProvider.h"
#include "Support/HttpClient.h"
#include "Support/Scheduler.h"

#include <QBindable>
#include <QDateTime>
#include <QJsonObject>
#include <QProperty>
#include <QStringList>
#include <QUrl>

#include <optional>

// The current weather at the computer's approximate location, from the
// Open-Meteo forecast service: asked for at start, when location access is
// granted, and every 30 minutes unless a fetch succeeded in the last 10. A
// failed request or an answer that does not decode changes nothing.
class WeatherModel final : private LocationProvider::Delegate {
public:
    static constexpr double refreshInterval = 1800;
    static constexpr double freshFor = 600;
    static constexpr double desiredAccuracy = 1000;
    static const QUrl defaultServiceUrl;

    struct SunEvent {
        // "sunrise.fill" or "sunset.fill".
        QString symbol;
        // The local time at the place, "HH:mm", as the service wrote it.
        QString time;
        bool operator==(const SunEvent &) const = default;
    };

    // The part of the service's answer that the model reads.
    struct OpenMeteoResponse {
        struct Current {
            double temperature = 0;
            int weatherCode = 0;
            int isDay = 0;
        };
        struct Daily {
            std::optional<QList<std::optional<int>>> precipitationProbabilityMax;
            std::optional<QStringList> sunrise;
            std::optional<QStringList> sunset;
        };
        Current current;
        std::optional<Daily> daily;
        std::optional<QString> timezone;

        // None, with the reason in `error`, when a required member is missing
        // or any member read has the wrong type.
        static std::optional<OpenMeteoResponse> decode(const QByteArray &body, QString *error);
    };

    // `serviceUrl` is the forecast service's scheme and host.
    WeatherModel(Scheduler &scheduler, LocationProvider &location, QUrl serviceUrl = defaultServiceUrl);
    ~WeatherModel();
    WeatherModel(const WeatherModel &) = delete;
    WeatherModel &operator=(const WeatherModel &) = delete;

    // Becomes the location's delegate, asks for a location when authorised,
    // and (re)starts the 30-minute refresh. Safe to call again.
    void start();
    // Requests the forecast for that place and applies the answer.
    void fetch(const LocationProvider::Coordinate &coordinate);

    // The forecast request for a place; invalid for a coordinate that is not
    // a finite number.
    static QUrl requestUrl(const QUrl &serviceUrl, const LocationProvider::Coordinate &coordinate);
    // The next sunrise or sunset after `now` in the answer's daily data.
    static std::optional<SunEvent> nextSunEvent(const OpenMeteoResponse &response, const QDateTime &now);
    // "22°" for 21.5; empty when absent or not a representable number.
    static QString temperatureText(std::optional<double> temperature);
    QString temperatureText() const { return temperatureText(m_temperature.value()); }

    std::optional<double> temperature() const { return m_temperature.value(); }
    QBindable<std::optional<double>> bindableTemperature() { return &m_temperature; }
    std::optional<int> code() const { return m_code.value(); }
    QBindable<std::optional<int>> bindableCode() { return &m_code; }
    bool isDay() const { return m_isDay.value(); }
    QBindable<bool> bindableIsDay() { return &m_isDay; }
    std::optional<int> precipitationChance() const { return m_precipitationChance.value(); }
    QBindable<std::optional<int>> bindablePrecipitationChance() { return &m_precipitationChance; }
    std::optional<SunEvent> sunEvent() const { return m_sunEvent.value(); }
    QBindable<std::optional<SunEvent>> bindableSunEvent() { return &m_sunEvent; }
    // When the weather was last fetched, on the monotonic clock.
    std::optional<MonotonicTime> lastFetch() const { return m_lastFetch; }
    std::optional<LocationProvider::Coordinate> lastLocation() const { return m_lastLocation; }

private:
    void locationAuthorizationChanged(LocationProvider::AuthorizationStatus status) override;
    void locationsUpdated(const QList<LocationProvider::Coordinate> &locations) override;
    void locationFailed(const QString &error) override;
    void apply(const OpenMeteoResponse &response);

    Scheduler &m_scheduler;
    LocationProvider &m_location;
    QUrl m_serviceUrl;
    HttpClient m_http;
    RepeatingTimer m_timer;

    QProperty<std::optional<double>> m_temperature;
    QProperty<std::optional<int>> m_code;
    QProperty<bool> m_isDay{true};
    QProperty<std::optional<int>> m_precipitationChance;
    QProperty<std::optional<SunEvent>> m_sunEvent;
    std::optional<LocationProvider::Coordinate> m_lastLocation;
    std::optional<MonotonicTime> m_lastFetch;
};
