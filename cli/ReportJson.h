#pragma once

#include <QByteArray>

struct Report;

// The version of the report's JSON format; a reader refuses a version it does not know.
inline constexpr int kReportFormatVersion = 1;

// The report as data, for comparing one visit with the next.
QByteArray ReportJson(const Report& report);
