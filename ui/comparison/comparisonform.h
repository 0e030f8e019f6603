#pragma once

#include <QDialog>

// What a comparison with the panel found, one difference a line, in the words of the
// diff; the text can be selected and copied into a fault report.
class TComparisonForm : public QDialog
{
    Q_OBJECT

public:
    explicit TComparisonForm(const QStringList &differences, QWidget *parent = nullptr);
};
