#pragma once

#include <QProperty>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;

// What an ActionRow shows besides its title: an optional status line (with a
// green dot) and the button's title.
struct ActionRowContent {
    std::optional<QString> status;
    QString button;
    bool operator==(const ActionRowContent &) const = default;
};

// A row with a title, an optional status line and a small push button that
// runs an action. The content is a function so that a row follows the state
// it shows: every bindable property it reads is observed.
class ActionRow : public QWidget {
    Q_OBJECT
public:
    ActionRow(const QString &title, std::function<ActionRowContent()> content, std::function<void()> action, QWidget *parent = nullptr);
    // A row whose status and button never change.
    ActionRow(const QString &title, std::optional<QString> status, const QString &button, std::function<void()> action,
              QWidget *parent = nullptr);

    QString title() const { return m_title; }
    QPushButton *button() const { return m_button; }
    // The status line's text; none while no status is shown.
    std::optional<QString> status() const { return m_content.value().status; }

private:
    void apply();

    const QString m_title;
    QPushButton *m_button;
    QWidget *m_statusLine;
    QLabel *m_status;
    QProperty<ActionRowContent> m_content;
    QPropertyNotifier m_follow;
};
