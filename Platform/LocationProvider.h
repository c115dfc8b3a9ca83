#pragma once

#include <QList>
#include <QString>

#include <functional>

// The computer's approximate location. Requests are answered through the
// delegate, on the main thread.
class LocationProvider {
public:
    enum class AuthorizationStatus { notDetermined, restricted, denied, authorized };

    struct Coordinate {
        double latitude = 0;
        double longitude = 0;
        bool operator==(const Coordinate &) const = default;
    };

    class Delegate {
    public:
        virtual void locationAuthorizationChanged(AuthorizationStatus status) = 0;
        // Never called with an empty list.
        virtual void locationsUpdated(const QList<Coordinate> &locations) = 0;
        virtual void locationFailed(const QString &error) = 0;

    protected:
        ~Delegate() = default;
    };

    virtual ~LocationProvider() = default;

    // Null stops the callbacks.
    virtual void setDelegate(Delegate *delegate) = 0;
    virtual void setDesiredAccuracy(double meters) = 0;
    virtual AuthorizationStatus authorizationStatus() const = 0;
    // Asks for access to the location; the answer is an authorisation change.
    virtual void requestAuthorization() = 0;
    // Calls `handler` on the main thread after every authorisation change,
    // besides the delegate. The observation lasts as long as this object.
    virtual void observeAuthorization(std::function<void(AuthorizationStatus)> handler) = 0;
    // Asks for one location; the answer is one delegate call.
    virtual void requestLocation() = 0;
};
