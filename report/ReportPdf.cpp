#include "report/ReportPdf.h"

#include "report/Report.h"
#include "report/ReportCharts.h"
#include "report/ReportHtml.h"

#include <QAbstractTextDocumentLayout>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>
#include <memory>
#include <utility>
#include <vector>

namespace {
constexpr int kDotsPerInch = 300;
constexpr double kDotsPerMillimetre = kDotsPerInch / 25.4;
// Margins of an A4 sheet, in millimetres: the header and the page number sit in the top and foot ones.
constexpr double kSide = 15;
constexpr double kTop = 22;
constexpr double kFoot = 18;
// Space between two blocks on a sheet, in millimetres.
constexpr double kGap = 4;

// The page's style sheet for Qt's text engine, which knows no millimetres and no selectors by
// position: lengths in its pixels (a 96-dpi screen's, scaled to the printer's dots), rules it reads.
const char* const kPrintStyle = R"(
h1 { font-size: 15pt; margin-top: 0px; margin-bottom: 8px; }
h2 { font-size: 11pt; margin-top: 0px; margin-bottom: 4px; color: #1d5b6b; }
table { border-collapse: collapse; }
th, td { padding: 1px 5px 1px 2px; vertical-align: top; }
th { background-color: #dcecf0; font-weight: bold; text-align: left; }
table.wide, table.checks, table.items { width: 100%; }
td.column { padding: 0px 12px 0px 0px; }
td.value { text-align: right; }
table.facts th { background-color: transparent; padding-left: 0px; }
.missing { color: #a01010; font-weight: bold; }
)";

// The pictures of the page, drawn at three times their size, kept for the documents that show them;
// the text engine sizes them in the page's pixels, those of a 96-dpi screen, as it sizes the text
// in points.
class KeptPictures final : public PictureSink
{
public:
    QString Element(int width, int height, const QString& title, const Drawing& draw) override
    {
        const QUrl name(QStringLiteral("picture:%1").arg(m_pictures.size()));
        m_pictures.emplace_back(name, DrawnPicture(width, height, draw));
        return QStringLiteral("<img src=\"%1\" width=\"%2\" height=\"%3\" alt=\"%4\">")
            .arg(name.toString())
            .arg(width)
            .arg(height)
            .arg(title.toHtmlEscaped());
    }

    void AddTo(QTextDocument& document) const
    {
        for (const auto& [name, picture] : m_pictures)
            document.addResource(QTextDocument::ImageResource, name, picture);
    }

private:
    std::vector<std::pair<QUrl, QImage>> m_pictures;
};

// One block of the page laid out on its own at the body's width: kept whole on a sheet where it
// fits, and laid out in sheet-high pages where it does not.
struct LaidOutBlock
{
    std::unique_ptr<QTextDocument> document;
    bool newSheet = false;
    bool paged = false;
};

// A part of a block's document drawn at a height of a sheet's body.
struct Slice
{
    int sheet = 0;
    double top = 0;
    QTextDocument* document = nullptr;
    QRectF source;
};

LaidOutBlock LayOut(const ReportBlock& block, const KeptPictures& pictures, QPagedPaintDevice& writer,
                    const QSizeF& body)
{
    auto document = std::make_unique<QTextDocument>();
    document->documentLayout()->setPaintDevice(&writer);
    QFont font(QString::fromLatin1(kReportFontFamily));
    font.setPointSizeF(8.5);
    // Without ligatures, so that "flow" is found as typed when the PDF is searched.
    font.setStyleStrategy(QFont::PreferNoShaping);
    document->setDefaultFont(font);
    document->setDocumentMargin(0);
    document->setDefaultStyleSheet(QString::fromLatin1(kPrintStyle));
    pictures.AddTo(*document);
    document->setHtml(block.html);
    document->setTextWidth(body.width());
    const bool paged = document->size().height() > body.height();
    if (paged)
        document->setPageSize(body);
    return {std::move(document), block.newSheet, paged};
}

// Places the blocks one below the other, a block that does not fit below the last on the next sheet.
std::vector<Slice> Paginate(const std::vector<LaidOutBlock>& blocks, const QSizeF& body, double gap)
{
    std::vector<Slice> slices;
    int sheet = 0;
    double top = 0;
    for (const LaidOutBlock& block : blocks) {
        const double height = block.document->size().height();
        if (top > 0 && (block.newSheet || block.paged || top + height > body.height())) {
            ++sheet;
            top = 0;
        }
        if (!block.paged) {
            slices.push_back({sheet, top, block.document.get(), QRectF(0, 0, body.width(), height)});
            top += height + gap;
            continue;
        }
        for (double from = 0; from < height; from += body.height()) {
            if (from > 0)
                ++sheet;
            slices.push_back({sheet, 0, block.document.get(), QRectF(0, from, body.width(), body.height())});
        }
        top = body.height();
    }
    return slices;
}

QRectF Millimetres(double left, double top, double width, double height)
{
    return QRectF(left * kDotsPerMillimetre, top * kDotsPerMillimetre, width * kDotsPerMillimetre,
                  height * kDotsPerMillimetre);
}

void DrawMargins(QPainter& painter, const Report& report, const QSizeF& sheet, int page, int pages)
{
    painter.save();
    QFont font = painter.font();
    font.setPointSizeF(8);
    painter.setFont(font);
    painter.setPen(QColor(0x40, 0x40, 0x40));
    const double width = sheet.width() / kDotsPerMillimetre - 2 * kSide;
    const QRectF header = Millimetres(kSide, 8, width, 8);
    painter.drawText(header, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("VEMO400 commissioning report"));
    painter.drawText(header, Qt::AlignRight | Qt::AlignBottom,
                     QStringLiteral("address %1, %2 on %3")
                         .arg(report.line.address)
                         .arg(report.port, report.taken.toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
    painter.drawLine(header.bottomLeft() + QPointF(0, 8), header.bottomRight() + QPointF(0, 8));
    const double foot = sheet.height() / kDotsPerMillimetre - kFoot + 6;
    painter.drawText(Millimetres(kSide, foot, width, 6), Qt::AlignHCenter | Qt::AlignTop,
                     QStringLiteral("Page %1 of %2").arg(page).arg(pages));
    painter.restore();
}
} // namespace

bool WriteReportPdf(const Report& report, QIODevice& device)
{
    QPdfWriter writer(&device);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(kDotsPerInch);
    writer.setTitle(QStringLiteral("VEMO400 report, address %1, %2")
                        .arg(report.line.address)
                        .arg(report.taken.toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
    writer.setCreator(QStringLiteral("vemo400"));
    const QSizeF sheetSize = writer.pageLayout().fullRectPixels(kDotsPerInch).size();
    const QRectF body = Millimetres(kSide, kTop, sheetSize.width() / kDotsPerMillimetre - 2 * kSide,
                                    sheetSize.height() / kDotsPerMillimetre - kTop - kFoot);

    KeptPictures pictures;
    std::vector<LaidOutBlock> blocks;
    for (const ReportBlock& block : ReportBlocks(report, pictures))
        blocks.push_back(LayOut(block, pictures, writer, body.size()));
    const std::vector<Slice> slices = Paginate(blocks, body.size(), kGap * kDotsPerMillimetre);

    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    const int sheets = slices.empty() ? 1 : slices.back().sheet + 1;
    int sheet = 0;
    for (const Slice& slice : slices) {
        for (; sheet < slice.sheet; ++sheet) {
            DrawMargins(painter, report, sheetSize, sheet + 1, sheets);
            writer.newPage();
        }
        painter.save();
        painter.translate(body.left(), body.top() + slice.top - slice.source.top());
        slice.document->drawContents(&painter, slice.source);
        painter.restore();
    }
    DrawMargins(painter, report, sheetSize, sheet + 1, sheets);
    return painter.end();
}
