#pragma once

#include <QByteArray>
#include <QList>
#include <QTcpServer>
#include <QUrl>

#include <utility>

class QTcpSocket;

// A small HTTP/1.1 server on 127.0.0.1 for tests of the app's web clients.
// It records each request and answers with the replies queued by the test,
// in order (404 when none is left). While holding, requests wait unanswered
// until release().
class LoopbackHttpServer : public QObject {
public:
    using Header = std::pair<QByteArray, QByteArray>;

    struct Request {
        QByteArray method;
        // Path and query as sent ("/v1/forecast?latitude=…").
        QByteArray target;
        QList<Header> headers;

        // The first header of that name (any case), or a null array.
        QByteArray header(const QByteArray &name) const;
    };

    struct Reply {
        int status = 200;
        QByteArray body;
        QList<Header> headers;
    };

    LoopbackHttpServer();

    // http://127.0.0.1:<port>
    QUrl url() const;

    void enqueue(const Reply &reply) { m_replies.append(reply); }
    void setHolding(bool holding) { m_holding = holding; }
    // Answers every held request.
    void release();
    // Waits, at most `timeoutMs`, until `count` requests have arrived.
    bool waitForRequests(int count, int timeoutMs = 5000) const;

    QList<Request> requests;

private:
    void read(QTcpSocket *socket);
    void answer(QTcpSocket *socket);

    QTcpServer m_server;
    QList<Reply> m_replies;
    QList<QTcpSocket *> m_held;
    bool m_holding = false;
};
