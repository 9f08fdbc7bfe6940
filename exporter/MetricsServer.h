#pragma once

#include "exporter/BasicAuth.h"
#include "exporter/WebConfig.h"

#include <QHostAddress>
#include <QHttpServer>
#include <QString>

class MeterMetrics;

// Serves the meters' latest values over HTTP: GET /metrics in the Prometheus
// text exposition format, GET / a short page naming the meters. Other paths
// get 404, other methods 405. With a web configuration it speaks TLS and asks
// for basic authentication (401 without good credentials, whatever the path).
// Each connection is held to ConnectionLimits before the HTTP server reads it.
// It answers from the event loop, also while a reading waits for a meter.
class MetricsServer
{
public:
    // The line's name for the page at /, such as "COM1 (/dev/ttyS0)".
    MetricsServer(const MeterMetrics& metrics, const QString& line, const WebConfig& web);

    // Listens on the address and port (0: any free one); the port, or 0 when refused.
    quint16 Listen(const QHostAddress& address, quint16 port);

private:
    template <class Answer> auto Served(Answer answer);
    QHttpServerResponse Front() const;

    const MeterMetrics& m_metrics;
    QString m_line;
    std::optional<QSslConfiguration> m_tls;
    BasicAuth m_auth;
    QHttpServer m_server;
};
