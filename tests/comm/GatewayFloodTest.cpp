// A gateway that floods the line with frames answering no request of ours, between the
// requests and (Modbus TCP) ahead of each reply: every read still gets its reply, what the
// line holds stays within its bounds, and every flooded byte is noted as stray.

#include "FrameBytes.h"
#include "WaitUntil.h"
#include "comm/GatewayLine.h"
#include "comm/LineObserver.h"
#include "comm/MbapFrame.h"
#include "comm/ModbusRtu.h"
#include "comm/Transaction.h"
#include "sim/SimGateway.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <memory>

namespace {
constexpr int kFirst = 100;
constexpr int kCount = 4;
// Flooded after each reply; far more than the line may hold.
constexpr qint64 kFloodPerGap = 2 * 1024 * 1024;
constexpr int kReads = 8;
// Frames of other transactions ahead of each Modbus TCP reply.
constexpr int kForeignAhead = 2000;
// The socket's read buffer, a frame not yet whole and one reply.
constexpr std::size_t kMostHeld = 65 * 1024;
constexpr qint64 kBatch = 32 * 1024;

// Serves reads of kCount registers holding their own addresses, in the test's thread, with
// foreign frames around each reply, topped up only as the socket drains so that its own
// buffer stays small.
class FloodingGateway
{
public:
    explicit FloodingGateway(GatewayMode mode) : m_mode(mode)
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            m_client = m_server.nextPendingConnection();
            QObject::connect(m_client, &QTcpSocket::readyRead, [this] { Answer(); });
            QObject::connect(m_client, &QTcpSocket::bytesWritten, [this] { TopUp(); });
        });
    }

    QString Url() const
    {
        return QStringLiteral("%1://127.0.0.1:%2")
            .arg(m_mode == GatewayMode::ModbusTcp ? "tcp" : "rtu-tcp")
            .arg(m_server.serverPort());
    }
    qint64 Flooded() const { return m_flooded; }
    bool FloodSent() const { return m_owed <= 0 && m_client->bytesToWrite() == 0; }
    std::function<void()> sampled;

private:
    std::vector<uint8_t> Reply(uint8_t unit) const
    {
        std::vector<uint8_t> reply{unit, 3, 2 * kCount};
        for (int address = kFirst; address < kFirst + kCount; ++address)
            reply.insert(reply.end(), {static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)});
        return WithCrc(reply);
    }

    // Modbus TCP: another transaction's reply; RTU: a reply of another slave.
    std::vector<uint8_t> Foreign() const
    {
        const std::vector<uint8_t> other = Reply(m_mode == GatewayMode::ModbusTcp ? 1 : 9);
        if (m_mode == GatewayMode::RtuOverTcp)
            return other;
        return Mbap::FromRtu(static_cast<uint16_t>(m_transaction + 0x8000), other.data(), other.size());
    }

    void Send(const std::vector<uint8_t>& bytes)
    {
        m_client->write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    }

    void SendForeign(qint64 bytes)
    {
        const std::vector<uint8_t> frame = Foreign();
        std::vector<uint8_t> batch;
        while (static_cast<qint64>(batch.size()) < bytes)
            batch.insert(batch.end(), frame.begin(), frame.end());
        Send(batch);
        m_flooded += static_cast<qint64>(batch.size());
    }

    void Answer()
    {
        const QByteArray bytes = m_client->readAll();
        if (bytes.size() < 8)
            return;
        const auto* request = reinterpret_cast<const uint8_t*>(bytes.constData());
        std::vector<uint8_t> reply =
            Reply(request[m_mode == GatewayMode::ModbusTcp ? Mbap::kHeaderLength - 1 : 0]);
        if (m_mode == GatewayMode::ModbusTcp) {
            m_transaction = static_cast<uint16_t>(request[0] << 8 | request[1]);
            SendForeign(kForeignAhead * static_cast<qint64>(Foreign().size()));
            reply = Mbap::FromRtu(m_transaction, reply.data(), reply.size());
        }
        Send(reply);
        m_owed = kFloodPerGap;
        TopUp();
    }

    void TopUp()
    {
        if (sampled)
            sampled();
        if (m_owed <= 0 || m_client->bytesToWrite() >= kBatch)
            return;
        const qint64 before = m_flooded;
        SendForeign(std::min(m_owed, kBatch));
        m_owed -= m_flooded - before;
    }

    GatewayMode m_mode;
    QTcpServer m_server;
    QTcpSocket* m_client = nullptr;
    uint16_t m_transaction = 0;
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
            if (event.kind == LineEvent::Stray) {
                ++strayEvents;
                strayNoted += event.strayBytes;
            }
        });
        ASSERT_TRUE(OpenLine(gateway.Url().toUtf8().constData(), 9600, 0));
        line = dynamic_cast<CGatewayLine*>(&Line());
        ASSERT_NE(line, nullptr);
        gateway.sampled = [this] { mostHeld = std::max(mostHeld, line->HeldBytes()); };
    }
    void TearDown() override
    {
        SetLineObserver(nullptr);
        CloseLine();
        SetGatewayAllowanceMs(-1);
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
    const auto allTaken = [&] { return gateway.FloodSent() && line->StrayBytes() == gateway.Flooded(); };
    for (int read = 0; read < kReads; ++read) {
        RegisterBlock[0] = 0;
        EXPECT_TRUE(Modbus::ReadRegisters(kFirst, kCount, 500, 250)) << "read " << read;
        EXPECT_EQ(RegisterBlock[0], kFirst);
        // The line takes the flood while it waits for nothing, not only at the next request.
        const int64_t half = line->StrayBytes() + kFloodPerGap / 2;
        ASSERT_TRUE(WaitUntil([&] { return runsOn ? line->StrayBytes() >= half : allTaken(); }))
            << line->StrayBytes() << " of " << gateway.Flooded() << " taken";
        mostHeld = std::max(mostHeld, line->HeldBytes());
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
