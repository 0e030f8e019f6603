#include "manualpdf.h"

#include <help/manualdocument.h>
#include <report/reportdocument.h>

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImageReader>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

namespace {

constexpr int Resolution = 600;
constexpr qreal TextDpi = 96; // what the rich text takes a picture's pixel for

// Pictures of wide windows are narrowed to the page, keeping their proportions.
void fitPictures(QTextDocument &document, const QDir &folder, qreal widthAtTextDpi)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            if (!format.isValid())
                continue;
            const QSize size = QImageReader(folder.filePath(format.name())).size();
            if (!size.isValid() || size.width() <= widthAtTextDpi)
                continue;
            format.setWidth(widthAtTextDpi);
            format.setHeight(widthAtTextDpi * size.height() / size.width());
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
}

} // namespace

namespace ManualPdf {

bool write(const QString &html, const QString &folder, const QString &fileName, QString *error)
{
    // Without a font for Cyrillic the pages would show boxes or nothing (Wine without fonts).
    if (QFontDatabase::families(QFontDatabase::Cyrillic).isEmpty()) {
        *error = QStringLiteral("%1: no font with Cyrillic letters to write it with").arg(QDir::toNativeSeparators(fileName));
        return false;
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(fileName), file.errorString());
        return false;
    }
    QPdfWriter writer(&file);
    writer.setCreator(QStringLiteral("Mirvane"));
    writer.setTitle(ManualDocument::title());
    writer.setResolution(Resolution);
    writer.setPageLayout(ReportDocument::a4());

    QFont noteFont(QStringLiteral("sans-serif"));
    noteFont.setPointSizeF(8.5);
    const QFontMetricsF note(noteFont, &writer);
    const QRectF area = writer.pageLayout().paintRectPixels(Resolution);
    const qreal footer = 2 * note.height();
    const QSizeF body(area.width(), area.height() - footer);

    QTextDocument document;
    document.documentLayout()->setPaintDevice(&writer);
    document.setBaseUrl(QUrl::fromLocalFile(QDir(folder).absolutePath() + QLatin1Char('/')));
    document.setHtml(html);
    fitPictures(document, QDir(folder), body.width() * TextDpi / Resolution);
    document.setPageSize(body);

    QPainter painter;
    if (!painter.begin(&writer)) {
        *error = QStringLiteral("%1: the pages could not be drawn").arg(QDir::toNativeSeparators(fileName));
        return false;
    }
    const int count = document.pageCount();
    for (int page = 0; page < count; ++page) {
        if (page > 0)
            writer.newPage();
        painter.save();
        painter.translate(0, -page * body.height());
        document.drawContents(&painter, QRectF(QPointF(0, page * body.height()), body));
        painter.restore();
        const QRectF foot(0, body.height(), body.width(), footer);
        painter.setFont(noteFont);
        painter.drawText(foot, Qt::AlignLeft | Qt::AlignBottom, ManualDocument::title());
        painter.drawText(foot, Qt::AlignRight | Qt::AlignBottom,
                         QStringLiteral("Страница %1 из %2").arg(page + 1).arg(count));
    }
    painter.end();
    if (!file.commit()) {
        *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(fileName), file.errorString());
        return false;
    }
    return true;
}

} // namespace ManualPdf
