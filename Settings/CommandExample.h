#pragma once

#include "Support/Scheduler.h"

#include <QProperty>
#include <QString>
#include <QWidget>

#include <vector>

class QLabel;
class QToolButton;
class Workspace;

// A line of shell text in a monospaced font with a button that copies it to
// the clipboard. After a copy the button shows a check mark for 1.2 s.
class CommandExample : public QWidget {
    Q_OBJECT
public:
    static constexpr double copiedDuration = 1.2;

    CommandExample(const QString &command, Workspace &workspace, Scheduler &scheduler, QWidget *parent = nullptr);
    ~CommandExample() override;

    QString command() const { return m_command; }
    QToolButton *copyButton() const { return m_copy; }
    // The check mark is shown.
    bool isCopied() const { return m_copied.value(); }
    // The text as drawn: cut with an ellipsis when the line is too narrow.
    QString shownText() const;

    // Puts the command on the clipboard and shows the check mark. Each copy
    // schedules its own return to the copy symbol; an earlier one still
    // pending is not cancelled, so the first copy's time ends it.
    void copy();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const QString m_command;
    Workspace &m_workspace;
    Scheduler &m_scheduler;
    QLabel *m_text;
    QToolButton *m_copy;
    QProperty<bool> m_copied{false};
    QPropertyNotifier m_redraw;
    std::vector<Scheduler::Token> m_resets;
};
