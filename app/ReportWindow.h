#pragma once

#include "diagnosis/Finding.h"
#include "reading/MeterLink.h"
#include "report/Report.h"

#include <QWidget>
#include <optional>

class IMainWindow;
class QLabel;
class QPushButton;

// The commissioning report of the panel's meter, made from the window: every page read once
// through the sequence queue, the pages' polls waiting meanwhile and the window live, with a
// line naming the part being read and Cancel; then it asks where to save and writes the
// report as PDF and, beside it, as HTML. Parts that fail are named as missing, as the console
// program names them.
class CReportWindow : public QWidget
{
    Q_OBJECT
public:
    using PanelLine = std::function<LineSettings()>;
    CReportWindow(IMainWindow& main, PanelLine panelLine, QWidget* parent = nullptr);

    enum class AfterReading
    {
        Stay,
        AskWhereToSave
    };
    // Reads the meter through the sequence queue; a reading asked for while one waits or runs is
    // not started twice.
    void Read(AfterReading after);
    void Cancel();
    bool Reading() const { return m_reading; }
    const std::optional<Report>& Result() const { return m_report; }
    QString Status() const;
    // Writes the report read last as PDF to the path and as HTML beside it (the same name, .html);
    // false, with the file that could not be written in failed, when one cannot be.
    bool Save(const QString& pdfPath, QString& failed) const;

private:
    void ReadNow(AfterReading after);
    void ShowReading(bool reading);
    void AskAndSave();

    IMainWindow& m_main;
    PanelLine m_panelLine;
    bool m_reading = false;
    bool m_cancelled = false;
    std::optional<Report> m_report;
    QLabel* m_status = nullptr;
    QPushButton* m_readAgain = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_cancel = nullptr;
};
