#include "exporter/MetricsServer.h"

#include "exporter/GuardedTcpServer.h"
#include "exporter/MeterMetrics.h"

#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QStringList>
#include <memory>

namespace {
using Status = QHttpServerResponse::StatusCode;

QHttpServerResponse Unauthorized()
{
    QHttpServerResponse refused(QByteArrayLiteral("text/plain"), "credentials needed\n",
                                Status::Unauthorized);
    refused.setHeader("WWW-Authenticate", R"(Basic realm="vemo400")");
    return refused;
}

bool Authorized(BasicAuth& auth, const QHttpServerRequest& request)
{
    return auth.Allows(request.value("authorization"));
}
} // namespace

// Credentials come first; then only GET is served, any other method on a served path is refused as such.
template <class Answer> auto MetricsServer::Served(Answer answer)
{
    return [this, answer](const QHttpServerRequest& request) {
        if (!Authorized(m_auth, request))
            return Unauthorized();
        if (request.method() != QHttpServerRequest::Method::Get) {
            QHttpServerResponse refused(QByteArrayLiteral("text/plain"), "only GET\n",
                                        Status::MethodNotAllowed);
            refused.setHeader("Allow", "GET");
            return refused;
        }
        return answer();
    };
}

MetricsServer::MetricsServer(const MeterMetrics& metrics, const QString& line, const WebConfig& web)
    : m_metrics(metrics), m_line(line), m_tls(web.tls), m_auth(web.users)
{
    m_server.route("/metrics", Served([this] {
                       return QHttpServerResponse(
                           QByteArrayLiteral("text/plain; version=0.0.4; charset=utf-8"),
                           m_metrics.Exposition());
                   }));
    m_server.route("/", Served([this] { return Front(); }));
    m_server.setMissingHandler([this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
        (Authorized(m_auth, request) ? QHttpServerResponse(Status::NotFound) : Unauthorized())
            .write(std::move(responder));
    });
}

quint16 MetricsServer::Listen(const QHostAddress& address, quint16 port)
{
    auto server = std::make_unique<GuardedTcpServer>(m_tls, ConnectionLimits{});
    if (!server->listen(address, port))
        return 0;
    const quint16 listening = server->serverPort();
    m_server.bind(server.release()); // which takes it as a child
    return listening;
}

QHttpServerResponse MetricsServer::Front() const
{
    QStringList meters;
    for (const MeterState& meter : m_metrics.Meters())
        meters << QStringLiteral("<li>address %1: %2</li>")
                      .arg(meter.address)
                      .arg(meter.up ? QStringLiteral("answering") : QStringLiteral("not answering"));
    const QString page = QStringLiteral("<!DOCTYPE html>\n<html><head><title>vemo400-cli serve</title></head>"
                                        "<body><h1>VEMO400 meters on %1</h1><ul>%2</ul>"
                                        "<p><a href=\"/metrics\">Metrics</a></p></body></html>\n")
                             .arg(m_line.toHtmlEscaped(), meters.join(QString()));
    return QHttpServerResponse(QByteArrayLiteral("text/html; charset=utf-8"), page.toUtf8());
}
