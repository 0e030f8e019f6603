#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <functional>

// Answers to the modal windows a command opens, given as the user would give them.

// Runs `answer` on the next modal window that opens (a message box, a dialog), as the user
// would answer it; the command that opened it goes on when it closes.
inline void whenModalOpens(std::function<void(QWidget *)> answer)
{
    auto *timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        timer->stop();
        timer->deleteLater();
        answer(modal);
    });
    timer->start();
}

inline void pressButton(QWidget *box, const QString &text)
{
    for (QAbstractButton *button : box->findChildren<QAbstractButton *>()) {
        if (button->text() == text) {
            button->click();
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no button ") + text));
}

inline QByteArray fileBytes(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Picks `name` in the file dialog now open, as typed into its name field and confirmed.
inline void answerFileDialog(QWidget *modal, const QString &name)
{
    auto *dialog = qobject_cast<QFileDialog *>(modal);
    QVERIFY2(dialog, modal->metaObject()->className());
    auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(edit);
    edit->setText(name);
    QMetaObject::invokeMethod(dialog, &QDialog::accept, Qt::QueuedConnection);
}

