#pragma once

#include "Settings/SettingsPage.h"

#include <QProperty>

class AppModel;
class LoginItems;
class ToggleRow;

// The page of app-wide choices: opening at login, where and how the notch is
// shown, the open panel's width and activity, the way to the permissions
// window, and how the notch answers the pointer.
class GeneralSettingsPage : public SettingsPage {
    Q_OBJECT
public:
    // The open width's label: the whole number of percent ("100%").
    static QString widthText(double width);
    // The hover delay's label: seconds with two decimals ("0.10s").
    static QString hoverDelayText(double seconds);
    // The message shown when opening at login could not be changed.
    static QString launchAtLoginFailure(const QString &reason);

    explicit GeneralSettingsPage(AppModel &model, QWidget *parent = nullptr);

    ToggleRow *launchAtLoginRow() const { return m_launchAtLoginRow; }
    // The failure of the last change of opening at login; empty after a
    // change that worked.
    QString launchAtLoginError() const { return m_launchAtLoginError.value(); }

private:
    void addWindowCard();
    void addSimulatedStyles();
    void addOpenWidth();
    void addIdleActivity();
    void addPermissions();
    void addBehaviour();
    // The switch's handler: asks the system for the change. A failure puts
    // the switch back to the system's state without asking again.
    void changeLaunchAtLogin(bool on);

    AppModel &m_model;
    LoginItems &m_loginItems;
    ToggleRow *m_launchAtLoginRow = nullptr;
    // Starts from the system's state, read when the page is made.
    QProperty<bool> m_launchAtLogin{false};
    QProperty<QString> m_launchAtLoginError;
    QPropertyNotifier m_errorFollow;
    QProperty<double> m_shownWidth;
    QPropertyNotifier m_widthPreview;
};
