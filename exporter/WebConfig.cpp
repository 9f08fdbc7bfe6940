#include "exporter/WebConfig.h"

#include "exporter/YamlSubset.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QStringList>

namespace {
// "$2y$", a cost from 04 to 31, "$", then 22 characters of salt and 31 of hash in bcrypt's base 64.
bool IsBcryptHash(const QString& text)
{
    static const QRegularExpression bcrypt(
        QStringLiteral(R"(^\$2[abxy]\$(0[4-9]|[12][0-9]|3[01])\$[./A-Za-z0-9]{53}$)"));
    return bcrypt.match(text).hasMatch();
}

// Reads a parsed web configuration, naming the file and the line of each fault.
class WebConfigReader
{
public:
    explicit WebConfigReader(const QString& path) : m_path(path), m_folder(QFileInfo(path).absoluteDir()) {}

    QString Read(const YamlNode& document, WebConfig& config) const
    {
        if (const QString bad = OnlyKeys(document, {"tls_server_config", "basic_auth_users"}); !bad.isEmpty())
            return bad;
        for (const auto& [key, section] : document.entries)
            if (const QString bad = key == QLatin1String("tls_server_config") ? ReadTls(section, config)
                                                                              : ReadUsers(section, config);
                !bad.isEmpty())
                return bad;
        return {};
    }

    QString Fault(int line, const QString& why) const
    {
        return QStringLiteral("%1:%2: %3").arg(m_path, QString::number(line), why);
    }

private:
    QString OnlyKeys(const YamlNode& mapping, const QStringList& known) const
    {
        for (const auto& [key, value] : mapping.entries)
            if (!known.contains(key))
                return Fault(value.line, QStringLiteral("unknown key \"%1\"; only %2 are read here")
                                             .arg(key, known.join(QStringLiteral(" and "))));
        return {};
    }

    // The file named under the key, in file; else the fault.
    QString FileEntry(const YamlNode& mapping, const QString& key, const YamlNode*& file) const
    {
        for (const auto& [name, value] : mapping.entries)
            if (name == key) {
                file = &value;
                return value.isMapping || value.scalar.isEmpty()
                           ? Fault(value.line, QStringLiteral("%1 needs a file name on its line").arg(key))
                           : QString();
            }
        return Fault(mapping.line, QStringLiteral("tls_server_config needs %1").arg(key));
    }

    QString ReadTls(const YamlNode& section, WebConfig& config) const
    {
        if (!section.isMapping)
            return Fault(section.line,
                         QStringLiteral("tls_server_config needs cert_file and key_file under it"));
        if (const QString bad = OnlyKeys(section, {"cert_file", "key_file"}); !bad.isEmpty())
            return bad;
        if (!QSslSocket::supportsSsl())
            return Fault(section.line, QStringLiteral("this system offers Qt no TLS library"));
        QSslConfiguration tls;
        tls.setPeerVerifyMode(QSslSocket::VerifyNone); // clients show no certificate of their own
        const YamlNode* certificate = nullptr;
        const YamlNode* key = nullptr;
        QString bad = FileEntry(section, QStringLiteral("cert_file"), certificate);
        if (bad.isEmpty())
            bad = FileEntry(section, QStringLiteral("key_file"), key);
        if (bad.isEmpty())
            bad = ReadCertificate(*certificate, tls);
        if (bad.isEmpty())
            bad = ReadKey(*key, tls);
        if (bad.isEmpty())
            config.tls = tls;
        return bad;
    }

    QString ReadCertificate(const YamlNode& file, QSslConfiguration& tls) const
    {
        QByteArray pem;
        if (const QString bad = ReadFile(file, QStringLiteral("certificate"), pem); !bad.isEmpty())
            return bad;
        const QList<QSslCertificate> chain = QSslCertificate::fromData(pem, QSsl::Pem);
        if (chain.isEmpty())
            return Fault(file.line, QStringLiteral("%1 holds no PEM certificate").arg(file.scalar));
        tls.setLocalCertificateChain(chain);
        return {};
    }

    QString ReadKey(const YamlNode& file, QSslConfiguration& tls) const
    {
        QByteArray pem;
        if (const QString bad = ReadFile(file, QStringLiteral("key"), pem); !bad.isEmpty())
            return bad;
        for (const QSsl::KeyAlgorithm algorithm : {QSsl::Rsa, QSsl::Ec, QSsl::Dsa}) {
            const QSslKey key(pem, algorithm, QSsl::Pem, QSsl::PrivateKey);
            if (!key.isNull()) {
                tls.setPrivateKey(key);
                return {};
            }
        }
        return Fault(file.line,
                     QStringLiteral("%1 holds no PEM private key (RSA, EC or DSA, without a passphrase)")
                         .arg(file.scalar));
    }

    QString ReadFile(const YamlNode& file, const QString& what, QByteArray& contents) const
    {
        QFile opened(m_folder.filePath(file.scalar));
        if (!opened.open(QIODevice::ReadOnly))
            return Fault(file.line, QStringLiteral("cannot read the %1 %2: %3")
                                        .arg(what, opened.fileName(), opened.errorString()));
        contents = opened.readAll();
        return {};
    }

    QString ReadUsers(const YamlNode& section, WebConfig& config) const
    {
        if (!section.isMapping) // with nothing under it, no user
            return section.scalar.isEmpty()
                       ? QString()
                       : Fault(section.line, QStringLiteral("basic_auth_users needs "
                                                            "\"USER: BCRYPT-HASH\" lines under it"));
        for (const auto& [user, hash] : section.entries) {
            if (user.contains(u':'))
                return Fault(hash.line, QStringLiteral("a user name cannot hold \":\""));
            if (hash.isMapping || !IsBcryptHash(hash.scalar))
                return Fault(hash.line,
                             QStringLiteral("the password of \"%1\" is not a bcrypt hash ($2y$10$ and 53 "
                                            "more characters); htpasswd -nBC 10 \"%1\" makes one")
                                 .arg(user));
            config.users[user.toUtf8()] = hash.scalar.toLatin1();
        }
        return {};
    }

    QString m_path;
    QDir m_folder;
};
} // namespace

QString LoadWebConfig(const QString& path, WebConfig& config)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read the web configuration %1: %2").arg(path, file.errorString());
    const WebConfigReader reader(path);
    YamlError error;
    const std::optional<YamlNode> document = ParseYamlSubset(QString::fromUtf8(file.readAll()), error);
    if (!document)
        return reader.Fault(error.line, error.why);
    config = {};
    return reader.Read(*document, config);
}
