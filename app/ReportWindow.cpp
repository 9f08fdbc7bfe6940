#include "app/ReportWindow.h"

#include "comm/Line.h"
#include "comm/ModbusRtu.h"
#include "comm/Transaction.h"
#include "framework/DialogColours.h"
#include "framework/SaveAs.h"
#include "framework/SequenceQueue.h"
#include "pages/MainWindowLink.h"
#include "pages/MeterPage.h"
#include "report/ReportFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CReportWindow::CReportWindow(IMainWindow& main, PanelLine panelLine, QWidget* parent)
    : QWidget(parent, Qt::Window), m_main(main), m_panelLine(std::move(panelLine))
{
    setWindowTitle(QStringLiteral("Commissioning report"));
    ApplyDialogColours(*this);
    m_status = new QLabel;
    m_status->setMinimumWidth(420);
    m_readAgain = new QPushButton(QStringLiteral("&Read again"));
    m_save = new QPushButton(QStringLiteral("&Save..."));
    m_cancel = new QPushButton(QStringLiteral("Cancel"));
    connect(m_readAgain, &QPushButton::clicked, this, [this] { Read(AfterReading::Stay); });
    connect(m_save, &QPushButton::clicked, this, [this] { AskAndSave(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { Cancel(); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_readAgain);
    buttons->addWidget(m_save);
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addLayout(buttons);
    m_save->setEnabled(false);
    m_cancel->setEnabled(false);
}

void CReportWindow::Read(AfterReading after)
{
    if (m_reading)
        return;
    m_cancelled = false;
    ShowReading(true);
    m_status->setText(QStringLiteral("Waiting for the line..."));
    SequenceQueue().Run([this, after] { ReadNow(after); });
}

void CReportWindow::ShowReading(bool reading)
{
    m_reading = reading;
    m_readAgain->setEnabled(!reading);
    m_save->setEnabled(!reading && m_report.has_value());
    m_cancel->setEnabled(reading);
}

void CReportWindow::Cancel()
{
    m_cancelled = true;
    m_cancel->setEnabled(false);
}

// The reading goes on only while it is wanted: Cancel or closing the window calls it off after
// the exchange in flight.
void CReportWindow::ReadNow(AfterReading after)
{
    const Modbus::SequenceGate gate([this] { return isVisible() && !m_cancelled; });
    if (!Line().IsOpen() && !m_main.OpenPort()) {
        ShowReading(false);
        m_status->setText(QStringLiteral("The port is not open."));
        return;
    }
    LineSettings line = m_panelLine();
    line.address = LeadingNumber(m_main.SlaveIdText());
    MeterLink link(line);
    link.SelectMeter(line.address);
    Report report = ReadReport(link, {}, [this](const QString& part) {
        m_status->setText(QStringLiteral("Reading %1...").arg(part));
    });
    if (Modbus::CalledOff()) {
        ShowReading(false);
        m_status->setText(QStringLiteral("Cancelled."));
        return;
    }
    m_report = std::move(report);
    ShowReading(false);
    const QStringList missing = m_report->Missing();
    m_status->setText(missing.isEmpty()
                          ? QStringLiteral("Every page was read.")
                          : QStringLiteral("Read; missing: %1.").arg(missing.join(QStringLiteral(", "))));
    // Asked once the sequence has ended, so the pages poll again while the user chooses.
    if (after == AfterReading::AskWhereToSave)
        QMetaObject::invokeMethod(
            this, [this] { AskAndSave(); }, Qt::QueuedConnection);
}

QString CReportWindow::Status() const
{
    return m_status->text();
}

bool CReportWindow::Save(const QString& pdfPath, QString& failed) const
{
    if (!m_report)
        return false;
    const QFileInfo pdf(pdfPath);
    const QString htmlPath = pdf.path() + QLatin1Char('/') + pdf.completeBaseName() + QStringLiteral(".html");
    QString why;
    for (const auto& [format, path] :
         {std::pair{ReportFormat::Pdf, pdfPath}, std::pair{ReportFormat::Html, htmlPath}})
        if (!SaveReport(*m_report, format, path, why)) {
            failed = path;
            return false;
        }
    return true;
}

void CReportWindow::AskAndSave()
{
    if (!m_report)
        return;
    const QString suggested = QStringLiteral("vemo400-report-address-%1-%2.pdf")
                                  .arg(m_report->line.address)
                                  .arg(m_report->taken.toString(QStringLiteral("yyyy-MM-dd")));
    QString written;
    const auto write = [this, &written](const QString& path, QString& failed) {
        written = path;
        return Save(path, failed);
    };
    if (SaveAs(this, QStringLiteral("Save the commissioning report"), suggested,
               QStringLiteral("PDF files (*.pdf)"), write))
        m_status->setText(
            QStringLiteral("Written to %1 and beside it as HTML.").arg(QDir::toNativeSeparators(written)));
}
