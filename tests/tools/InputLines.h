#pragma once

// Standard input of a test tool, one command a line.

#include <QByteArray>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <functional>
#include <memory>
#include <unistd.h>

// Calls `handle` with each line of standard input, without its line feed, on
// the main thread; ends the event loop when the input closes. Reading lasts
// as long as the returned notifier.
inline std::unique_ptr<QSocketNotifier> readInputLines(std::function<void(const QByteArray &)> handle)
{
    auto input = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(input.get(), &QSocketNotifier::activated, [handle = std::move(handle), buffer = QByteArray()]() mutable {
        char chunk[256];
        const ssize_t count = read(STDIN_FILENO, chunk, sizeof chunk);
        if (count <= 0) {
            QCoreApplication::quit();
            return;
        }
        buffer.append(chunk, count);
        for (qsizetype end = buffer.indexOf('\n'); end >= 0; end = buffer.indexOf('\n')) {
            const QByteArray line = buffer.left(end);
            buffer.remove(0, end + 1);
            handle(line);
        }
    });
    return input;
}
