// Builds the user's manual from its source: mirvane-manual SOURCE_DIR OUT_DIR
// writes OUT_DIR/manual.html, the pictures it shows in OUT_DIR/pictures, and OUT_DIR/manual.pdf.

#include "manualpdf.h"

#include <help/manualcheck.h>
#include <help/manualdocument.h>
#include <help/manualsource.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>
#include <QTextStream>

namespace {

constexpr int ExitSuccess = 0;
constexpr int ExitBroken = 1;
constexpr int ExitFailure = 2;

void say(const QString &text)
{
    QTextStream(stderr) << "mirvane-manual: " << text << '\n';
}

bool writeHtml(const QString &html, const QString &fileName, QString *error)
{
    QSaveFile file(fileName);
    const QByteArray bytes = html.toUtf8();
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(fileName), file.errorString());
    return false;
}

// The manual's pictures, and no other left over from an earlier build.
bool copyPictures(const QDir &from, const QStringList &pictures, const QDir &to, QString *error)
{
    const QString folder = QStringLiteral("pictures");
    if (!to.mkpath(folder)) {
        *error = QStringLiteral("%1: cannot make the folder").arg(QDir::toNativeSeparators(to.filePath(folder)));
        return false;
    }
    const QDir built(to.filePath(folder));
    for (const QString &name : built.entryList(QDir::Files)) {
        if (!pictures.contains(folder + QLatin1Char('/') + name))
            QFile::remove(built.filePath(name));
    }
    for (const QString &picture : pictures) {
        QFile::remove(to.filePath(picture));
        QFile source(from.filePath(picture));
        if (!source.copy(to.filePath(picture))) {
            *error = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(to.filePath(picture)), source.errorString());
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    // The PDF's pages are laid out with fonts, which need a GUI application but no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() != 2) {
        QTextStream(stderr) << "usage: mirvane-manual SOURCE_DIR OUT_DIR\n";
        return ExitFailure;
    }
    const QDir sourceDir(arguments.at(0));
    const QDir outDir(arguments.at(1));

    const ManualSource source(sourceDir.path());
    const ManualCheck check(source.chapters(), source.pictures());
    const QStringList problems = source.problems() + check.problems();
    for (const QString &problem : problems)
        say(problem);
    if (!problems.isEmpty()) {
        say(QStringLiteral("%1 problem(s) in %2; the manual is not built").arg(problems.size())
                    .arg(QDir::toNativeSeparators(sourceDir.path())));
        return ExitBroken;
    }
    // A picture taken for the manual that no chapter shows yet does not break it.
    for (const QString &picture : check.unusedPictures())
        say(QStringLiteral("warning: %1 is shown by no chapter").arg(picture));

    const QString html = ManualDocument::html(source.chapters());
    QString error;
    if (!outDir.mkpath(QStringLiteral(".")) || !copyPictures(sourceDir, source.pictures(), outDir, &error)
        || !writeHtml(html, outDir.filePath(QStringLiteral("manual.html")), &error)
        || !ManualPdf::write(html, outDir.path(), outDir.filePath(QStringLiteral("manual.pdf")), &error)) {
        say(error.isEmpty() ? QStringLiteral("cannot make %1").arg(QDir::toNativeSeparators(outDir.path())) : error);
        return ExitFailure;
    }
    return ExitSuccess;
}
