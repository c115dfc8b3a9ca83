#pragma once

#include "App/AppModel.h"
#include "Platform/Fake/FakePlatform.h"
#include "Platform/Linux/JsonUserDefaults.h"
#include "RowTitled.h"
#include "Settings/SettingsControls.h"

#include <QAbstractButton>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// Settings pages over the app model with fake services but the real settings
// store, so a click is checked in the settings file.
class SettingsFilePages : public ::testing::Test {
protected:
    // What the settings file holds under `key` once pending writes are done.
    QJsonValue stored(const QString &key)
    {
        defaults.synchronize();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QJsonValue::Undefined;
        return QJsonDocument::fromJson(file.readAll()).object().value(key);
    }

    // Lays out and shows `page` at the settings window's detail size; the
    // helpers below look into it. The test owns it, so it goes before
    // whatever the test made for it.
    template <typename Page>
    std::unique_ptr<Page> shown(Page *page)
    {
        m_page = page;
        page->resize(430, 712);
        page->show();
        QCoreApplication::processEvents();
        return std::unique_ptr<Page>(page);
    }

    // The switch of the row titled `title` (its accessible name).
    AccentSwitch *switchOf(const QString &title) const
    {
        for (AccentSwitch *toggle : m_page->findChildren<AccentSwitch *>()) {
            if (toggle->accessibleName() == title)
                return toggle;
        }
        ADD_FAILURE() << "no switch " << title.toStdString();
        return nullptr;
    }

    // The row of type `Row` that shows a label `title`.
    template <typename Row>
    Row *rowTitled(const QString &title) const
    {
        Row *row = ::rowTitled<Row>(*m_page, title);
        if (!row)
            ADD_FAILURE() << "no row " << title.toStdString();
        return row;
    }

    // Whether a label reading `text` is on screen.
    bool showsText(const QString &text) const
    {
        for (const QLabel *label : m_page->findChildren<QLabel *>()) {
            if (label->text() == text && label->isVisible())
                return true;
        }
        return false;
    }

    // The page's buttons titled `title`.
    QAbstractButton *buttonTitled(const QString &title) const
    {
        for (QAbstractButton *button : m_page->findChildren<QAbstractButton *>()) {
            if (button->text() == title)
                return button;
        }
        ADD_FAILURE() << "no button " << title.toStdString();
        return nullptr;
    }

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("quib/defaults.json"));
    FakePlatform platform;
    JsonUserDefaults defaults{platform.scheduler, path};
    AppModel model{Services{platform.scheduler, defaults, platform.notifications, platform.workspace, platform.soundPlayer, platform.audio,
                            platform.keyCapture, platform.windowServer, platform.screens, platform.eventStore, platform.location,
                            platform.credentials, platform.pointer, platform.backlights, platform.updates, platform.powerSources,
                            platform.bluetooth, platform.sessionLock, platform.loginItems}};
    Preferences &preferences = model.preferences;

private:
    QPointer<QWidget> m_page;
};
