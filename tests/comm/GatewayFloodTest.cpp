// A gateway that floods the line with frames answering no request of ours, between the
// requests and (Modbus TCP) ahead of each reply: every read still gets its reply, what the
// line holds stays within its bounds, and every flooded byte is noted as stray.

#include "FrameBytes.h"
#include "WaitUntil.h"
#include "comm/GatewayLine.h"
#include "comm/LineObserver.h"
#include "comm/MbapFrame.h"
#include "comm/Transaction.h"
#include "sim/SimGateway.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

namespace {
constexpr int kReads = 8;
// Flooded after each reply: far more than the line may hold.
constexpr qint64 kFloodPerGap = 2 * 1024 * 1024;
// Frames of other transactions ahead of each Modbus TCP reply.
constexpr qint64 kForeignAhead = 2000;
// The socket's read buffer, a frame not yet whole and one reply.
constexpr std::size_t kMostHeld = 65 * 1024;

// Answers every read (of registers 100 and 101) with 100 and 101, in the test's thread, and
// floods frames that answer nothing, written only as the socket drains so that its own
// buffer stays small. Modbus TCP's foreign frames are the same reply in another
// transaction; RTU's come from another slave.
class FloodingGateway
{
public:
    explicit FloodingGateway(GatewayMode mode) : m_modbusTcp(mode == GatewayMode::ModbusTcp)
    {
        const std::vector<uint8_t> foreign =
            WithCrc(Bytes(m_modbusTcp ? "01 03 04 0064 0065" : "09 03 04 0064 0065"));
        m_foreign = m_modbusTcp ? Mbap::FromRtu(0x8000, foreign.data(), foreign.size()) : foreign;
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            m_client = m_server.nextPendingConnection();
            QObject::connect(m_client, &QTcpSocket::readyRead, [this] { Answer(); });
            QObject::connect(m_client, &QTcpSocket::bytesWritten, [this] { Flood(kFloodPerGap / 64); });
        });
    }

    QString Url() const
    {
        return QStringLiteral("%1://127.0.0.1:%2")
            .arg(m_modbusTcp ? "tcp" : "rtu-tcp")
            .arg(m_server.serverPort());
    }
    qint64 Flooded() const { return m_flooded; }
    bool FloodSent() const { return m_owed <= 0 && m_client->bytesToWrite() == 0; }

private:
    void Write(const std::vector<uint8_t>& bytes)
    {
        m_client->write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }

    void Answer()
    {
        const QByteArray request = m_client->readAll();
        std::vector<uint8_t> reply = WithCrc(Bytes("01 03 04 0064 0065"));
        if (m_modbusTcp) {
            m_owed = kForeignAhead * static_cast<qint64>(m_foreign.size());
            Flood(m_owed);
            const auto* header = reinterpret_cast<const uint8_t*>(request.constData());
            const uint16_t transaction =
                Mbap::Take(header, static_cast<std::size_t>(request.size())).transaction;
            reply = Mbap::FromRtu(transaction, reply.data(), reply.size());
        }
        Write(reply);
        m_owed = kFloodPerGap;
    }

    void Flood(qint64 most)
    {
        std::vector<uint8_t> frames;
        while (m_owed > 0 && static_cast<qint64>(frames.size()) < most && m_client->bytesToWrite() < most) {
            frames.insert(frames.end(), m_foreign.begin(), m_foreign.end());
            m_owed -= static_cast<qint64>(m_foreign.size());
        }
        Write(frames);
        m_flooded += static_cast<qint64>(frames.size());
    }

    bool m_modbusTcp;
    std::vector<uint8_t> m_foreign;
    QTcpServer m_server;
    QTcpSocket* m_client = nullptr;
    qint64 m_owed = 0;
    qint64 m_flooded = 0;
};

class GatewayFloodTest : public ::testing::TestWithParam<GatewayMode>
{
protected:
    void SetUp() override
    {
        SlaveId = 1;
        SetGatewayAllowanceMs(0);
        SetLineObserver([this](const LineEvent& event) {
            strayEvents += event.kind == LineEvent::Stray;
            strayNoted += event.strayBytes;
        });
        ASSERT_TRUE(OpenLine(gateway.Url().toUtf8().constData(), 9600, 0));
        line = dynamic_cast<CGatewayLine*>(&Line());
        ASSERT_NE(line, nullptr);
    }
    void TearDown() override
    {
        SetLineObserver(nullptr);
        CloseLine();
        SetGatewayAllowanceMs(-1);
    }

    // Notes the most the line held whenever it is asked.
    bool Held(bool done)
    {
        mostHeld = std::max(mostHeld, line->HeldBytes());
        return done;
    }

    FloodingGateway gateway{GetParam()};
    CGatewayLine* line = nullptr;
    std::size_t mostHeld = 0;
    int strayEvents = 0;
    int64_t strayNoted = 0;
};
} // namespace

TEST_P(GatewayFloodTest, everyReadGetsItsReplyAndTheLineHoldsNoMoreThanItsBoundsWhileTheGatewayFloods)
{
    // RTU over TCP cannot tell a reply from bytes still on their way, so there the flood ends
    // before the next request; a Modbus TCP flood runs on into it, frames cut at the request.
    const bool runsOn = GetParam() == GatewayMode::ModbusTcp;
    const auto allTaken = [&] {
        return Held(gateway.FloodSent() && line->StrayBytes() == gateway.Flooded());
    };
    for (int read = 0; read < kReads; ++read) {
        RegisterBlock[1] = 0;
        EXPECT_TRUE(Modbus::ReadRegisters(100, 2, 500, 250)) << "read " << read;
        EXPECT_EQ(RegisterBlock[1], 101);
        // The line takes the flood while it waits for nothing, not only at the next request.
        const int64_t half = line->StrayBytes() + kFloodPerGap / 2;
        ASSERT_TRUE(WaitUntil([&] { return runsOn ? Held(line->StrayBytes() >= half) : allTaken(); }))
            << line->StrayBytes() << " of " << gateway.Flooded() << " taken";
    }
    ASSERT_TRUE(WaitUntil(allTaken));
    EXPECT_GE(gateway.Flooded(), kReads * kFloodPerGap / 2);
    EXPECT_LE(mostHeld, kMostHeld);
    CloseLine();
    EXPECT_EQ(strayNoted, gateway.Flooded());
    EXPECT_LE(strayEvents, kReads) << "one event per run of stray bytes between two requests";
}

INSTANTIATE_TEST_SUITE_P(BothKinds, GatewayFloodTest,
                         ::testing::Values(GatewayMode::ModbusTcp, GatewayMode::RtuOverTcp),
                         [](const auto& info) {
                             return info.param == GatewayMode::ModbusTcp ? "ModbusTcp" : "RtuOverTcp";
                         });
