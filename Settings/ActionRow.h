#pragma once

#include <QProperty>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;

// What an ActionRow shows: a title, an optional status line with a green
// dot, and the title of its button.
struct ActionRowContent {
    QString title;
    std::optional<QString> status;
    QString button;
    bool operator==(const ActionRowContent &) const = default;
};

// A row with a title, an optional status line and a small button that runs
// `action`. The content is read through a binding, so the row follows
// whatever it reads.
class ActionRow : public QWidget {
    Q_OBJECT
public:
    ActionRow(std::function<ActionRowContent()> content, std::function<void()> action, QWidget *parent = nullptr);

    QLabel *title() const { return m_title; }
    // Hidden while there is no status.
    QLabel *status() const { return m_status; }
    QPushButton *button() const { return m_button; }

private:
    void apply();

    QLabel *m_title;
    QWidget *m_statusLine;
    QLabel *m_status;
    QPushButton *m_button;
    QProperty<ActionRowContent> m_content;
    QPropertyNotifier m_follow;
};
