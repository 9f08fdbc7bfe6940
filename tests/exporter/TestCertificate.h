#pragma once

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

// Makes serve.crt, a self-signed certificate for 127.0.0.1, and its key serve.key in the folder with
// the openssl command line; false when it cannot (openssl is not installed).
inline bool MakeTestCertificate(const QString& folder)
{
    const QString openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    if (openssl.isEmpty())
        return false;
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(openssl, {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                            "-nodes", "-keyout", "serve.key", "-out", "serve.crt", "-days", "2", "-subj",
                            "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"});
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}
