#include "Platform/Linux/XdgLoginItems.h"

#include "Support/AtomicFile.h"

#include <QFile>
#include <QPointer>
#include <QStandardPaths>

#include <glib.h>

#include <memory>

namespace {

// `executable` as the Exec key's one argument: in double quotes, with the
// characters that the quotes do not protect escaped, then the backslashes
// escaped again as the key's string value needs, and `%` doubled so it is
// no field code.
QString execArgument(const QString &executable)
{
    QString quoted;
    for (const QChar c : executable) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
    quoted.replace(QStringLiteral("%"), QStringLiteral("%%"));
    return u'"' + quoted + u'"';
}

} // namespace

XdgLoginItems::XdgLoginItems(QString entryPath, QString executable)
    : m_entryPath(std::move(entryPath))
    , m_executable(std::move(executable))
{
    m_files.setMaxThreadCount(1);
}

XdgLoginItems::~XdgLoginItems()
{
    // A change under way finishes; its answer is dropped with the receiver.
    m_files.waitForDone();
}

QString XdgLoginItems::entryPath(const QString &applicationId)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart/") + applicationId
        + QStringLiteral(".desktop");
}

QByteArray XdgLoginItems::entryContents(const QString &executable)
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Quib\n"
                          "Exec=%1\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(execArgument(executable))
        .toUtf8();
}

bool XdgLoginItems::isEnabled(const QString &path)
{
    const std::unique_ptr<GKeyFile, decltype(&g_key_file_free)> file(g_key_file_new(), &g_key_file_free);
    if (!g_key_file_load_from_file(file.get(), QFile::encodeName(path).constData(), G_KEY_FILE_NONE, nullptr))
        return false;
    if (!g_key_file_has_group(file.get(), "Desktop Entry"))
        return false;
    // A missing or unreadable key leaves the entry shown.
    return !g_key_file_get_boolean(file.get(), "Desktop Entry", "Hidden", nullptr);
}

template <typename Result>
void XdgLoginItems::run(std::function<Result()> work, QObject *context, std::function<void(Result)> answer)
{
    // Made and read on the main thread only.
    auto deliver = [context = QPointer<QObject>(context), answer = std::move(answer)](Result result) {
        if (context)
            answer(std::move(result));
    };
    m_files.start([this, work = std::move(work), deliver = std::move(deliver)]() mutable {
        QMetaObject::invokeMethod(&m_receiver, [deliver = std::move(deliver), result = work()]() mutable { deliver(std::move(result)); },
                                  Qt::QueuedConnection);
    });
}

void XdgLoginItems::readStatus(QObject *context, std::function<void(bool)> answer)
{
    run<bool>([path = m_entryPath] { return isEnabled(path); }, context, std::move(answer));
}

void XdgLoginItems::setEnabled(bool on, QObject *context, std::function<void(Error)> answer)
{
    run<Error>(
        [on, path = m_entryPath, executable = m_executable]() -> Error {
            QString error;
            if (on) {
                if (!AtomicFile::write(path, entryContents(executable), &error))
                    return error;
                return std::nullopt;
            }
            QFile entry(path);
            if (entry.exists() && !entry.remove())
                return entry.errorString();
            return std::nullopt;
        },
        context, std::move(answer));
}
