#include "TestCertificate.h"
#include "WaitUntil.h"
#include "comm/ModbusFrame.h"
#include "exporter/GuardedTcpServer.h"
#include "sim/RequestLog.h"
#include "sim/SimMeter.h"
#include "sim/SimServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QSslCertificate>
#include <QSslKey>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrlQuery>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace {
constexpr int kDeadlineMs = 20000;
constexpr int kQueryEveryMs = 200;
// "scrape-secret" at the lowest cost, as htpasswd -nBC 4 writes it.
constexpr char kHash[] = "$2y$04$OVVi6c5owMeQbxZXPfQ05.fiue46xNKA1xfoLtFC88hxhR5.LONmK";

// The body of a GET, or nothing when it fails or takes too long.
std::optional<QByteArray> Get(const QUrl& url)
{
    QNetworkAccessManager network;
    network.setProxy(QNetworkProxy::NoProxy);
    const std::unique_ptr<QNetworkReply> reply(network.get(QNetworkRequest(url)));
    if (!WaitUntil([&] { return reply->isFinished(); }, 5000) || reply->error() != QNetworkReply::NoError)
        return std::nullopt;
    return reply->readAll();
}

// A loopback port nobody listens on at the moment.
quint16 FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// What a request got back: its status (0 for none), its WWW-Authenticate header and its body.
struct Answer
{
    int status = 0;
    QByteArray challenge;
    QByteArray body;
};

Answer Ask(const QNetworkRequest& request, const QByteArray& method, const QByteArray& body = {})
{
    QNetworkAccessManager network;
    network.setProxy(QNetworkProxy::NoProxy);
    const std::unique_ptr<QNetworkReply> reply(network.sendCustomRequest(request, method, body));
    WaitUntil([&] { return reply->isFinished(); }, 5000);
    return {reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(),
            reply->rawHeader("WWW-Authenticate"), reply->readAll()};
}

// Two frozen meters on one line without wire time, at addresses 1 and 2, with
// serve reading both and serving on a free loopback port.
class ServeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        second.SetSlaveAddress(2);
        first.SetRegister(100, 23012); // Ua 230.12 V
        second.SetRegister(100, 22987);
        line.AddMeter(second);
        ASSERT_TRUE(line.Start()) << line.Error();
        serve.start(QStringLiteral(VEMO400_CLI),
                    QStringList{"serve", "--port", QString::fromStdString(line.SlavePath()), "--addresses",
                                "1,2", "--every", "0.2", "--listen", "127.0.0.1:0"} +
                        serveOptions);
        static const QRegularExpression serving(QStringLiteral("serving (https?://\\S+)"));
        QString said;
        ASSERT_TRUE(WaitUntil(
            [&] {
                said += QString::fromUtf8(serve.readAllStandardError());
                return serving.match(said).hasMatch();
            },
            kDeadlineMs))
            << said.toStdString();
        metrics = QUrl(serving.match(said).captured(1));
    }

    void TearDown() override
    {
        serve.terminate();
        serve.waitForFinished(5000);
    }

    // Waits until the exposition has the line; exposition then holds the latest one asked for.
    bool ShowsLine(const char* expected)
    {
        return WaitUntil(
            [&] {
                exposition = Get(metrics).value_or(QByteArray());
                return exposition.split('\n').contains(QByteArray(expected));
            },
            kDeadlineMs);
    }

    static LineTiming Immediate()
    {
        LineTiming timing;
        timing.enabled = false;
        return timing;
    }

    CSimMeter first;
    CSimMeter second;
    CSimServer line{first, Immediate()};
    QStringList serveOptions;
    QProcess serve;
    QUrl metrics;
    QByteArray exposition;
};

// serve reading the realtime pages every 2 s and the slow pages and the ratios every 20 s.
class UnhurriedServeTest : public ServeTest
{
protected:
    void SetUp() override
    {
        serveOptions = QStringList{"--every", "2"};
        ServeTest::SetUp();
    }
};

