#include <ui/main/filedialogs.h>

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>

namespace FileDialogs {

QList<NameFilter> parse(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QList<NameFilter> filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters.append({ parts.at(i), parts.at(i + 1) });
    return filters;
}

namespace {

// Qt reads a filter's patterns from the parentheses that end its text, so a text that
// does not end in its own patterns gets them added.
QString qtFilter(const NameFilter &filter)
{
    const QString trimmed = filter.shown.trimmed();
    if (trimmed.endsWith(u'(' + filter.patterns + u')'))
        return trimmed;
    return QStringLiteral("%1 (%2)").arg(trimmed, filter.patterns);
}

void startIn(QFileDialog &dialog, const QString &folder)
{
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        dialog.setDirectory(folder);
}

QString run(QWidget *parent, const QString &filter, QFileDialog::AcceptMode mode, const QString &folder)
{
    const QList<NameFilter> filters = parse(filter);
    QStringList qtFilters;
    for (const NameFilter &f : filters)
        qtFilters.append(qtFilter(f));

    QFileDialog dialog(parent);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(QFileDialog::AnyFile); // a name that does not exist yet is the loader's to refuse
    dialog.setNameFilters(qtFilters);
    if (mode == QFileDialog::AcceptSave)
        dialog.setDefaultSuffix(QStringLiteral("tab"));
    startIn(dialog, folder);
    // Qt's own dialog lists the filters in a combo box: it shows the exact texts there,
    // while the filters it applies stay the ones above.
    if (auto *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"))) {
        for (int i = 0; i < types->count() && i < filters.size(); ++i)
            types->setItemText(i, filters.at(i).shown);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString openFileName(QWidget *parent, const QString &folder)
{
    return run(parent, OpenFilter, QFileDialog::AcceptOpen, folder);
}

QString saveFileName(QWidget *parent, const QString &folder)
{
    return run(parent, SaveFilter, QFileDialog::AcceptSave, folder);
}

QString reportFileName(QWidget *parent, const QString &suggested, const QString &folder)
{
    QFileDialog dialog(parent, QStringLiteral("Отчёт"));
    dialog.setObjectName(QStringLiteral("ReportFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QStringList types { QStringLiteral("Отчёт PDF (*.pdf)"), QStringLiteral("Отчёт HTML (*.html *.htm)") };
    dialog.setNameFilters(types);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    // A name typed without an extension gets the one of the type chosen.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, types](const QString &type) {
        dialog.setDefaultSuffix(type == types.at(0) ? QStringLiteral("pdf") : QStringLiteral("html"));
    });
    startIn(dialog, folder);
    dialog.selectFile(suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString csvFolder(QWidget *parent, const QString &folder)
{
    QFileDialog dialog(parent, QStringLiteral("Папка для списков CSV"));
    dialog.setObjectName(QStringLiteral("CsvFolderDialog"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    startIn(dialog, folder);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString csvFileName(QWidget *parent, const QString &folder)
{
    QFileDialog dialog(parent, QStringLiteral("Имена зон из CSV"));
    dialog.setObjectName(QStringLiteral("CsvFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({ QStringLiteral("Таблицы CSV (*.csv)"), QStringLiteral("Все файлы (*)") });
    startIn(dialog, folder);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace FileDialogs
