#include <ui/input/checkvalidator.h>

#include <QLineEdit>

CheckValidator::CheckValidator(InputCheck check, QObject *parent) : QValidator(parent), m_check(std::move(check)) { }

QValidator::State CheckValidator::validate(QString &text, int &) const
{
    switch (m_check.validate(text)) {
    case InputCheck::State::Invalid:
        return Invalid;
    case InputCheck::State::Intermediate:
        return Intermediate;
    case InputCheck::State::Acceptable:
        break;
    }
    return Acceptable;
}

void CheckValidator::bind(QLineEdit *box, const InputCheck &check)
{
    if (check.maxLength() > 0)
        box->setMaxLength(check.maxLength());
    box->setValidator(new CheckValidator(check, box));
}