// Ia of the realtime block: 2.500 A on the CT's secondary, 50 A through the default 100/5 A CT, 100 A
// through a 200/5 A one.
constexpr int kIaRegister = RegisterMap::kRealtime + 11;
constexpr uint16_t kIaSecondary = 2500;

// serve over TLS with basic authentication, from a web configuration beside a self-signed certificate.
class SecuredServeTest : public ServeTest
{
protected:
    void SetUp() override
    {
        if (!MakeTestCertificate(folder.path()))
            GTEST_SKIP() << "openssl is not installed";
        QFile config(folder.filePath(QStringLiteral("web.yml")));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(QByteArray("tls_server_config:\n  cert_file: serve.crt\n  key_file: serve.key\n"
                                "basic_auth_users:\n  prometheus: ") +
                     kHash + '\n');
        config.close();
        serveOptions = QStringList{"--web-config", config.fileName()};
        ServeTest::SetUp();
    }

    // A request that trusts the test's certificate, with the password when one is given.
    QNetworkRequest Request(const QByteArray& password = {},
                            const QString& path = QStringLiteral("/metrics")) const
    {
        QNetworkRequest request(metrics.resolved(QUrl(path)));
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setCaCertificates(QSslCertificate::fromPath(folder.filePath(QStringLiteral("serve.crt"))));
        request.setSslConfiguration(tls);
        if (!password.isEmpty())
            request.setRawHeader("Authorization", "Basic " + ("prometheus:" + password).toBase64());
        return request;
    }

    QTemporaryDir folder;
};

// A Prometheus on the loopback address that scrapes serve every second.
class Prometheus
{
public:
    // scrapeSettings: more keys of the job, indented by four blanks.
    bool Start(const QString& program, const QUrl& target, const QString& scrapeSettings = {})
    {
        m_port = FreePort();
        QFile config(m_dir.filePath("prometheus.yml"));
        if (!config.open(QIODevice::WriteOnly))
            return false;
        config.write(QStringLiteral("global:\n  scrape_interval: 1s\n  evaluation_interval: 1s\n"
                                    "scrape_configs:\n  - job_name: vemo400\n%3    static_configs:\n"
                                    "      - targets: ['%1:%2']\n")
                         .arg(target.host())
                         .arg(target.port())
                         .arg(scrapeSettings)
                         .toUtf8());
        config.close();
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(program, {"--config.file=" + config.fileName(),
                                  "--storage.tsdb.path=" + m_dir.filePath("data"),
                                  QStringLiteral("--web.listen-address=127.0.0.1:%1").arg(m_port)});
        return m_process.waitForStarted();
    }

    ~Prometheus()
    {
        m_process.terminate();
        m_process.waitForFinished(10000);
    }

    // The instant vector of a query: each series' labels and value; nothing when the query fails.
    std::optional<QJsonArray> Query(const QString& expression)
    {
        QUrl url(QStringLiteral("http://127.0.0.1:%1/api/v1/query").arg(m_port));
        QUrlQuery query;
        query.addQueryItem(QStringLiteral("query"), expression);
        url.setQuery(query);
        const std::optional<QByteArray> body = Get(url);
        if (!body)
            return std::nullopt;
        const QJsonObject answer = QJsonDocument::fromJson(*body).object();
        if (answer.value("status").toString() != QLatin1String("success"))
            return std::nullopt;
        return answer.value("data").toObject().value("result").toArray();
    }

    // Whether the query's one series has the value, or (with none) that it has no series.
    bool Shows(const QString& expression, std::optional<double> value)
    {
        const std::optional<QJsonArray> result = Query(expression);
        if (!result)
            return false;
        if (!value)
            return result->isEmpty();
        return result->size() == 1 &&
               result->at(0).toObject().value("value").toArray().at(1).toString().toDouble() == *value;
    }

