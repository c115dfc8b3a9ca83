#pragma once

#include "Alerts/NotchBanner.h"
#include "App/ClaudeUsage.h"
#include "Settings/ActionRow.h"
#include "Settings/SettingsPage.h"

#include <QDateTime>
#include <QProperty>
#include <QStringList>

#include <optional>

class AppModel;
class QLabel;
class Workspace;

// The "Avisos" page: the banners that scripts and the coding agent ask for,
// the agent's hooks, its usage limits and the `quib` command link.
class MessagesSettingsPage : public SettingsPage {
    Q_OBJECT
public:
    // The agent's desktop app, whose icon and name the demo banner shows.
    static const QString claudeAppBundleID;
    // The shell lines shown under the command link, in order.
    static const QStringList commandExamples;

    // Refreshes the integrations' state from the disk.
    explicit MessagesSettingsPage(AppModel &model, QWidget *parent = nullptr);

    // The usage row's status: the first rule that applies to the poller's
    // state, else the windows' percentages as of `now`.
    static QString claudeUsageStatus(const ClaudeUsage::Status &status, const std::optional<ClaudeUsageWindow> &fiveHour,
                                     const std::optional<ClaudeUsageWindow> &sevenDay, const QDateTime &now);
    // The rows whose status and button follow a state.
    static ActionRowContent claudeCodeRow(bool connected);
    static ActionRowContent claudeUsageRow(bool enabled, const QString &status);
    static ActionRowContent commandRow(bool installed);
    // The row that lets the keyring ask the user for the agent's login.
    static bool showsPermissionRow(bool enabled, const ClaudeUsage::Status &status);
    // The banner of "Testar", shown for `duration` seconds.
    static NotchBanner demoBanner(const Workspace &workspace, double duration);

    // The usage status as of now.
    QString claudeUsageStatus() const;
    // The red line of the last failed integration action.
    QLabel *errorLine() const { return m_error; }

private:
    void addAlertsCard();
    void addClaudeCodeSection();
    void addClaudeUsageSection();
    void addCommandSection();
    void showDemo();

    AppModel &m_model;
    QLabel *m_error = nullptr;
    QProperty<std::optional<QString>> m_lastError;
    QPropertyNotifier m_showError;
};
