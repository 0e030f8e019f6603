#include <help/manualchapter.h>

#include <QRegularExpression>

namespace {

QStringList attributeValues(const QString &html, const QRegularExpression &pattern)
{
    QStringList values;
    for (const QRegularExpressionMatch &match : pattern.globalMatch(html))
        values.append(match.captured(1));
    return values;
}

void readReferences(ManualSection &section, const QString &text)
{
    static const QRegularExpression link(QStringLiteral(R"re(<a\s[^>]*\bhref\s*=\s*"([^"]*)")re"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression picture(QStringLiteral(R"re(<img\s[^>]*\bsrc\s*=\s*"([^"]*)")re"),
                                            QRegularExpression::CaseInsensitiveOption);
    section.links = attributeValues(text, link);
    section.pictures = attributeValues(text, picture);
}

} // namespace

ManualChapter::ManualChapter(const QString &fileName, const QString &html) : m_fileName(fileName), m_html(html)
{
    static const QRegularExpression heading(
            QStringLiteral(R"re(<h([1-6])(\s[^>]*)?>(.*?)</h\1\s*>)re"),
            QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression id(QStringLiteral(R"re(\bid\s*=\s*"([^"]*)")re"),
                                       QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));

    ManualSection current;
    qsizetype textStart = 0;
    for (const QRegularExpressionMatch &match : heading.globalMatch(html)) {
        readReferences(current, html.mid(textStart, match.capturedStart() - textStart));
        if (current.level > 0 || !current.links.isEmpty() || !current.pictures.isEmpty())
            m_sections.append(current);
        current = ManualSection();
        current.level = match.captured(1).toInt();
        current.id = id.match(match.captured(2)).captured(1);
        current.title = match.captured(3).remove(tag).simplified();
        textStart = match.capturedEnd();
    }
    readReferences(current, html.mid(textStart));
    if (current.level > 0 || !current.links.isEmpty() || !current.pictures.isEmpty())
        m_sections.append(current);
}

QStringList ManualChapter::picturesUnder(const QString &id) const
{
    QStringList pictures;
    int level = 0;
    for (const ManualSection &section : m_sections) {
        if (level == 0 && section.level > 0 && section.id == id)
            level = section.level;
        else if (level > 0 && section.level > 0 && section.level <= level)
            break;
        if (level > 0)
            pictures += section.pictures;
    }
    return pictures;
}
