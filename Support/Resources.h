#pragma once

#include <QString>

// Files shipped with the app. The build tree and an installed prefix share one
// layout beside the executable: bin/quib, lib/quib/, share/quib/.
namespace Resources {

// share/quib/<relativePath>
QString sharePath(const QString &relativePath);
// lib/quib/<relativePath>
QString libraryPath(const QString &relativePath);

} // namespace Resources
