#pragma once

#include <QString>

#include <memory>

// Writes the desktop's do-not-disturb switch (GNOME's
// "org.gnome.desktop.notifications" key "show-banners": banners off means
// do not disturb) as the Focus files (FocusFiles) in `folder`, at once and
// after each change. The folder is made at once; the files are replaced
// atomically on a thread of their own, in the order of the changes, and only
// when their contents change. Without that settings schema nothing is
// written and one warning is logged.
class GSettingsFocusWriter {
public:
    explicit GSettingsFocusWriter(QString folder);
    ~GSettingsFocusWriter();
    GSettingsFocusWriter(const GSettingsFocusWriter &) = delete;
    GSettingsFocusWriter &operator=(const GSettingsFocusWriter &) = delete;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
