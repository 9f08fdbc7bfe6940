#pragma once

#include "MessageBoxRecorder.h"
#include "MeterLine.h"
#include "app/MainDlg.h"
#include "comm/SerialPort.h"
#include "pages/MainWindowLink.h"
#include "pages/MeterPage.h"

#include <QTreeWidget>
#include <gtest/gtest.h>

// The tool's main window as a user starts it, with COM1 wired to the simulated meter.
class MainWindowFixture : public ::testing::Test
{
protected:
    explicit MainWindowFixture(ModelMode model = ModelMode::Frozen) : line(model) {}

    void SetUp() override
    {
        qputenv("VEMO400_COM1", QByteArray::fromStdString(line.Path()));
        CurrentPage = 100;
        main.Create();
        main.show();
    }
    void TearDown() override { SerialPort.Close(); }

    // Chooses page 1 to 9 in the navigation tree; it is current at once.
    CMeterPage& Visit(int page)
    {
        main.Tree().setCurrentItem(main.Tree().topLevelItem(0)->child(page - 1));
        EXPECT_EQ(CurrentPage, page);
        return *main.Page(page);
    }

    MeterLine line;
    MessageBoxRecorder messages;
    CMainDlg main;
};
