#pragma once

#include "diagnosis/Finding.h"

#include <QWidget>
#include <optional>

class IMainWindow;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextBrowser;

// Is the meter of the connection panel connected and set up right? Reads it once
// through the sequence queue, as the pages' polls do, one request at a time with them
// and the window live meanwhile (opening the port first when it is not open), then shows
// each finding with a coloured mark, its evidence and advice, and the phasor diagram.
class CWiringCheckWindow : public QWidget
{
    Q_OBJECT
public:
    explicit CWiringCheckWindow(IMainWindow& main, QWidget* parent = nullptr);

    // Reads the meter and checks it again; a check asked for while one waits merges into it.
    void CheckAgain();
    const std::optional<Diagnosis::CheckResult>& Result() const { return m_result; }
    QString Status() const;
    // The findings as plain text, and the phasor diagram as a picture; false when the file cannot be written.
    bool SaveText(const QString& path) const;
    bool SavePicture(const QString& path) const;

private:
    void BuildLayout();
    void ReadAndCheck();
    Diagnosis::Declarations Declared() const;
    void ShowResult();

    IMainWindow& m_main;
    bool m_checkWaits = false;
    std::optional<Diagnosis::CheckResult> m_result;
    QLineEdit* m_nominal = nullptr;
    QComboBox* m_flow = nullptr;
    QComboBox* m_load = nullptr;
    QTextBrowser* m_findings = nullptr;
    QWidget* m_phasors = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_checkAgain = nullptr;
};
