#include "FuzzSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

QTemporaryDir &scratch()
{
    static QTemporaryDir folder;
    return folder;
}

} // namespace

// Called once by libFuzzer before the first input.
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Bad input is expected: its log lines would only slow the run down.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    const QString root = scratch().path();
    for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"}) {
        const QString folder = root + QLatin1Char('/') + QString::fromLatin1(name);
        QDir().mkpath(folder);
        qputenv(name, folder.toUtf8());
    }
    static QApplication application(*argc, *argv);
    return 0;
}

namespace Fuzz {

QByteArray bytes(const std::uint8_t *data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

QStringList strings(const std::uint8_t *data, std::size_t size)
{
    QStringList result;
    for (const QByteArray &part : bytes(data, size).split('\0'))
        result.append(QString::fromUtf8(part));
    return result;
}

QString scratchFolder()
{
    const QString folder = scratch().path() + QStringLiteral("/work");
    QDir().mkpath(folder);
    return folder;
}

void writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(contents);
}

} // namespace Fuzz
