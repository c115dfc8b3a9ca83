#include "LoopbackHttpServer.h"

#include <QTcpSocket>
#include <QTest>

QByteArray LoopbackHttpServer::Request::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

LoopbackHttpServer::LoopbackHttpServer()
{
    m_server.listen(QHostAddress::LocalHost);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

QUrl LoopbackHttpServer::url() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()));
}

void LoopbackHttpServer::read(QTcpSocket *socket)
{
    QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
    socket->setProperty("buffer", buffer);
    const qsizetype end = buffer.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    const QList<QByteArray> lines = buffer.left(end).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    Request request{requestLine.value(0), requestLine.value(1), {}};
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines.at(i).indexOf(':');
        if (colon > 0)
            request.headers.append({lines.at(i).left(colon).trimmed(), lines.at(i).mid(colon + 1).trimmed()});
    }
    requests.append(request);
    if (m_holding)
        m_held.append(socket);
    else
        answer(socket);
}

void LoopbackHttpServer::answer(QTcpSocket *socket)
{
    const Reply reply = m_replies.isEmpty() ? Reply{404, "not found", {}} : m_replies.takeFirst();
    QByteArray response = "HTTP/1.1 " + QByteArray::number(reply.status) + " Reply\r\n";
    response += "Content-Length: " + QByteArray::number(reply.body.size()) + "\r\nConnection: close\r\n";
    for (const auto &[name, value] : reply.headers)
        response += name + ": " + value + "\r\n";
    response += "\r\n" + reply.body;
    socket->write(response);
    socket->disconnectFromHost();
}

void LoopbackHttpServer::release()
{
    const QList<QTcpSocket *> held = std::exchange(m_held, {});
    for (QTcpSocket *socket : held) {
        if (socket->state() == QAbstractSocket::ConnectedState)
            answer(socket);
    }
}

bool LoopbackHttpServer::waitForRequests(int count, int timeoutMs) const
{
    return QTest::qWaitFor([&] { return requests.size() >= count; }, timeoutMs);
}
