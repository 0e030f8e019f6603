#pragma once

#include <help/manualchapter.h>

#include <QList>
#include <QString>
#include <QStringList>

// What would break the built manual: a heading without a usable id or with one another heading
// has, a link that leads nowhere or out of the manual, a picture that is not there. Each problem
// names its chapter's file.
class ManualCheck
{
public:
    // `pictures`: the picture files there are, as "pictures/NAME.png".
    ManualCheck(const QList<ManualChapter> &chapters, const QStringList &pictures);

    const QStringList &problems() const { return m_problems; }
    // Pictures there are that no chapter shows: taken for the manual, and forgotten by it.
    const QStringList &unusedPictures() const { return m_unused; }

    // The anchor of the table of contents the manual is given; no heading may take it.
    static QString contentsId();

private:
    QStringList m_problems;
    QStringList m_unused;
};
