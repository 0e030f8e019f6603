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

// The core's texts break their lines with a carriage return, which a label drawn as plain
// text (the Windows style draws message texts so) runs together into one line.
QString shown(const QString &text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

} // namespace

void MessageBoxNotifier::information(const QString &text)
{
    QMessageBox::information(m_parent, caption(), shown(text));
}

void MessageBoxNotifier::warning(const QString &text)
{
    QMessageBox::warning(m_parent, caption(), shown(text));
}

// The core's questions are warnings before something that cannot be taken back, and
// are captioned as such.
bool MessageBoxNotifier::question(const QString &text)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"), shown(text), QMessageBox::Yes | QMessageBox::No,
                    m_parent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Yes"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
    return box.exec() == QMessageBox::Yes;
}

void MessageBoxNotifier::error(const QString &text)
{
    QMessageBox::critical(m_parent, caption(), shown(text), QMessageBox::Ok);
}
