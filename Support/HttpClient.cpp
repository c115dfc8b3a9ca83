#include "Support/HttpClient.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <algorithm>
#include <cmath>

const QString HttpClient::timedOut = QStringLiteral("The request timed out");

std::optional<QByteArray> HttpClient::Response::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

HttpClient::HttpClient()
    : m_manager(std::make_unique<QNetworkAccessManager>())
{
}

HttpClient::~HttpClient()
{
    cancelAll();
}

void HttpClient::get(const QUrl &url, const QList<Header> &headers, double timeoutSeconds, Completion completion)
{
    QNetworkRequest request(url);
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    if (std::isfinite(timeoutSeconds) && timeoutSeconds > 0)
        request.setTransferTimeout(static_cast<int>(std::min(timeoutSeconds, 86400.0) * 1000));
    QNetworkReply *reply = m_manager->get(request);
    m_inFlight.append(reply);
    QObject::connect(reply, &QNetworkReply::finished, reply, [this, reply, completion = std::move(completion)] {
        m_inFlight.removeOne(reply);
        reply->deleteLater();
        Response response;
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        response.status = status.isValid() ? status.toInt() : 0;
        response.headers = reply->rawHeaderPairs();
        // An aborted reply is closed; reading it only earns a warning.
        if (reply->isOpen())
            response.body = reply->readAll();
        // An HTTP error status is an answer, not a transport failure. Qt
        // ends a request that outlives its transfer time-out by cancelling
        // it; cancelAll() never lets a completion run, so a cancelled reply
        // here is one that timed out.
        if (reply->error() == QNetworkReply::OperationCanceledError || reply->error() == QNetworkReply::TimeoutError)
            response.error = timedOut;
        else if (reply->error() != QNetworkReply::NoError && response.status == 0)
            response.error = reply->errorString();
        completion(response);
    });
}

void HttpClient::cancelAll()
{
    const QList<QNetworkReply *> replies = std::exchange(m_inFlight, {});
    for (QNetworkReply *reply : replies) {
        reply->disconnect();
        reply->abort();
        reply->deleteLater();
    }
}
