#pragma once

#include "meter/HarmonicTable.h"
#include "meter/MeasurementTable.h"
#include "meter/PageReads.h"

#include <QString>
#include <array>
#include <optional>
#include <span>
#include <vector>

class MeterLink;

// One value as its page shows it: the page's name for it, its text and unit; and for a
// value of the meter/ tables, its item and unrounded value.
struct ReadingItem
{
    QString name;
    QString value;
    QString unit;
    const MeasurementItem* item = nullptr;
    double number = 0;
};

// One reading of a page: its items in the page's order. A failed reading
// keeps the names and units and has no values.
struct PageReading
{
    bool ok = false;
    std::vector<ReadingItem> items;
};

// What a reader needs beyond the line: the harmonic page's channel (1 to 6 for Ia to Uc).
struct ReadOptions
{
    int harmonicChannel = 1;
};

// Reads a page once with the page's own requests, waits and retries, and
// formats its values with the page's tables. On a failure the link holds what failed.
struct PageReader
{
    const char* name; // as typed on the command line
    PageReading (*read)(MeterLink& link, const ReadOptions& options);

    PageReading Read(MeterLink& link, const ReadOptions& options) const;
};

std::span<const PageReader> PageReaders();
const PageReader* FindPageReader(const QString& name);
// "realtime, common, ..." for messages.
QString PageNames();

// The harmonic page's whole table, read once with the page's requests; every channel is taken from it.
using HarmonicValues = std::array<int32_t, HarmonicTable::kSize>;
bool ReadHarmonicTable(MeterLink& link, HarmonicValues& table);
// One channel's items as the harmonic page shows them; without values when the table read failed.
PageReading HarmonicReading(const HarmonicTable::Channel& channel, const HarmonicValues& table, bool ok);

// The meter clock registers (PageReads::Clock), read as the SOE page's Meter Date reads them.
using MeterClock = PageReads::Clock::Values;
std::optional<MeterClock> ReadMeterClock(MeterLink& link);
