#pragma once

#include <help/manualchapter.h>

#include <QList>
#include <QString>

// The manual as one HTML page: a table of contents of its chapters and sections, then the
// chapters. The headings' ids are the anchors: Qt's rich text takes an id on a heading as
// an anchor name, as browsers do.
namespace ManualDocument {

QString title();

QString html(const QList<ManualChapter> &chapters);

} // namespace ManualDocument
