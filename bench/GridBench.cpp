// The grid against QTableWidget doing the same work in the same run. Prints
// the time ratio ours / QTableWidget of each case at the end.
#include "widgets/GridCtrl.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QTableWidget>
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr int kRowHeight = 24;
constexpr int kColumnWidth = 70;
constexpr QRgb kPaleYellow = qRgb(255, 255, 213);

QString Value(int row, int column, int round)
{
    return QString::number((row * 8 + column + round) * 1.001, 'f', 3);
}

std::unique_ptr<CGridCtrl> MakeGrid(int rows, int columns, QSize size)
{
    auto grid = std::make_unique<CGridCtrl>();
    grid->resize(size);
    grid->SetRowTotal(rows);
    grid->SetColumnTotal(columns);
    grid->DefaultCellOf(false, false).SetBackColour(Gdi::RGB(255, 255, 213));
    for (int column = 0; column < columns; ++column)
        grid->SetColumnWidthPixels(column, kColumnWidth);
    for (int row = 0; row < rows; ++row)
        grid->SetRowHeightPixels(row, kRowHeight);
    return grid;
}

// A table with the same look: no headers, same sizes and background, items
// only where texts are written.
std::unique_ptr<QTableWidget> MakeTable(int rows, int columns, QSize size)
{
    auto table = std::make_unique<QTableWidget>(rows, columns);
    table->resize(size);
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    table->verticalHeader()->setDefaultSectionSize(kRowHeight);
    QPalette palette = table->palette();
    palette.setColor(QPalette::Base, QColor(kPaleYellow));
    table->setPalette(palette);
    return table;
}

// Texts depend on the position within the filled block only, so every case
// draws texts of the same lengths.
void Fill(CGridCtrl& grid, int firstRow, int lastRow, int columns)
{
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = 0; column < columns; ++column)
            grid.SetCellText(row, column, Value(row - firstRow, column, 0));
    }
}

void Fill(QTableWidget& table, int firstRow, int lastRow, int columns)
{
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = 0; column < columns; ++column)
            table.setItem(row, column, new QTableWidgetItem(Value(row - firstRow, column, 0)));
    }
}

const QSize kPageSize(8 * kColumnWidth + 30, 30 * kRowHeight + 8);

// Only the viewport: the frame and scroll bars cost both sides the same.
void Render(QAbstractScrollArea& widget, QImage& image)
{
    widget.viewport()->render(&image);
    benchmark::DoNotOptimize(image.constBits());
}

// --- 1: a page's poll: 36 texts written, then the repaint they cause ---

void PollUpdateGrid(benchmark::State& state)
{
    auto grid = MakeGrid(30, 8, kPageSize);
    Fill(*grid, 0, 29, 8);
    QImage image(kPageSize, QImage::Format_ARGB32_Premultiplied);
    int round = 0;
    for (auto _ : state) {
        ++round;
        for (int i = 0; i < 36; ++i)
            grid->SetCellText(i / 8, i % 8, Value(i / 8, i % 8, round));
        grid->RedrawAll();
        Render(*grid, image);
    }
}

void PollUpdateTable(benchmark::State& state)
{
    auto table = MakeTable(30, 8, kPageSize);
    Fill(*table, 0, 29, 8);
    QImage image(kPageSize, QImage::Format_ARGB32_Premultiplied);
    int round = 0;
    for (auto _ : state) {
        ++round;
        for (int i = 0; i < 36; ++i)
            table->item(i / 8, i % 8)->setText(Value(i / 8, i % 8, round));
        Render(*table, image);
    }
}

// --- 2: a full repaint of a filled page grid ---

void FullRepaintGrid(benchmark::State& state)
{
    auto grid = MakeGrid(30, 8, kPageSize);
    Fill(*grid, 0, 29, 8);
    QImage image(kPageSize, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state)
        Render(*grid, image);
}

void FullRepaintTable(benchmark::State& state)
{
    auto table = MakeTable(30, 8, kPageSize);
    Fill(*table, 0, 29, 8);
    QImage image(kPageSize, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state)
        Render(*table, image);
}

// --- 3: the visible part of a huge grid scrolled to its middle ---

constexpr int kHugeRows = 100000;
constexpr int kHugeColumns = 50;

