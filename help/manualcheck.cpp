#include <help/manualcheck.h>

#include <QHash>
#include <QRegularExpression>
#include <QSet>

ManualCheck::ManualCheck(const QList<ManualChapter> &chapters, const QStringList &pictures)
{
    static const QRegularExpression idForm(QStringLiteral("^[a-z0-9]+(-[a-z0-9]+)*$"));
    static const QRegularExpression pictureForm(QStringLiteral("^pictures/[^/]+\\.png$"));

    QHash<QString, QString> owners; // id -> the file of its heading
    owners.insert(contentsId(), QStringLiteral("the table of contents"));
    for (const ManualChapter &chapter : chapters) {
        const auto problem = [&](const QString &text) { m_problems.append(chapter.fileName() + QStringLiteral(": ") + text); };
        int chapterHeadings = 0;
        for (const ManualSection &section : chapter.sections()) {
            if (section.level == 1)
                ++chapterHeadings;
            if (section.level == 0)
                continue;
            if (section.id.isEmpty()) {
                problem(QStringLiteral("heading \"%1\" has no id").arg(section.title));
            } else if (!idForm.match(section.id).hasMatch()) {
                problem(QStringLiteral("id \"%1\" is not lower-case Latin letters, digits and hyphens").arg(section.id));
            } else if (owners.contains(section.id)) {
                problem(QStringLiteral("id \"%1\" is already taken by %2").arg(section.id, owners.value(section.id)));
            } else {
                owners.insert(section.id, chapter.fileName());
            }
        }
        if (chapterHeadings != 1)
            problem(QStringLiteral("%1 chapter headings (h1), where one is wanted").arg(chapterHeadings));
    }

    const QSet<QString> present(pictures.cbegin(), pictures.cend());
    QSet<QString> shown;
    for (const ManualChapter &chapter : chapters) {
        const auto problem = [&](const QString &text) { m_problems.append(chapter.fileName() + QStringLiteral(": ") + text); };
        for (const ManualSection &section : chapter.sections()) {
            for (const QString &link : section.links) {
                if (!link.startsWith(QLatin1Char('#')))
                    problem(QStringLiteral("link to \"%1\" leads out of the manual").arg(link));
                else if (!owners.contains(link.mid(1)))
                    problem(QStringLiteral("link to %1, which no heading has").arg(link));
            }
            for (const QString &picture : section.pictures) {
                shown.insert(picture);
                if (!pictureForm.match(picture).hasMatch())
                    problem(QStringLiteral("picture \"%1\" is not a pictures/NAME.png").arg(picture));
                else if (!present.contains(picture))
                    problem(QStringLiteral("picture %1 does not exist").arg(picture));
            }
        }
    }
    for (const QString &picture : pictures) {
        if (!shown.contains(picture))
            m_unused.append(picture);
    }
}

QString ManualCheck::contentsId()
{
    return QStringLiteral("contents");
}
