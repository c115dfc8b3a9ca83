#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

// A wall clock for child processes, faked by libfaketime: the children read
// the system's time plus an offset that the test may change while they run.
// Their monotonic clock stays the system's.
class FakeWallClock {
public:
    FakeWallClock();

    // The library was found and the offset file written.
    bool isUsable() const { return !m_library.isEmpty() && m_written; }
    // Makes a child started with `environment` run on this clock.
    void applyTo(QProcessEnvironment &environment) const;
    // Steps the children's wall clock to the system's time plus `seconds`.
    bool setOffset(qint64 seconds);

private:
    QString offsetFile() const;

    QTemporaryDir m_folder;
    QString m_library;
    bool m_written = false;
};
