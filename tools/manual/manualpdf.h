#pragma once

#include <QString>

// The built manual on A4 pages, as the handover report is printed: each chapter from a new
// page, pictures no wider than the page, the page number at each foot.
namespace ManualPdf {

// `html` is the manual's page; its pictures are read relative to `folder`.
bool write(const QString &html, const QString &folder, const QString &fileName, QString *error);

} // namespace ManualPdf
