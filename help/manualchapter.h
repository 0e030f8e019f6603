#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A heading of the manual and what its own text refers to, up to the next heading.
struct ManualSection
{
    int level = 0; // 1 a chapter, 2 a section, 3 a subsection…; 0 the text before the first heading
    QString id; // empty when the heading has none
    QString title; // the heading's HTML without its tags
    QStringList links; // every href as written; one inside the manual starts with '#'
    QStringList pictures; // every img src as written
};

// One chapter of the manual's source, an HTML fragment, read into its sections.
class ManualChapter
{
public:
    ManualChapter(const QString &fileName, const QString &html);

    const QString &fileName() const { return m_fileName; }
    const QString &html() const { return m_html; }
    const QList<ManualSection> &sections() const { return m_sections; }

    // The pictures of the section with `id` and of the subsections under it.
    QStringList picturesUnder(const QString &id) const;

private:
    QString m_fileName;
    QString m_html;
    QList<ManualSection> m_sections;
};
