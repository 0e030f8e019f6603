#include <ui/backups/backupsform.h>

#include <storage/backupstore.h>

#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QTableWidgetItem *cell(const QString &text, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *item = new QTableWidgetItem(text);
    item->setTextAlignment(alignment);
    return item;
}

} // namespace

TBackupsForm::TBackupsForm(const BackupStore &backups, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(u"BackupsForm"_s);
    setWindowTitle(u"Резервные копии"_s);
    resize(520, 360);

    const QList<BackupStore::Entry> entries = backups.entries();
    m_list = new QTableWidget(int(entries.size()), 3, this);
    m_list->setObjectName(u"BackupList"_s);
    m_list->setAccessibleName(u"Резервные копии"_s);
    m_list->setHorizontalHeaderLabels({ u"Дата и время"_s, u"Что"_s, u"Размер"_s });
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < entries.size(); ++row) {
        const BackupStore::Entry &entry = entries.at(row);
        QTableWidgetItem *when = cell(entry.taken.toString(u"dd.MM.yyyy HH:mm:ss"_s));
        when->setData(Qt::UserRole, entry.path);
        m_list->setItem(row, 0, when);
        m_list->setItem(row, 1,
                        cell(entry.direction == BackupStore::Direction::Read ? u"прочитано из прибора"_s
                                                                             : u"записано в прибор"_s));
        m_list->setItem(row, 2, cell(u"%1 КБ"_s.arg((entry.size + 1023) / 1024), Qt::AlignRight | Qt::AlignVCenter));
    }
    m_list->resizeColumnsToContents();
    if (!entries.isEmpty())
        m_list->selectRow(0);

    auto *where = new QLabel(QDir::toNativeSeparators(backups.folder()), this);
    where->setObjectName(u"BackupFolder"_s);
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *open = buttons->addButton(u"Открыть"_s, QDialogButtonBox::AcceptRole);
    open->setObjectName(u"OpenBackup"_s);
    open->setEnabled(!entries.isEmpty());
    buttons->addButton(u"Отмена"_s, QDialogButtonBox::RejectRole)->setObjectName(u"CancelBackup"_s);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QTableWidget::cellDoubleClicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(where);
    layout->addWidget(buttons);
}

QString TBackupsForm::chosenFile() const
{
    if (result() != QDialog::Accepted)
        return {};
    const QList<QTableWidgetItem *> chosen = m_list->selectedItems();
    return chosen.isEmpty() ? QString() : m_list->item(chosen.first()->row(), 0)->data(Qt::UserRole).toString();
}
