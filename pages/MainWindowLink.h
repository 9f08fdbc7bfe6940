#pragma once

#include <QString>
#include <cstdint>
#include <span>

// One value a page's poll wrote into its grid, named as the grid names it.
struct PolledValue
{
    const char* name;
    const char* unit; // nullptr when the value has no unit
    double value;
};

// What the pages need of the main window: its connection panel, the port, and
// the trends that follow the pages' values.
// The main window implements it; page tests use a fake.
class IMainWindow
{
public:
    virtual ~IMainWindow() = default;

    // Text of the ID box, from which polls take the slave address.
    virtual QString SlaveIdText() const = 0;
    virtual void SetSlaveIdText(const QString& text) = 0;
    // Position in the Baud list: 0 to 3 for 4800, 9600, 19200, 38400.
    virtual int BaudPosition() const = 0;
    virtual void SelectBaud(int position) = 0;
    // Closes and reopens the serial port with the panel's settings.
    virtual bool OpenPort() = 0;
    // A poll of page (1 to 9) wrote these values into its grid.
    virtual void ValuesPolled(int page, std::span<const PolledValue> values) = 0;
    // The user asked for a trend of one of page's values.
    virtual void ShowTrend(int page, const PolledValue& value) = 0;
};

// The page the user selected last (1 to 9), 100 before the first selection and
// 99 after a failed port open. A page's poll does nothing unless it is current.
extern int32_t CurrentPage;
// A poll period that pages read when they are created: 100 ms per Baud position plus 200.
extern int32_t PollIntervalMs;
