#include "app/LineMonitorWindow.h"

#include "framework/DialogColours.h"
#include "framework/SaveAs.h"

#include <QDateTime>
#include <QFile>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {
constexpr int kFlushMs = 200;
constexpr int kVerdictWidth = 34;

QString TimeOfDay(int64_t msSinceEpoch)
{
    return QDateTime::fromMSecsSinceEpoch(msSinceEpoch).toString(QStringLiteral("HH:mm:ss.zzz"));
}

QString Hex(const QByteArray& bytes)
{
    return bytes.isEmpty() ? QStringLiteral("(nothing)") : QString::fromLatin1(bytes.toHex(' '));
}

QString VerdictText(const ExchangeVerdict& verdict)
{
    if (verdict.kind == ExchangeVerdict::Exception)
        return QStringLiteral("exception %1: %2")
            .arg(verdict.exceptionCode)
            .arg(QString::fromLatin1(ExceptionMeaning(verdict.exceptionCode)));
    return QString::fromLatin1(VerdictName(verdict.kind));
}

// time, direction, reply time, verdict, bytes: the columns line up in a fixed font.
QString Line(int64_t atMs, const char* direction, const QString& replyTime, const QString& verdict,
             const QString& bytes)
{
    return QStringLiteral("%1  %2  %3  %4  %5")
        .arg(TimeOfDay(atMs), QString::fromLatin1(direction), replyTime.rightJustified(7),
             verdict.leftJustified(kVerdictWidth), bytes);
}

QByteArray Copy(std::span<const uint8_t> bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

const char* const kCounterCaptions[ExchangeVerdict::KindCount] = {
    "Answered", "Exceptions", "Bad CRC", "Short", "Foreign", "Echoes", "No reply", "Not sent",
};
} // namespace

CLineMonitorWindow::CLineMonitorWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(QStringLiteral("Line monitor"));
    ApplyDialogColours(*this);
    BuildLayout();
    // Fits a 1366 × 768 screen beside the main window's own size.
    resize(960, 560);
    m_flushTimer.setInterval(kFlushMs);
    connect(&m_flushTimer, &QTimer::timeout, this, [this] { Flush(); });
}

CLineMonitorWindow::~CLineMonitorWindow()
{
    SetLineObserver(nullptr);
}

void CLineMonitorWindow::BuildLayout()
{
    m_text = new QPlainTextEdit;
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setMaximumBlockCount(kHistoryLines);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    m_pause = new QPushButton(QStringLiteral("&Pause"));
    m_pause->setCheckable(true);
    auto* clear = new QPushButton(QStringLiteral("&Clear"));
    auto* save = new QPushButton(QStringLiteral("&Save as text..."));
    connect(m_pause, &QPushButton::toggled, this, [this](bool paused) { SetPaused(paused); });
    connect(clear, &QPushButton::clicked, this, [this] { Clear(); });
    connect(save, &QPushButton::clicked, this, [this] {
        SaveAs(this, QStringLiteral("Save the line as text"), QStringLiteral("line.txt"),
               QStringLiteral("Text files (*.txt)"),
               [this](const QString& path, QString&) { return SaveText(path); });
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_pause);
    buttons->addWidget(clear);
    buttons->addWidget(save);
    buttons->addStretch();
    buttons->addWidget(new QLabel(QStringLiteral("Keeps the last %1 lines").arg(kHistoryLines)));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildCounters());
    layout->addLayout(buttons);
    layout->addWidget(m_text, 1);
}

QWidget* CLineMonitorWindow::BuildCounters()
{
    auto* box = new QWidget;
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    int cell = 0;
    const auto add = [&](const char* caption) {
        auto* value = new QLabel;
        value->setMinimumWidth(60);
        grid->addWidget(new QLabel(QString::fromLatin1(caption)), cell / 6, 2 * (cell % 6));
        grid->addWidget(value, cell / 6, 2 * (cell % 6) + 1);
        ++cell;
        return value;
    };
    m_requestsLabel = add("Requests");
    for (int kind = 0; kind < ExchangeVerdict::KindCount; ++kind)
        m_countLabels[kind] = add(kCounterCaptions[kind]);
    m_meanLabel = add("Mean reply");
    m_longestLabel = add("Longest reply");
    ShowCounters();
    return box;
}

void CLineMonitorWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    Clear();
    SetLineObserver([this](const LineEvent& line) { Note(line); });
    m_flushTimer.start();
}

void CLineMonitorWindow::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (event->spontaneous())
        return;
    SetLineObserver(nullptr);
    m_flushTimer.stop();
}

