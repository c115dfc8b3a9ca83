#include "Platform/Linux/GSettingsFocusWriter.h"

#include "Platform/FocusFiles.h"
#include "Support/AtomicFile.h"
#include "Support/Log.h"

#include <QDir>
#include <QFile>
#include <QThreadPool>

#include <gio/gio.h>

namespace {

constexpr auto schemaId = "org.gnome.desktop.notifications";
constexpr auto bannersKey = "show-banners";

bool hasBannersKey()
{
    GSettingsSchemaSource *source = g_settings_schema_source_get_default();
    GSettingsSchema *schema = source ? g_settings_schema_source_lookup(source, schemaId, TRUE) : nullptr;
    if (!schema)
        return false;
    const bool found = g_settings_schema_has_key(schema, bannersKey);
    g_settings_schema_unref(schema);
    return found;
}

} // namespace

struct GSettingsFocusWriter::Private {
    QString folder;
    // One thread, so the writes land in the order of the changes.
    QThreadPool writes;
    GSettings *settings = nullptr;
    gulong handler = 0;

    void write()
    {
        const bool doNotDisturb = !g_settings_get_boolean(settings, bannersKey);
        writes.start([folder = folder, doNotDisturb] {
            const QDir dir(folder);
            // The modes first, so that an active assertion always finds its
            // mode.
            const std::pair<QString, QByteArray> files[] = {
                {dir.filePath(QString::fromLatin1(FocusFiles::modeConfigurationsName)), FocusFiles::modeConfigurations()},
                {dir.filePath(QString::fromLatin1(FocusFiles::assertionsName)), FocusFiles::assertions(doNotDisturb)},
            };
            for (const auto &[path, contents] : files) {
                // An unchanged file is left alone: rewriting it would read as
                // a change of mode to whoever watches the folder.
                QFile current(path);
                if (current.open(QIODevice::ReadOnly) && current.readAll() == contents)
                    continue;
                QString error;
                if (!AtomicFile::write(path, contents, &error))
                    qCWarning(lcPlatform, "Quib: could not write the Focus file %s: %s", qPrintable(path), qPrintable(error));
            }
        });
    }

    static void changed(GSettings *, gchar *, gpointer self) { static_cast<Private *>(self)->write(); }
};

GSettingsFocusWriter::GSettingsFocusWriter(QString folder)
    : d(std::make_unique<Private>())
{
    d->folder = std::move(folder);
    d->writes.setMaxThreadCount(1);
    // The folder is there from the start, so the Focus monitor can watch it
    // at launch rather than at its next retry.
    if (!QDir().mkpath(d->folder))
        qCWarning(lcPlatform, "Quib: could not create the Focus folder %s", qPrintable(d->folder));
    if (!hasBannersKey()) {
        qCWarning(lcPlatform, "Quib: no GNOME notification settings (%s); the Focus state is not followed", schemaId);
        return;
    }
    d->settings = g_settings_new(schemaId);
    d->handler = g_signal_connect(d->settings, "changed::show-banners", G_CALLBACK(&Private::changed), d.get());
    d->write();
}

GSettingsFocusWriter::~GSettingsFocusWriter()
{
    if (d->settings) {
        g_signal_handler_disconnect(d->settings, d->handler);
        g_object_unref(d->settings);
    }
    d->writes.waitForDone();
}
