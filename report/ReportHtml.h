#pragma once

#include <QString>

struct Report;

// The report as one self-contained HTML page: its style sheet (for the screen
// and for A4 paper) and its charts inside, no scripts, no other files.
QString ReportHtml(const Report& report);
