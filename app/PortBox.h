#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <vector>

class QComboBox;

// The connection panel's Port box: COM1 to COM4 first, then the other serial
// ports present, listed afresh each time the list is opened; a device name
// typed into it opens that device.
class CPortBox : public QObject
{
public:
    using PortSource = std::function<std::vector<std::string>()>;

    explicit CPortBox(QComboBox& box, PortSource ports);

    // Lists the ports now, keeping what the box shows.
    void Refresh();
    // The name to open: the chosen or typed text without surrounding blanks.
    QString Name() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QComboBox& m_box;
    PortSource m_ports;
};
