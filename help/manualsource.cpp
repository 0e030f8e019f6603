#include <help/manualsource.h>

#include <QDir>
#include <QFile>

ManualSource::ManualSource(const QString &folder)
{
    const QDir dir(folder);
    for (const QString &name : chapterFiles()) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            m_problems.append(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
            continue;
        }
        m_chapters.append(ManualChapter(name, QString::fromUtf8(file.readAll())));
    }
    const QDir pictures(dir.filePath(QStringLiteral("pictures")));
    for (const QString &name : pictures.entryList({ QStringLiteral("*.png") }, QDir::Files, QDir::Name))
        m_pictures.append(QStringLiteral("pictures/") + name);
}

QStringList ManualSource::chapterFiles()
{
    return { QStringLiteral("start.html"), QStringLiteral("reading.html"), QStringLiteral("pages.html"),
             QStringLiteral("attach.html"), QStringLiteral("files.html"),   QStringLiteral("cli.html"),
             QStringLiteral("messages.html") };
}
