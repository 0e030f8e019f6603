#pragma once

#include <help/manualchapter.h>

#include <QList>
#include <QString>
#include <QStringList>

// The manual's source folder: its chapters in the order they are read, and the pictures beside
// them in pictures/.
class ManualSource
{
public:
    explicit ManualSource(const QString &folder);

    // The chapters' files, in their order in the manual.
    static QStringList chapterFiles();

    const QList<ManualChapter> &chapters() const { return m_chapters; }
    // The picture files there are, as a chapter names them: "pictures/NAME.png".
    const QStringList &pictures() const { return m_pictures; }
    // Chapters that could not be read.
    const QStringList &problems() const { return m_problems; }

private:
    QList<ManualChapter> m_chapters;
    QStringList m_pictures;
    QStringList m_problems;
};
