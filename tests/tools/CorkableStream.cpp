// A client of the sound server with one playback stream of silence that
// corks and uncorks on command, one command a line on its input ("cork",
// "uncork"); prints "ready" once the stream plays and "ok" after the server
// has done each command. Ends when its input closes.

#include "InputLines.h"

#include <QCoreApplication>

#include <pulse/context.h>
#include <pulse/glib-mainloop.h>
#include <pulse/stream.h>

#include <cstdio>
#include <cstring>

namespace {

void print(const char *line)
{
    std::printf("%s\n", line);
    std::fflush(stdout);
}

void writeSilence(pa_stream *stream, size_t bytes, void *)
{
    void *data = nullptr;
    if (pa_stream_begin_write(stream, &data, &bytes) == 0 && data) {
        memset(data, 0, bytes);
        pa_stream_write(stream, data, bytes, nullptr, 0, PA_SEEK_RELATIVE);
    }
}

void onContext(pa_context *context, void *userdata)
{
    auto **stream = static_cast<pa_stream **>(userdata);
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED) {
        QCoreApplication::exit(1);
    } else if (state == PA_CONTEXT_READY) {
        const pa_sample_spec spec{PA_SAMPLE_S16LE, 44100, 2};
        *stream = pa_stream_new(context, "silence", &spec, nullptr);
        pa_stream_set_write_callback(*stream, &writeSilence, nullptr);
        pa_stream_set_state_callback(*stream, [](pa_stream *stream, void *) {
            if (pa_stream_get_state(stream) == PA_STREAM_READY)
                print("ready");
        }, nullptr);
        pa_stream_connect_playback(*stream, nullptr, nullptr, PA_STREAM_NOFLAGS, nullptr, nullptr);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    pa_glib_mainloop *mainloop = pa_glib_mainloop_new(nullptr);
    pa_context *context = pa_context_new(pa_glib_mainloop_get_api(mainloop), "corkable-stream");
    pa_stream *stream = nullptr;
    pa_context_set_state_callback(context, &onContext, &stream);
    pa_context_connect(context, nullptr, PA_CONTEXT_NOFLAGS, nullptr);

    const auto input = readInputLines([&stream](const QByteArray &line) {
        const QByteArray command = line.trimmed();
        if (stream && (command == "cork" || command == "uncork")) {
            pa_operation *operation = pa_stream_cork(stream, command == "cork", [](pa_stream *, int, void *) { print("ok"); }, nullptr);
            if (operation)
                pa_operation_unref(operation);
        }
    });
    const int status = application.exec();
    if (stream)
        pa_stream_disconnect(stream);
    pa_context_disconnect(context);
    pa_context_unref(context);
    pa_glib_mainloop_free(mainloop);
    return status;
}
