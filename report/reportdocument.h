#pragma once

#include <report/reportcontent.h>

#include <QPageLayout>
#include <QString>

class QPagedPaintDevice;

// The report on paper or in a PDF: each page with the page number and count at its foot,
// a table's title row repeated on every page the table runs over. Laid out here rather
// than by a rich-text document, which takes seconds over the 4,000 rows of a large panel.
namespace ReportDocument {

// A4 upright, with the margins the report is laid out for.
QPageLayout a4();

// Paints the pages onto `device` (a PDF writer or a printer), in the device's page
// layout; the number of pages, or 0 when the device could not be painted on.
int paint(const ReportContent &content, QPagedPaintDevice &device);

// Saves the report as HTML or PDF, by the file's extension (".pdf", anything else HTML);
// nothing half-written is left. `pages` gets the PDF's page count.
bool save(const ReportContent &content, const QString &fileName, QString *error, int *pages = nullptr);

bool isPdf(const QString &fileName);

} // namespace ReportDocument