    // Asks until the query shows the value, at most every kQueryEveryMs, until the deadline.
    bool Eventually(const QString& expression, std::optional<double> value)
    {
        QElapsedTimer sinceAsked;
        return WaitUntil(
            [&] {
                if (sinceAsked.isValid() && sinceAsked.elapsed() < kQueryEveryMs)
                    return false;
                sinceAsked.start();
                return Shows(expression, value);
            },
            kDeadlineMs);
    }

    QString Output() { return QString::fromUtf8(m_process.readAll()); }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};
} // namespace

TEST_F(ServeTest, expositionPassesPromtoolsCheck)
{
    const QString promtool = QStandardPaths::findExecutable(QStringLiteral("promtool"));
    if (promtool.isEmpty())
        GTEST_SKIP() << "promtool is not installed";
    QByteArray text;
    ASSERT_TRUE(WaitUntil(
        [&] {
            text = Get(metrics).value_or(QByteArray());
            return text.contains("vemo400_frequency_hertz{meter=\"2\"}") &&
                   text.contains("vemo400_quadrant_active_energy_joules_total{meter=\"2\",quadrant=\"4\"}") &&
                   text.contains("vemo400_min_voltage_thd_ratio{meter=\"2\",phase=\"c\"}");
        },
        kDeadlineMs))
        << text.toStdString();
    QProcess check;
    check.setProcessChannelMode(QProcess::MergedChannels);
    check.start(promtool, {"check", "metrics"});
    check.write(text);
    check.closeWriteChannel();
    ASSERT_TRUE(check.waitForFinished(10000));
    EXPECT_EQ(check.exitCode(), 0) << check.readAll().toStdString();
    EXPECT_TRUE(check.readAll().isEmpty()) << "no lint remarks";
}

// The round trip of a monitoring installation; a meter taken off the line goes down and its values go.
TEST_F(ServeTest, prometheusScrapesTwoMetersAndSeesOneStopAnswering)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("prometheus"));
    if (program.isEmpty())
        GTEST_SKIP() << "prometheus is not installed";
    Prometheus prometheus;
    ASSERT_TRUE(prometheus.Start(program, metrics));

    EXPECT_TRUE(prometheus.Eventually(R"(vemo400_phase_voltage_volts{meter="1",phase="a"})", 230.12))
        << prometheus.Output().toStdString();
    EXPECT_TRUE(prometheus.Eventually(R"(vemo400_phase_voltage_volts{meter="2",phase="a"})", 229.87));
    EXPECT_TRUE(prometheus.Shows("sum(vemo400_up)", 2));

    line.RemoveMeter(second);
    EXPECT_TRUE(prometheus.Eventually(R"(vemo400_up{meter="2"})", 0));
    EXPECT_TRUE(prometheus.Eventually(R"(vemo400_phase_voltage_volts{meter="2"})", std::nullopt));
    EXPECT_TRUE(
        prometheus.Eventually(R"(vemo400_request_failures_total{meter="2",kind="no_reply"} > bool 0)", 1));
    EXPECT_TRUE(prometheus.Shows(R"(vemo400_up{meter="1"})", 1));
    EXPECT_TRUE(prometheus.Shows(R"(vemo400_phase_voltage_volts{meter="1",phase="a"})", 230.12));

    serve.terminate();
    ASSERT_TRUE(serve.waitForFinished(5000));
    EXPECT_EQ(serve.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(serve.exitCode(), 0) << "a SIGTERM stops serve gracefully";
}

