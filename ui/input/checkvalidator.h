#pragma once

#include <model/inputcheck.h>

#include <QValidator>

class QLineEdit;

// A box's validator that asks the core's check: what the check refuses is not typed,
// pasted or dropped, and capitals are made as the check makes them.
class CheckValidator : public QValidator
{
    Q_OBJECT

public:
    CheckValidator(InputCheck check, QObject *parent);

    State validate(QString &text, int &position) const override;

    // The box's length and validator from `check`; a stored text longer than the limit,
    // which typing could not have made, is left to whoever shows it.
    static void bind(QLineEdit *box, const InputCheck &check);

private:
    InputCheck m_check;
};
