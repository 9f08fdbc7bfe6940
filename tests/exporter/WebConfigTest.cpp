#include "exporter/WebConfig.h"
#include "TestCertificate.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslKey>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// "scrape-secret" at the lowest cost, as htpasswd -nBC 4 writes it.
constexpr char kHash[] = "$2y$04$OVVi6c5owMeQbxZXPfQ05.fiue46xNKA1xfoLtFC88hxhR5.LONmK";

// A web configuration written beside a certificate and its key.
class WebConfigTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!MakeTestCertificate(folder.path()))
            GTEST_SKIP() << "openssl is not installed";
    }

    QString Load(const QByteArray& text, WebConfig& config)
    {
        QFile file(folder.filePath(QStringLiteral("web.yml")));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();
        return LoadWebConfig(file.fileName(), config);
    }

    QTemporaryDir folder;
};
} // namespace

TEST_F(WebConfigTest, readsCertificateKeyAndUsersThroughQuotesAndComments)
{
    const QByteArray text = "# serve on the plant network\n"
                            "tls_server_config:\n"
                            "  cert_file: serve.crt   # beside this file\n"
                            "  key_file: \"" +
                            folder.filePath(QStringLiteral("serve.key")).toUtf8() +
                            "\"\n"
                            "\n"
                            "basic_auth_users:\n"
                            "  prometheus: '" +
                            kHash +
                            "'\n"
                            "  \"grafana agent\": " +
                            kHash + " # a comment\n";
    WebConfig config;
    ASSERT_EQ(Load(text, config), QString());
    ASSERT_TRUE(config.tls);
    EXPECT_EQ(config.tls->localCertificate(),
              QSslCertificate::fromPath(folder.filePath(QStringLiteral("serve.crt"))).value(0));
    EXPECT_EQ(config.tls->privateKey().algorithm(), QSsl::Ec);
    EXPECT_EQ(config.users,
              (std::map<QByteArray, QByteArray>{{"prometheus", kHash}, {"grafana agent", kHash}}));

    ASSERT_EQ(Load("# neither section: plain HTTP, no credentials\n", config), QString());
    EXPECT_FALSE(config.tls);
    EXPECT_TRUE(config.users.empty());
}

TEST_F(WebConfigTest, refusesEachFaultNamingItsLine)
{
    struct Fault
    {
        QByteArray text;
        int line;
        const char* says;
    };
    const QByteArray tls = "tls_server_config:\n  cert_file: serve.crt\n";
    const Fault faults[] = {
        {tls + "  key_file: serve.key\n  client_auth_type: RequireAndVerifyClientCert\n", 4, "unknown key"},
        {"http_server_config:\n  http2: true\n", 1, "unknown key"},
        {tls, 1, "needs key_file"},
        {"tls_server_config:\n  cert_file: gone.crt\n  key_file: serve.key\n", 2,
         "cannot read the certificate"},
        {tls + "  key_file: serve.crt\n", 3, "no PEM private key"},
        {"basic_auth_users:\n  alice: secret\n", 2, "not a bcrypt hash"},
        {"basic_auth_users:\n  alice: $2y$10$short\n", 2, "not a bcrypt hash"},
        {"basic_auth_users:\n  a:b: x\n", 2, "cannot hold"},
        {"basic_auth_users:\n  alice: 'x\n", 2, "not closed"},
        {"basic_auth_users:\n  alice: \"\\q\"\n", 2, "not an escape"},
        {"basic_auth_users:\n\talice: x\n", 2, "tab"},
        {tls + "    key_file: serve.key\n", 3, "does not line up"},
        {"basic_auth_users:\n  alice: x\n# again\n  alice: y\n", 4, "given twice, first on line 2"},
        {"basic_auth_users: {alice: x}\n", 1, "flow collections"},
        {"basic_auth_users:\n  - alice\n", 2, "lists"},
        {"tls_server_config\n", 1, "expected"},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.text.toStdString());
        WebConfig config;
        const QString why = Load(fault.text, config);
        EXPECT_TRUE(why.contains(QStringLiteral("web.yml:%1: ").arg(fault.line))) << why.toStdString();
        EXPECT_TRUE(why.contains(QLatin1String(fault.says))) << why.toStdString();
    }
}
