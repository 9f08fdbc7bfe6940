#pragma once

#include "pages/MainWindowLink.h"

#include <functional>
#include <string>
#include <vector>

// Stands in for the main window in page tests: a connection panel held as plain values.
class FakeMainWindow : public IMainWindow
{
public:
    QString SlaveIdText() const override { return slaveIdText; }
    void SetSlaveIdText(const QString& text) override { slaveIdText = text; }
    int BaudPosition() const override { return baudPosition; }
    void SelectBaud(int position) override { baudPosition = position; }
    bool OpenPort() override
    {
        ++portOpens;
        return openPort ? openPort() : true;
    }
    void ValuesPolled(int page, std::span<const PolledValue> values) override
    {
        lastPolledPage = page;
        polledValues.assign(values.begin(), values.end());
    }
    void ShowTrend(int page, const PolledValue& value) override { trendsAsked.push_back({page, value.name}); }

    QString slaveIdText = QStringLiteral("1");
    int baudPosition = 1;
    int portOpens = 0;
    // What OpenPort does; tests that follow a rate change reopen the real port here.
    std::function<bool()> openPort;
    int lastPolledPage = 0;
    std::vector<PolledValue> polledValues;
    struct TrendAsked
    {
        int page;
        std::string name;
    };
    std::vector<TrendAsked> trendsAsked;
};
