#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

// What every fuzz target shares: an application object (offscreen), a home
// and data folders of their own, silent logging, and ways to read the
// fuzzer's bytes.
namespace Fuzz {

QByteArray bytes(const std::uint8_t *data, std::size_t size);
// The input cut at NUL bytes: a command's arguments, a dictionary's keys and
// values.
QStringList strings(const std::uint8_t *data, std::size_t size);
// A folder of this process's own, empty at start.
QString scratchFolder();
// Replaces `path` with `contents`.
void writeFile(const QString &path, const QByteArray &contents);

} // namespace Fuzz