void HugeRepaintGrid(benchmark::State& state)
{
    auto grid = MakeGrid(kHugeRows, kHugeColumns, kPageSize);
    QScrollBar* bar = grid->verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    const CellRange visible = grid->VisibleNonFixedCellRange();
    Fill(*grid, visible.minRow, visible.maxRow, kHugeColumns);
    QImage image(kPageSize, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state)
        Render(*grid, image);
}

void HugeRepaintTable(benchmark::State& state)
{
    auto table = MakeTable(kHugeRows, kHugeColumns, kPageSize);
    table->show();
    QScrollBar* bar = table->verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    const int top = table->rowAt(0);
    Fill(*table, top, top + 31, kHugeColumns);
    table->hide();
    QImage image(kPageSize, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state)
        Render(*table, image);
}

// --- 4: filling a big grid, and the memory that takes per cell ---

constexpr int kFillRows = 10000;
constexpr int kFillColumns = 50;

std::size_t HeapInUse()
{
    return mallinfo2().uordblks;
}

void ReportPerCell(benchmark::State& state, std::size_t before)
{
    state.counters["bytes_per_cell"] = double(HeapInUse() - before) / (kFillRows * kFillColumns);
}

void FillGrid(benchmark::State& state)
{
    for (auto _ : state) {
        const std::size_t before = HeapInUse();
        auto grid = MakeGrid(kFillRows, kFillColumns, kPageSize);
        Fill(*grid, 0, kFillRows - 1, kFillColumns);
        state.PauseTiming();
        ReportPerCell(state, before);
        grid.reset();
        state.ResumeTiming();
    }
}

void FillTable(benchmark::State& state)
{
    for (auto _ : state) {
        const std::size_t before = HeapInUse();
        auto table = MakeTable(kFillRows, kFillColumns, kPageSize);
        Fill(*table, 0, kFillRows - 1, kFillColumns);
        state.PauseTiming();
        ReportPerCell(state, before);
        table.reset();
        state.ResumeTiming();
    }
}

BENCHMARK(PollUpdateGrid);
BENCHMARK(PollUpdateTable);
BENCHMARK(FullRepaintGrid);
BENCHMARK(FullRepaintTable);
BENCHMARK(HugeRepaintGrid);
BENCHMARK(HugeRepaintTable);
BENCHMARK(FillGrid)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(FillTable)->Unit(benchmark::kMillisecond)->Iterations(3);

// Keeps each case's time and counters so the ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            m_seconds[run.benchmark_name()] = run.GetAdjustedCPUTime();
            const auto bytes = run.counters.find("bytes_per_cell");
            if (bytes != run.counters.end())
                m_bytesPerCell[run.benchmark_name()] = bytes->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatios() const
    {
        std::printf("\nratio ours / QTableWidget in CPU time (target):\n");
        PrintRatio("1 poll update (<= 0.5)", "PollUpdate");
        PrintRatio("2 full repaint (<= 0.5)", "FullRepaint");
        PrintRatio("3 huge grid repaint (<= 0.5)", "HugeRepaint");
        PrintRatio("4 fill 10000 x 50 (<= 1.0)", "Fill");
        const auto grid = m_bytesPerCell.find("FillGrid/iterations:3");
        const auto table = m_bytesPerCell.find("FillTable/iterations:3");
        if (grid != m_bytesPerCell.end() && table != m_bytesPerCell.end())
            std::printf("  4 memory per cell: %.0f / %.0f bytes = %.2f (<= 1.0)\n", grid->second,
                        table->second, grid->second / table->second);
        const double huge = Time("HugeRepaintGrid"), full = Time("FullRepaintGrid");
        if (huge > 0 && full > 0)
            std::printf("  huge / full repaint of ours: %.2f (<= 1.2)\n", huge / full);
    }

private:
    double Time(const std::string& prefix) const
    {
        for (const auto& [name, seconds] : m_seconds) {
            if (name.rfind(prefix, 0) == 0)
                return seconds;
        }
        return 0;
    }

    void PrintRatio(const char* label, const std::string& stem) const
    {
        const double ours = Time(stem + "Grid"), theirs = Time(stem + "Table");
        if (ours > 0 && theirs > 0)
            std::printf("  %s: %.2f\n", label, ours / theirs);
    }

    std::map<std::string, double> m_seconds;
    std::map<std::string, double> m_bytesPerCell;
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
