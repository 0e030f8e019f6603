#include <ui/language/qttranslation.h>

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

using namespace Qt::StringLiterals;

namespace QtTranslation {

QStringList folders()
{
    return { QDir(QCoreApplication::applicationDirPath()).filePath(u"translations"_s),
             QLibraryInfo::path(QLibraryInfo::TranslationsPath) };
}

QString install(const QStringList &searched)
{
    // qtbase holds the texts of the dialogs, the buttons and the text boxes.
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    for (const QString &folder : searched) {
        auto translator = std::make_unique<QTranslator>();
        if (!translator->load(russian, u"qtbase"_s, u"_"_s, folder))
            continue;
        const QString file = translator->filePath();
        // Owned by the application, which outlives every window that uses it.
        QCoreApplication::installTranslator(translator.get());
        translator.release()->setParent(QCoreApplication::instance());
        return file;
    }
    return {};
}

} // namespace QtTranslation
