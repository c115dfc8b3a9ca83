#pragma once

#include "Settings/SettingsPageID.h"

#include <QWidget>

class QLabel;
class QScrollArea;
class QVBoxLayout;

// The hairline between two rows of a card, from 12 points in to the right
// edge.
class RowDivider : public QWidget {
    Q_OBJECT
public:
    explicit RowDivider(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A card of rows: rounded, filled and stroked; rows touch, the page puts a
// RowDivider between two of them.
class SettingsCard : public QWidget {
    Q_OBJECT
public:
    explicit SettingsCard(QWidget *parent = nullptr);

    void addRow(QWidget *row);
    // A hairline that starts 12 points in; returned so that a conditional
    // row can show and hide it with itself.
    QWidget *addDivider();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QVBoxLayout *m_rows;
};

// The frame of every settings page: a pinned header (the page's icon and
// title, 52 points tall) over a scrolling column of section labels, cards
// and explanatory texts on the page background.
class SettingsPage : public QWidget {
    Q_OBJECT
public:
    explicit SettingsPage(SettingsPageID page, QWidget *parent = nullptr);

    SettingsPageID page() const { return m_page; }

    QLabel *addSectionLabel(const QString &text);
    SettingsCard *addCard();
    // A secondary text under a card; wraps.
    QLabel *addText(const QString &text);
    // Any other child of the column.
    void addWidget(QWidget *widget);

    QScrollArea *scrollArea() const { return m_scroll; }

private:
    const SettingsPageID m_page;
    QScrollArea *m_scroll;
    QVBoxLayout *m_column;
};
