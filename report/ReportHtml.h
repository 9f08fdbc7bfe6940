#pragma once

#include <QString>

struct Report;
class PictureSink;

// The report as one self-contained HTML page: its style sheet (for the screen
// and for A4 paper) and its charts inside, no scripts, no other files.
QString ReportHtml(const Report& report);
// The same page with its pictures where the sink puts them.
QString ReportHtml(const Report& report, PictureSink& pictures);
