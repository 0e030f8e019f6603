#include <ui/comparison/comparisonform.h>

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

TComparisonForm::TComparisonForm(const QStringList &differences, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(u"ComparisonForm"_s);
    setWindowTitle(u"Сравнение с прибором"_s);

    auto *summary = new QLabel(this);
    summary->setObjectName(u"ComparisonSummary"_s);
    summary->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    if (differences.isEmpty()) {
        summary->setText(u"Прибор хранит ту же конфигурацию, что и программа."_s);
    } else {
        summary->setText(u"Конфигурация в программе отличается от прибора; отличий: %1. "
                         u"Слева от стрелки — что в приборе, справа — что в программе."_s
                                 .arg(differences.size()));
        auto *list = new QPlainTextEdit(differences.join(u'\n'), this);
        list->setObjectName(u"ComparisonDifferences"_s);
        list->setAccessibleName(u"Отличия"_s);
        list->setReadOnly(true);
        list->setLineWrapMode(QPlainTextEdit::NoWrap);
        layout->addWidget(list);
        resize(640, 420);
    }
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *close = buttons->addButton(u"Закрыть"_s, QDialogButtonBox::RejectRole);
    close->setObjectName(u"CloseComparison"_s);
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}
