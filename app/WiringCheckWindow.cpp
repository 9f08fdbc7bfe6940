#include "app/WiringCheckWindow.h"

#include "comm/Line.h"
#include "comm/ModbusRtu.h"
#include "comm/Transaction.h"
#include "diagnosis/CheckText.h"
#include "diagnosis/WiringCheck.h"
#include "framework/DialogColours.h"
#include "framework/SaveAs.h"
#include "framework/SequenceQueue.h"
#include "meter/BlockRead.h"
#include "pages/MainWindowLink.h"
#include "pages/MeterPage.h"
#include "reading/CheckRead.h"
#include "report/CheckHtml.h"
#include "report/PhasorChart.h"

#include <QComboBox>
#include <QDateTime>
#include <QDoubleValidator>
#include <QFile>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextDocument>
#include <QVBoxLayout>

namespace {
constexpr int kAttempts = 3;
constexpr int kPictureSide = 800;

// The phasor diagram of the last check, drawn as the report draws it.
class CPhasorWidget : public QWidget
{
public:
    explicit CPhasorWidget(const std::optional<Diagnosis::CheckResult>& result) : m_result(result)
    {
        setMinimumSize(300, 300);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        if (m_result)
            DrawPhasors(painter, rect(), m_result->phasors);
    }

private:
    const std::optional<Diagnosis::CheckResult>& m_result;
};

// A request sent up to three times, as the pages send their block tables, unless the user called it off.
bool ReadWithRetries(const PageReads::Request& request)
{
    for (int attempt = 0; attempt < kAttempts && !Modbus::CalledOff(); ++attempt)
        if (PageReads::Read(request))
            return true;
    return false;
}
} // namespace

CWiringCheckWindow::CWiringCheckWindow(IMainWindow& main, QWidget* parent)
    : QWidget(parent, Qt::Window), m_main(main)
{
    setWindowTitle(QStringLiteral("Wiring check"));
    ApplyDialogColours(*this);
    BuildLayout();
    // Fits a 1366 × 768 screen.
    resize(1100, 640);
}

void CWiringCheckWindow::BuildLayout()
{
    m_nominal = new QLineEdit;
    m_nominal->setPlaceholderText(QStringLiteral("assumed"));
    m_nominal->setValidator(new QDoubleValidator(1, 1e6, 1, m_nominal));
    m_nominal->setMaximumWidth(90);
    m_flow = new QComboBox;
    m_flow->addItems({QStringLiteral("import"), QStringLiteral("export"), QStringLiteral("both")});
    m_load = new QComboBox;
    m_load->addItems({QStringLiteral("inductive"), QStringLiteral("capacitive")});
    auto* declarations = new QHBoxLayout;
    declarations->addWidget(new QLabel(QStringLiteral("Nominal phase voltage (V):")));
    declarations->addWidget(m_nominal);
    declarations->addWidget(new QLabel(QStringLiteral("Power flow:")));
    declarations->addWidget(m_flow);
    declarations->addWidget(new QLabel(QStringLiteral("Load:")));
    declarations->addWidget(m_load);
    declarations->addStretch();

    m_findings = new QTextBrowser;
    m_findings->document()->setDefaultStyleSheet(
        QStringLiteral("table.checks { border-collapse: collapse; } th { text-align: left; } "
                       "td, th { padding: 3px; vertical-align: top; }"));
    m_phasors = new CPhasorWidget(m_result);
    auto* caption =
        new QLabel(QStringLiteral("Voltages at their ideal angles; each current at its\n"
                                  "measured angle from its own voltage (A brown, B black, C grey)."));
    auto* diagram = new QVBoxLayout;
    diagram->addWidget(m_phasors, 1);
    diagram->addWidget(caption);
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_findings, 3);
    middle->addLayout(diagram, 2);

    m_checkAgain = new QPushButton(QStringLiteral("&Check again"));
    auto* saveText = new QPushButton(QStringLiteral("Save as &text..."));
    auto* savePicture = new QPushButton(QStringLiteral("Save &picture..."));
    connect(m_checkAgain, &QPushButton::clicked, this, [this] { CheckAgain(); });
    connect(saveText, &QPushButton::clicked, this, [this] {
        SaveAs(this, QStringLiteral("Save the wiring check as text"), QStringLiteral("wiring-check.txt"),
               QStringLiteral("Text files (*.txt)"),
               [this](const QString& path, QString&) { return SaveText(path); });
    });
    connect(savePicture, &QPushButton::clicked, this, [this] {
        SaveAs(this, QStringLiteral("Save the phasor diagram"), QStringLiteral("phasors.png"),
               QStringLiteral("Pictures (*.png)"),
               [this](const QString& path, QString&) { return SavePicture(path); });
    });
    m_status = new QLabel;
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_checkAgain);
    buttons->addWidget(saveText);
    buttons->addWidget(savePicture);
    buttons->addWidget(m_status, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(declarations);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);
}

