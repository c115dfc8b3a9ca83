#pragma once

#include <QString>

#include <functional>

// The session's lock state as the screen locker and the login manager
// announce it, and keeping the display awake. Main thread only.
class SessionLock {
public:
    enum class Change { locked, unlocked };
    using Handler = std::function<void(Change)>;
    // A keep-awake request; 0 is none.
    using Inhibition = quint32;

    virtual ~SessionLock() = default;

    // Calls `handler` on the main thread each time the session becomes
    // locked or unlocked. The observation lasts as long as this object.
    virtual void observe(Handler handler) = 0;

    // Asks that the display stay on while the session sits idle, naming
    // `reason`. Returns at once; `answered` runs later on the main thread
    // with true once the display is held awake, or false when it cannot be
    // (nothing is then held). Releasing before the answer stops the request:
    // `answered` is then never called.
    virtual Inhibition keepDisplayAwake(const QString &reason, std::function<void(bool held)> answered) = 0;
    // Lets the display sleep again. Unknown or released requests are ignored.
    virtual void release(Inhibition inhibition) = 0;
};
