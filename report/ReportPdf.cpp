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

namespace {
constexpr int kDotsPerInch = 300;
constexpr double kDotsPerMillimetre = kDotsPerInch / 25.4;
// Margins of an A4 sheet, in millimetres: the header and the page number sit in the top and foot ones.
constexpr double kSide = 15;
constexpr double kTop = 22;
constexpr double kFoot = 18;

// Qt's text engine knows no flexible boxes and no millimetres: the print layout's own rules,
// applied before the page's own style sheet.
const char* const kPrintStyle = R"(
h1 { font-size: 15pt; }
h2 { font-size: 11pt; margin-top: 10px; }
th { background-color: #dcecf0; font-weight: bold; }
td, th { padding: 2px; }
table.wide, table.checks, table.items { width: 100%; }
td.column { padding: 0px 8px 0px 0px; }
td.value { text-align: right; }
.page { page-break-before: always; }
.missing { color: #a01010; font-weight: bold; }
)";

// The pictures of the page as resources of the document, drawn at three times their size; the text
// engine sizes them in the page's pixels, those of a 96-dpi screen, as it sizes the text in points.
class DocumentPictures final : public PictureSink
{
public:
    explicit DocumentPictures(QTextDocument& document) : m_document(document) {}

    QString Element(int width, int height, const QString& title, const Drawing& draw) override
    {
        const QUrl name(QStringLiteral("picture:%1").arg(m_count++));
        m_document.addResource(QTextDocument::ImageResource, name, DrawnPicture(width, height, draw));
        return QStringLiteral("<img src=\"%1\" width=\"%2\" height=\"%3\" alt=\"%4\">")
            .arg(name.toString())
            .arg(width)
            .arg(height)
            .arg(title.toHtmlEscaped());
    }

private:
    QTextDocument& m_document;
    int m_count = 0;
};

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
    const QSizeF sheet = writer.pageLayout().fullRectPixels(kDotsPerInch).size();
    const QRectF body = Millimetres(kSide, kTop, sheet.width() / kDotsPerMillimetre - 2 * kSide,
                                    sheet.height() / kDotsPerMillimetre - kTop - kFoot);

    QTextDocument document;
    document.documentLayout()->setPaintDevice(&writer);
    document.setDefaultStyleSheet(QString::fromLatin1(kPrintStyle));
    QFont font(QString::fromLatin1(kReportFontFamily));
    font.setPointSizeF(8.5);
    document.setDefaultFont(font);
    document.setPageSize(body.size());
    DocumentPictures pictures(document);
    document.setHtml(ReportHtml(report, pictures));

    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    const int pages = document.pageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        painter.save();
        painter.translate(body.left(), body.top() - page * body.height());
        document.drawContents(&painter, QRectF(0, page * body.height(), body.width(), body.height()));
        painter.restore();
        DrawMargins(painter, report, sheet, page + 1, pages);
    }
    return painter.end();
}
