#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QNetworkAccessManager;
class QNetworkReply;

// The app's one way to make HTTP requests, on the main thread. Completions
// run on the main thread; a request still in flight when its client is
// destroyed is abandoned and its completion never runs.
class HttpClient {
public:
    using Header = std::pair<QByteArray, QByteArray>;

    struct Response {
        // 0 when there was no HTTP answer (connection refused, time-out).
        int status = 0;
        QList<Header> headers;
        QByteArray body;
        // Set when the transport failed; a 4xx or 5xx answer is no error here.
        std::optional<QString> error;

        // The first header of that name, compared without regard to case.
        std::optional<QByteArray> header(const QByteArray &name) const;
    };
    using Completion = std::function<void(const Response &)>;

    // The transport error of a request that took longer than its time-out.
    static const QString timedOut;

    HttpClient();
    ~HttpClient();
    HttpClient(const HttpClient &) = delete;
    HttpClient &operator=(const HttpClient &) = delete;

    // Sends a GET with the headers in the order given. A request that waits
    // longer than `timeoutSeconds` for data fails with the error `timedOut`.
    void get(const QUrl &url, const QList<Header> &headers, double timeoutSeconds, Completion completion);

    // Abandons every request in flight; their completions never run.
    void cancelAll();

private:
    std::unique_ptr<QNetworkAccessManager> m_manager;
    QList<QNetworkReply *> m_inFlight;
};
