#pragma once

#include "Calendar/CalendarInfo.h"
#include "Settings/SettingsBinding.h"
#include "Settings/SettingsPage.h"

#include <QProperty>

class AppModel;
class QAbstractButton;

// The calendar side of the notch: whether events are used, the countdown
// before an event, the progress ring, the announcement sound and the hourly
// chime (each with a play button), calendar colours, the weather on a free
// day, what the open panel shows under the day, and which calendars take
// part. The calendar list follows the calendar model as it changes.
class CalendarSettingsPage : public SettingsPage {
    Q_OBJECT
public:
    explicit CalendarSettingsPage(AppModel &model, QWidget *parent = nullptr);

    // The countdown slider's value: "não" for 0, else the whole minutes
    // followed by "m".
    static QString reminderText(double minutes);
    // What the calendar card says when there is no calendar to list.
    static QString emptyListText(bool authorized);
};

// One calendar of the calendar page: a check box in the calendar's colour,
// its title and its account. Only the check box toggles the calendar.
class CalendarToggleRow : public QWidget {
    Q_OBJECT
public:
    CalendarToggleRow(CalendarInfo calendar, SettingsBinding<StringSet> disabled, QWidget *parent = nullptr);

    // A calendar is active exactly while its identifier is not in `disabled`,
    // so a new calendar is active until the user switches it off.
    static bool isActive(const StringSet &disabled, const QString &identifier);
    // `disabled` with `identifier` taken out (active) or put in (inactive).
    // Every other identifier stays, also those of calendars that no longer
    // exist.
    static StringSet withActive(StringSet disabled, const QString &identifier, bool active);

    const CalendarInfo &calendar() const { return m_calendar; }
    QAbstractButton *checkBox() const;
    bool isOn() const { return m_isOn.value(); }

private:
    const CalendarInfo m_calendar;
    class CalendarCheckBox *m_checkBox;
    QProperty<bool> m_isOn;
    QPropertyNotifier m_follow;
};
