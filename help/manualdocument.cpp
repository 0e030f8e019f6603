#include <help/manualdocument.h>

#include <help/manualcheck.h>

namespace {

// Only what Qt's rich text understands of CSS. A chapter starts a page on paper.
const char *const styleSheet = R"(body { font-family: sans-serif; }
h1 { font-size: x-large; margin-top: 18px; page-break-before: always; }
h2 { font-size: large; margin-top: 14px; }
h3 { font-size: medium; margin-top: 10px; }
table { border-collapse: collapse; margin-top: 6px; margin-bottom: 6px; }
th, td { border: 1px solid #909090; padding: 3px; vertical-align: top; }
th { background-color: #e6e6e6; text-align: left; }
pre { background-color: #f2f2f2; white-space: pre-wrap; }
)";

QString contents(const QList<ManualChapter> &chapters)
{
    QString list = QStringLiteral("<ul>\n");
    QString chapterEntry;
    QStringList sectionEntries;
    const auto closeChapter = [&] {
        const QString sections = sectionEntries.join(QString());
        if (chapterEntry.isEmpty())
            list += sections;
        else if (sections.isEmpty())
            list += QStringLiteral("<li>%1</li>\n").arg(chapterEntry);
        else
            list += QStringLiteral("<li>%1\n<ul>\n%2</ul></li>\n").arg(chapterEntry, sections);
        chapterEntry.clear();
        sectionEntries.clear();
    };
    for (const ManualChapter &chapter : chapters) {
        for (const ManualSection &section : chapter.sections()) {
            if (section.id.isEmpty())
                continue;
            const QString entry = QStringLiteral("<a href=\"#%1\">%2</a>").arg(section.id, section.title);
            if (section.level == 1) {
                closeChapter();
                chapterEntry = entry;
            } else if (section.level == 2) {
                sectionEntries.append(QStringLiteral("<li>%1</li>\n").arg(entry));
            }
        }
        closeChapter();
    }
    return list + QStringLiteral("</ul>\n");
}

} // namespace

namespace ManualDocument {

QString title()
{
    return QStringLiteral("Mirvane — руководство пользователя");
}

QString html(const QList<ManualChapter> &chapters)
{
    QString page = QStringLiteral("<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n<title>%1</title>\n"
                                  "<style>\n%2</style>\n</head>\n<body>\n")
                           .arg(title(), QString::fromUtf8(styleSheet));
    page += QStringLiteral("<h1 id=\"%1\" style=\"page-break-before: auto\">%2</h1>\n<p><b>Содержание</b></p>\n")
                    .arg(ManualCheck::contentsId(), title());
    page += contents(chapters);
    for (const ManualChapter &chapter : chapters) {
        page += QStringLiteral("\n");
        page += chapter.html().trimmed();
        page += QStringLiteral("\n");
    }
    return page + QStringLiteral("</body>\n</html>\n");
}

} // namespace ManualDocument