// Runs in the middle of an exchange: counts, copies the bytes and returns.
void CLineMonitorWindow::Note(const LineEvent& event)
{
    Record record{event.kind,
                  {ExchangeVerdict::NotSent, 0},
                  Copy(event.request),
                  Copy(event.reply),
                  event.sentAtMs,
                  event.replyMs,
                  QString()};
    switch (event.kind) {
    case LineEvent::Exchange:
        record.verdict = JudgeReply(event.request.data(), static_cast<int>(event.request.size()),
                                    event.reply.data(), static_cast<int>(event.reply.size()));
        m_counters.CountExchange(record.verdict.kind, event.replyMs);
        break;
    case LineEvent::Echo:
        record.verdict.kind = ExchangeVerdict::Echo;
        m_counters.CountOther(ExchangeVerdict::Echo);
        break;
    case LineEvent::NotSent:
        record.reason = QString::fromUtf8(event.reason);
        m_counters.CountOther(ExchangeVerdict::NotSent);
        break;
    case LineEvent::Stray:
        record.verdict.kind = ExchangeVerdict::Foreign;
        record.strayBytes = event.strayBytes;
        m_counters.CountOther(ExchangeVerdict::Foreign);
        break;
    }
    m_pending.push_back(std::move(record));
    if (m_pending.size() > static_cast<std::size_t>(kHistoryLines))
        m_pending.pop_front();
}

void CLineMonitorWindow::Flush()
{
    ShowCounters();
    if (Paused() || m_pending.empty())
        return;
    QStringList lines;
    for (const Record& record : m_pending) {
        const QString replyTime = QStringLiteral("%1 ms").arg(record.replyMs);
        const int64_t replyAtMs = record.sentAtMs + record.replyMs;
        switch (record.kind) {
        case LineEvent::Exchange:
            lines << Line(record.sentAtMs, "tx", QString(), QString(), Hex(record.request))
                  << Line(replyAtMs, "rx", replyTime, VerdictText(record.verdict), Hex(record.reply));
            break;
        case LineEvent::Echo:
            lines << Line(replyAtMs, "rx", replyTime, VerdictText(record.verdict), Hex(record.reply));
            break;
        case LineEvent::NotSent:
            lines << Line(record.sentAtMs, "tx", QString(), QStringLiteral("not sent: ") + record.reason,
                          Hex(record.request));
            break;
        case LineEvent::Stray:
            lines << Line(record.sentAtMs, "rx", QString(), VerdictText(record.verdict),
                          QStringLiteral("%1 bytes that answer no request, dropped").arg(record.strayBytes));
            break;
        }
    }
    m_pending.clear();
    m_text->appendPlainText(lines.join(QLatin1Char('\n')));
}

void CLineMonitorWindow::ShowCounters()
{
    m_requestsLabel->setText(QString::number(m_counters.Requests()));
    for (int kind = 0; kind < ExchangeVerdict::KindCount; ++kind)
        m_countLabels[kind]->setText(
            QString::number(m_counters.Count(static_cast<ExchangeVerdict::Kind>(kind))));
    m_meanLabel->setText(QStringLiteral("%1 ms").arg(m_counters.MeanReplyMs(), 0, 'f', 1));
    m_longestLabel->setText(QStringLiteral("%1 ms").arg(m_counters.LongestReplyMs()));
}

QString CLineMonitorWindow::Text() const
{
    return m_text->toPlainText();
}

bool CLineMonitorWindow::Paused() const
{
    return m_pause->isChecked();
}

// While paused the text stands still; the counters go on and the lines wait to be shown.
void CLineMonitorWindow::SetPaused(bool paused)
{
    m_pause->setChecked(paused);
    if (!paused)
        Flush();
}

void CLineMonitorWindow::Clear()
{
    m_counters.Clear();
    m_pending.clear();
    m_text->clear();
    ShowCounters();
}

bool CLineMonitorWindow::SaveText(const QString& path) const
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    QString summary = QStringLiteral("Requests %1").arg(m_counters.Requests());
    for (int kind = 0; kind < ExchangeVerdict::KindCount; ++kind)
        summary += QStringLiteral(", %1 %2")
                       .arg(QString::fromLatin1(kCounterCaptions[kind]))
                       .arg(m_counters.Count(static_cast<ExchangeVerdict::Kind>(kind)));
    summary += QStringLiteral(", mean reply %1 ms, longest reply %2 ms\n\n")
                   .arg(m_counters.MeanReplyMs(), 0, 'f', 1)
                   .arg(m_counters.LongestReplyMs());
    const QByteArray text = (summary + Text() + QLatin1Char('\n')).toUtf8();
    return file.write(text) == text.size() && file.flush();
}
