#pragma once

#include <QLabel>
#include <QString>
#include <QWidget>

// The row of type `Row` on `page` that holds a label reading `title`, or null.
template <typename Row>
Row *rowTitled(const QWidget &page, const QString &title)
{
    for (Row *row : page.findChildren<Row *>()) {
        for (const QLabel *label : row->template findChildren<QLabel *>()) {
            if (label->text() == title)
                return row;
        }
    }
    return nullptr;
}
