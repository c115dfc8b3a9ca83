#pragma once

#include "Settings/SettingsPageID.h"

#include <QProperty>
#include <QSize>
#include <QWidget>

#include <vector>

class AppModel;
class QAbstractButton;
class QLabel;
class SettingsPage;
class SettingsRouter;

// The settings window's content: the sidebar of the thirteen pages in three
// groups, a separator, and the selected page. The page follows the router;
// it is made afresh each time it is selected.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize fixedSize{650, 712};
    static constexpr int sidebarWidth = 220;

    SettingsView(SettingsRouter &router, AppModel &model, QWidget *parent = nullptr);
    ~SettingsView() override;

    // The page view for `page`.
    static SettingsPage *makePage(SettingsPageID page, AppModel &model, SettingsRouter &router);

    // The page shown now.
    SettingsPage *currentPage() const { return m_page; }
    // The sidebar's items, top to bottom.
    const std::vector<QAbstractButton *> &sidebarItems() const { return m_items; }
    // The sidebar's group headers, top to bottom.
    const std::vector<QLabel *> &sidebarHeaders() const { return m_headers; }

private:
    QWidget *makeSidebar();
    void showPage();

    SettingsRouter &m_router;
    AppModel &m_model;
    QWidget *m_detail = nullptr;
    SettingsPage *m_page = nullptr;
    std::vector<QAbstractButton *> m_items;
    std::vector<QLabel *> m_headers;
    QPropertyNotifier m_follow;
};
