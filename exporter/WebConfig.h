#pragma once

#include <QByteArray>
#include <QSslConfiguration>
#include <QString>
#include <map>
#include <optional>

// How serve is reached over a network, from a web configuration file in the
// format Prometheus exporters read:
//
//   tls_server_config:
//     cert_file: serve.crt      # relative to the file's folder, or absolute
//     key_file: serve.key
//   basic_auth_users:
//     prometheus: $2y$10$...    # a bcrypt hash
//
// Either section may be left out.
struct WebConfig
{
    std::optional<QSslConfiguration> tls;   // with the certificate chain and its key
    std::map<QByteArray, QByteArray> users; // user name (UTF-8): bcrypt hash
};

// Reads the file into config; an empty text when it is good, else "FILE:LINE: why" for the first
// fault: a malformed file, an unknown key, a certificate or key that cannot be read, a hash that is
// not bcrypt.
QString LoadWebConfig(const QString& path, WebConfig& config);