// The exposition as any scraper reads it: base units, labels, and a silent meter down with its values gone.
TEST_F(ServeTest, expositionNamesEachValueAndDropsTheValuesOfASilentMeter)
{
    ASSERT_TRUE(ShowsLine(R"(vemo400_phase_voltage_volts{meter="2",phase="a"} 229.87)"))
        << exposition.toStdString();
    EXPECT_TRUE(exposition.contains("# TYPE vemo400_phase_voltage_volts gauge\n"));
    EXPECT_TRUE(exposition.contains("vemo400_phase_voltage_volts{meter=\"1\",phase=\"a\"} 230.12\n"));
    EXPECT_TRUE(exposition.contains("vemo400_up{meter=\"1\"} 1\n"));
    EXPECT_TRUE(exposition.contains("# TYPE vemo400_readings_total counter\n"));
    EXPECT_TRUE(exposition.contains("# TYPE vemo400_line_busy_ratio gauge\nvemo400_line_busy_ratio "));
    EXPECT_TRUE(exposition.contains("vemo400_realtime_age_seconds{meter=\"2\"} "));
    ASSERT_TRUE(ShowsLine(R"(vemo400_check_status{meter="2",check="ct-polarity",phase="b"} 0)"))
        << "the wiring check, with the slow pages: " << exposition.toStdString();

    line.RemoveMeter(second);
    ASSERT_TRUE(ShowsLine(R"(vemo400_up{meter="2"} 0)")) << exposition.toStdString();
    EXPECT_FALSE(exposition.contains("meter=\"2\",phase=")) << "a silent meter's values go with it";
    EXPECT_FALSE(exposition.contains("vemo400_check_status{meter=\"2\"")) << "and its checks";
    EXPECT_TRUE(exposition.contains("vemo400_phase_voltage_volts{meter=\"1\",phase=\"a\"} 230.12\n"));
    EXPECT_FALSE(exposition.contains("NaN"));
}

// A CT ratio set anew on the meter shows within a slow cycle, while most readings scale by the ratios
// kept from the meter instead of reading them first.
TEST_F(ServeTest, readsTheRatiosAgainWithTheSlowPagesRatherThanBeforeEveryReading)
{
    first.SetRegister(kIaRegister, kIaSecondary);
    ASSERT_TRUE(ShowsLine(R"(vemo400_current_amperes{meter="1",phase="a"} 50)")) << exposition.toStdString();
    first.SetRegister(RegisterMap::kCtPrimary, 200);
    ASSERT_TRUE(ShowsLine(R"(vemo400_current_amperes{meter="1",phase="a"} 100)")) << exposition.toStdString();

    int ratioReads = 0;
    int realtimeReads = 0;
    for (const RequestRecord& record : line.Log().Records()) {
        ratioReads += ReadsRatios(record) ? 1 : 0;
        realtimeReads += record.info.address == RegisterMap::kRealtime ? 1 : 0;
    }
    EXPECT_LE(ratioReads * 4, realtimeReads);
}

// A meter that stops answering may be set anew meanwhile: its ratios are read again before the
// first values it gives once it answers, long before the slow pages would read them.
TEST_F(UnhurriedServeTest, readsAMetersRatiosAgainOnceItAnswersAfterAFailure)
{
    second.SetRegister(kIaRegister, kIaSecondary);
    ASSERT_TRUE(ShowsLine(R"(vemo400_current_amperes{meter="2",phase="a"} 50)")) << exposition.toStdString();
    // Until the slow pages fall due again, every reading of the meter is of its realtime page.
    ASSERT_TRUE(ShowsLine(R"(vemo400_check_status{meter="2",check="ct-polarity",phase="b"} 0)"))
        << exposition.toStdString();
    line.RemoveMeter(second);
    ASSERT_TRUE(ShowsLine(R"(vemo400_up{meter="2"} 0)")) << exposition.toStdString();
    second.SetRegister(RegisterMap::kCtPrimary, 200);
    line.Log().Clear();
    line.AddMeter(second);
    ASSERT_TRUE(ShowsLine(R"(vemo400_up{meter="2"} 1)")) << exposition.toStdString();
    EXPECT_TRUE(exposition.contains(R"(vemo400_current_amperes{meter="2",phase="a"} 100)"))
        << exposition.toStdString();

    const std::vector<RequestRecord> requests = line.Log().Records();
    const auto answered = std::find_if(requests.begin(), requests.end(), [](const RequestRecord& record) {
        return record.info.slave == 2 && record.outcome == Outcome::Answered;
    });
    ASSERT_NE(answered, requests.end());
    EXPECT_TRUE(ReadsRatios(*answered)) << CRequestLog::Describe(*answered);
}