void CWiringCheckWindow::CheckAgain()
{
    if (m_checkWaits)
        return;
    m_checkWaits = true;
    m_status->setText(QStringLiteral("Waiting for the line..."));
    SequenceQueue().Run([this] {
        m_checkWaits = false;
        ReadAndCheck();
    });
}

void CWiringCheckWindow::ReadAndCheck()
{
    // Closing the window calls the reading off after the exchange in flight.
    const Modbus::SequenceGate gate([this] { return isVisible(); });
    if (!Line().IsOpen() && !m_main.OpenPort()) {
        m_status->setText(QStringLiteral("The port is not open."));
        return;
    }
    SlaveId = LeadingNumber(m_main.SlaveIdText());
    m_status->setText(QStringLiteral("Reading the meter at address %1...").arg(SlaveId));
    CheckInput input;
    QString what;
    if (!ReadCheckInput(ReadWithRetries, input, what)) {
        m_status->setText(
            Modbus::CalledOff()
                ? QStringLiteral("Called off.")
                : QStringLiteral("No valid answer to reading %1 at address %2.").arg(what).arg(SlaveId));
        return;
    }
    m_result = Diagnosis::Check(input, Declared());
    ShowResult();
}

Diagnosis::Declarations CWiringCheckWindow::Declared() const
{
    Diagnosis::Declarations declared;
    bool ok = false;
    const double nominal = m_nominal->text().toDouble(&ok);
    if (ok && nominal > 0)
        declared.nominalPhaseVoltage = nominal;
    declared.flow = static_cast<Diagnosis::Flow>(m_flow->currentIndex());
    declared.load = static_cast<Diagnosis::Load>(m_load->currentIndex());
    return declared;
}

void CWiringCheckWindow::ShowResult()
{
    m_findings->setHtml(QStringLiteral("<p>%1</p>").arg(DeclarationsText(*m_result).toHtmlEscaped()) +
                        FindingsHtml(*m_result));
    m_phasors->update();
    m_status->setText(
        QStringLiteral("Address %1, checked at %2: %3.")
            .arg(SlaveId)
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss")),
                 m_result->HasFault() ? QStringLiteral("a fault found") : QStringLiteral("no fault")));
}

QString CWiringCheckWindow::Status() const
{
    return m_status->text();
}

bool CWiringCheckWindow::SaveText(const QString& path) const
{
    if (!m_result)
        return false;
    QFile file(path);
    const QByteArray text = Diagnosis::CheckText(*m_result).toUtf8();
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size() &&
           file.flush();
}

bool CWiringCheckWindow::SavePicture(const QString& path) const
{
    if (!m_result)
        return false;
    QImage picture(kPictureSide, kPictureSide, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    DrawPhasors(painter, QRectF(0, 0, kPictureSide, kPictureSide), m_result->phasors);
    painter.end();
    return picture.save(path, "PNG");
}
