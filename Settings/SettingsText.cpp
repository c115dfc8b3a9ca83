#include "Settings/SettingsText.h"

#include "Shared/Typography.h"

#include <QLabel>

QLabel *SettingsText::label(const QString &text, double size, QFont::Weight weight, const QColor &color, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setFont(Typography::systemFont(size, weight));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}