TEST_F(SecuredServeTest, prometheusScrapesOverTlsWithBasicAuth)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("prometheus"));
    if (program.isEmpty())
        GTEST_SKIP() << "prometheus is not installed";
    Prometheus prometheus;
    ASSERT_TRUE(prometheus.Start(program, metrics,
                                 QStringLiteral("    scheme: https\n    tls_config:\n      ca_file: %1\n"
                                                "    basic_auth:\n      username: prometheus\n"
                                                "      password: scrape-secret\n")
                                     .arg(folder.filePath(QStringLiteral("serve.crt")))));
    EXPECT_TRUE(prometheus.Eventually(R"(vemo400_phase_voltage_volts{meter="1",phase="a"})", 230.12))
        << prometheus.Output().toStdString();
}

// Refused before anything is served, each in its own way; serve answers on afterwards.
TEST_F(SecuredServeTest, refusesWithoutCredentialsWithABodyOrWithAnOverlongHead)
{
    const Answer anonymous = Ask(Request(), "GET");
    EXPECT_EQ(anonymous.status, 401);
    EXPECT_EQ(anonymous.challenge, R"(Basic realm="vemo400")");
    EXPECT_EQ(Ask(Request("wrong"), "GET").status, 401);
    EXPECT_EQ(Ask(Request({}, QStringLiteral("/elsewhere")), "GET").status, 401) << "no path is told apart";
    EXPECT_EQ(Ask(Request("scrape-secret"), "POST", "x").status, 413);
    QNetworkRequest overlong = Request("scrape-secret");
    overlong.setRawHeader("X-Padding", QByteArray(ConnectionLimits::kMaxHeadBytes, 'a'));
    EXPECT_EQ(Ask(overlong, "GET").status, 431);

    const Answer scraped = Ask(Request("scrape-secret"), "GET");
    EXPECT_EQ(scraped.status, 200);
    EXPECT_TRUE(scraped.body.contains("vemo400_up{meter=\"2\"}"));
}

// On a guarded server of its own with small limits, clients that connect and never begin their TLS
// handshake: one over the cap goes at once, the others after the idle time.
TEST(GuardedTcpServerTest, closesOneOverTheCapAtOnceAndSilentOnesAfterTheIdleTime)
{
    QTemporaryDir folder;
    if (!MakeTestCertificate(folder.path()))
        GTEST_SKIP() << "openssl is not installed";
    QSslConfiguration tls;
    tls.setLocalCertificateChain(QSslCertificate::fromPath(folder.filePath(QStringLiteral("serve.crt"))));
    QFile key(folder.filePath(QStringLiteral("serve.key")));
    ASSERT_TRUE(key.open(QIODevice::ReadOnly));
    tls.setPrivateKey(QSslKey(key.readAll(), QSsl::Ec));
    ConnectionLimits limits;
    limits.maxConnections = 2;
    limits.idle = std::chrono::seconds(2);
    GuardedTcpServer server(tls, limits);
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));

    QElapsedTimer since;
    since.start();
    QTcpSocket clients[3];
    for (QTcpSocket& client : clients) {
        client.connectToHost(QHostAddress::LocalHost, server.serverPort());
        ASSERT_TRUE(client.waitForConnected(5000));
    }
    ASSERT_TRUE(WaitUntil([&] { return clients[2].state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(clients[0].state(), QAbstractSocket::ConnectedState);
    EXPECT_EQ(clients[1].state(), QAbstractSocket::ConnectedState);
    ASSERT_TRUE(WaitUntil([&] {
        return clients[0].state() == QAbstractSocket::UnconnectedState &&
               clients[1].state() == QAbstractSocket::UnconnectedState;
    }));
    EXPECT_GE(since.elapsed(), 1900) << "not before the idle time, which a coarse timer may end 5 % early";
}
