#pragma once

#include <QByteArray>

struct Report;

// The version of the report's JSON format, raised whenever a change would make an older reader misread it.
inline constexpr int kReportFormatVersion = 3;

// The report as data, for comparing one visit with the next.
QByteArray ReportJson(const Report& report);
