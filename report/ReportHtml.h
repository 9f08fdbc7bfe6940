#pragma once

#include <QString>
#include <vector>

struct Report;
class PictureSink;

// The report as one self-contained HTML page: its style sheet (for the screen
// and for A4 paper) and its charts inside, no scripts, no other files.
QString ReportHtml(const Report& report);

// The page's parts in order, each to be kept whole on paper where it fits: the header, each section
// with its heading, the table of the harmonic values; some begin a new sheet. Their pictures go
// where the sink puts them.
struct ReportBlock
{
    QString html;
    bool newSheet = false;
};
std::vector<ReportBlock> ReportBlocks(const Report& report, PictureSink& pictures);
