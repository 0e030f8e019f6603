#include <report/reporthtml.h>

namespace {

const QString style = QStringLiteral(
        "<style>\n"
        "body { font-family: Arial, \"Liberation Sans\", sans-serif; font-size: 9pt; }\n"
        "h1 { font-size: 15pt; margin: 0 0 6pt 0; }\n"
        "h2 { font-size: 12pt; margin: 14pt 0 4pt 0; page-break-after: avoid; }\n"
        "h3 { font-size: 10pt; margin: 8pt 0 3pt 0; page-break-after: avoid; }\n"
        "table { border-collapse: collapse; margin-bottom: 4pt; }\n"
        "table.list { width: 100%; }\n"
        "table.list th, table.list td { border: 1px solid #808080; padding: 1pt 4pt; text-align: left; "
        "vertical-align: top; }\n"
        "table.list th { background-color: #e6e6e6; }\n"
        "table.facts td { padding: 0 8pt 0 0; vertical-align: top; }\n"
        "p.note { color: #404040; margin: 2pt 0 4pt 0; }\n"
        "p.signatures { margin-top: 24pt; white-space: pre; }\n"
        "@media print {\n"
        "  @page { size: A4; margin: 12mm 15mm; }\n"
        "  thead { display: table-header-group; }\n"
        "  tr { page-break-inside: avoid; }\n"
        "}\n"
        "</style>\n");

void appendCells(QString &html, const QStringList &cells, const QString &open, const QString &close)
{
    for (const QString &cell : cells) {
        html += open;
        html += cell.toHtmlEscaped();
        html += close;
    }
}

} // namespace

QString reportHtml(const ReportContent &content)
{
    QString html;
    html.reserve(1 << 20); // the largest configuration's report is under a megabyte
    html += QStringLiteral("<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n<title>");
    html += content.title.toHtmlEscaped();
    html += QStringLiteral("</title>\n");
    html += style;
    html += QStringLiteral("</head>\n<body>\n");
    for (const ReportBlock &block : content.blocks) {
        switch (block.kind) {
        case ReportBlock::Kind::Title:
            html += QStringLiteral("<h1>%1</h1>\n").arg(block.text.toHtmlEscaped());
            break;
        case ReportBlock::Kind::Section:
            html += QStringLiteral("<h2>%1</h2>\n").arg(block.text.toHtmlEscaped());
            break;
        case ReportBlock::Kind::Subsection:
            html += QStringLiteral("<h3>%1</h3>\n").arg(block.text.toHtmlEscaped());
            break;
        case ReportBlock::Kind::Note:
            html += QStringLiteral("<p class=\"note\">%1</p>\n").arg(block.text.toHtmlEscaped());
            break;
        case ReportBlock::Kind::Signatures:
            html += QStringLiteral("<p class=\"signatures\">%1</p>\n").arg(block.text.toHtmlEscaped());
            break;
        case ReportBlock::Kind::Facts:
            html += QStringLiteral("<table class=\"facts\">\n");
            for (const auto &[caption, value] : block.facts) {
                html += QStringLiteral("<tr><td>%1:</td><td>%2</td></tr>\n")
                                .arg(caption.toHtmlEscaped(), value.toHtmlEscaped());
            }
            html += QStringLiteral("</table>\n");
            break;
        case ReportBlock::Kind::Table:
            html += QStringLiteral("<table class=\"list\">\n<thead><tr>");
            appendCells(html, block.table.titles, QStringLiteral("<th>"), QStringLiteral("</th>"));
            html += QStringLiteral("</tr></thead>\n<tbody>\n");
            for (const QStringList &row : block.table.rows) {
                html += QStringLiteral("<tr>");
                appendCells(html, row, QStringLiteral("<td>"), QStringLiteral("</td>"));
                html += QStringLiteral("</tr>\n");
            }
            html += QStringLiteral("</tbody></table>\n");
            break;
        }
    }
    html += QStringLiteral("</body>\n</html>\n");
    return html;
}
