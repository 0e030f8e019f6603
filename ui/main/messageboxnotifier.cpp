#include <ui/main/messageboxnotifier.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

namespace {

// The program's name is the boxes' caption, as the system gives it to messages.
QString caption()
{
    return QApplication::applicationName();
}

} // namespace

void MessageBoxNotifier::information(const QString &text)
{
    QMessageBox::information(m_parent, caption(), text);
}

void MessageBoxNotifier::warning(const QString &text)
{
    QMessageBox::warning(m_parent, caption(), text);
}

// The core's questions are warnings before something that cannot be taken back, and
// are captioned as such.
bool MessageBoxNotifier::question(const QString &text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"), text, QMessageBox::Yes | QMessageBox::No,
                    m_parent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Yes"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
    return box.exec() == QMessageBox::Yes;
}

void MessageBoxNotifier::error(const QString &text)
{
    QMessageBox::critical(m_parent, caption(), text, QMessageBox::Ok);
}
