#include "Platform/Linux/CursorPointer.h"

#include <QCursor>

std::optional<QPoint> CursorPointer::position() const
{
    return QCursor::pos();
}
