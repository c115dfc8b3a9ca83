#include "Platform/KeyCapture.h"

#include <QKeySequence>

QString describe(const KeyCombination &combination)
{
    return QKeySequence(QKeyCombination(combination.modifiers, combination.key)).toString(QKeySequence::PortableText);
}
