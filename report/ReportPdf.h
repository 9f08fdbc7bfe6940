#pragma once

class QIODevice;
struct Report;

// The report as a PDF file for A4 paper, written with Qt's own PDF writer: the HTML page laid out
// by Qt's text engine, so its text stays text (searchable, selectable), its charts pictures at
// print resolution, and on every page a header with the meter's address and the date and, at the
// foot, the page's number, written to the device (open for writing); false when it cannot be.
bool WriteReportPdf(const Report& report, QIODevice& device);
