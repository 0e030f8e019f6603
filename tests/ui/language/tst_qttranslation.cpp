// Qt's own texts in Russian once the translation is installed, as the program does at
// start; the program's own texts unchanged beside them.

#include "modalanswers.h"

#include <ui/font/programfont.h>
#include <ui/language/qttranslation.h>
#include <ui/main/mainform.h>

#include <QAction>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

QString shown(QString text)
{
    return text.remove(u'&'); // the access key's mark is not seen
}

QStringList buttonTexts(const QWidget *window)
{
    QStringList texts;
    for (const QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
        if (button->isVisible())
            texts << shown(button->text());
    }
    texts.sort();
    return texts;
}

} // namespace

class TestQtTranslation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void folders_besideTheProgramFirst();
    void fileDialog_speaksRussian();
    void messageBox_standardButtons();
    void textBox_contextMenu();
    void programsOwnQuestion_keepsItsButtons();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestQtTranslation::initTestCase()
{
    QApplication::setApplicationName(u"Mirvane"_s);
    Q_INIT_RESOURCE(resources);
    installProgramFont();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());

    // A copy beside the program, as on Windows, goes before Qt's own.
    const QString system = QDir(QLibraryInfo::path(QLibraryInfo::TranslationsPath)).filePath(u"qtbase_ru.qm"_s);
    QVERIFY2(QFileInfo::exists(system), "Debian's qt6-translations-l10n is not installed");
    const QString beside = m_dir->filePath(u"translations"_s);
    QVERIFY(QDir().mkpath(beside));
    QVERIFY(QFile::copy(system, QDir(beside).filePath(u"qtbase_ru.qm"_s)));
    const QString missing = m_dir->filePath(u"missing"_s);
    QCOMPARE(QtTranslation::install({ missing, beside, QLibraryInfo::path(QLibraryInfo::TranslationsPath) }),
             QDir(beside).filePath(u"qtbase_ru.qm"_s));
}

void TestQtTranslation::folders_besideTheProgramFirst()
{
    QCOMPARE(QtTranslation::folders(),
             (QStringList { QCoreApplication::applicationDirPath() + u"/translations"_s,
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath) }));
    QCOMPARE(QtTranslation::install({ m_dir->filePath(u"missing"_s) }), QString());
}

// The program's own file dialog, opened by its command.
void TestQtTranslation::fileDialog_speaksRussian()
{
    TMainForm form({ m_dir->path(), m_dir->filePath(u"port.ini"_s), m_dir->filePath(u"backups"_s) });
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QStringList buttons;
    whenModalOpens([&](QWidget *dialog) {
        QVERIFY2(qobject_cast<QFileDialog *>(dialog), dialog->metaObject()->className());
        const auto *box = dialog->findChild<QDialogButtonBox *>();
        QVERIFY(box);
        buttons = buttonTexts(box);
        QMetaObject::invokeMethod(qobject_cast<QDialog *>(dialog), &QDialog::reject, Qt::QueuedConnection);
    });
    form.findChild<QAction *>(u"N3"_s)->trigger();
    QCOMPARE(buttons, (QStringList { u"Открыть"_s, u"Отмена"_s }));
}

void TestQtTranslation::messageBox_standardButtons()
{
    QMessageBox box(QMessageBox::Question, u"Mirvane"_s, u"?"_s,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QCOMPARE(shown(box.button(QMessageBox::Yes)->text()), u"Да"_s);
    QCOMPARE(shown(box.button(QMessageBox::No)->text()), u"Нет"_s);
    QCOMPARE(shown(box.button(QMessageBox::Cancel)->text()), u"Отмена"_s);
}

void TestQtTranslation::textBox_contextMenu()
{
    QLineEdit edit(u"текст"_s);
    const std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList texts;
    for (const QAction *action : menu->actions()) {
        if (!action->isSeparator())
            texts << shown(action->text()).section(u'\t', 0, 0);
    }
    QVERIFY2(texts.contains(u"Копировать"_s) && texts.contains(u"Вставить"_s), qPrintable(texts.join(u", "_s)));
}

// The question's own "Да", "Нет", "Отмена", without access keys, whatever Qt's would be.
void TestQtTranslation::programsOwnQuestion_keepsItsButtons()
{
    TMainForm form({ m_dir->path(), m_dir->filePath(u"port.ini"_s), m_dir->filePath(u"backups"_s) });
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.configuration().changeSettings([](SystemSettings &s) { s.ud6 = 5; });
    QStringList buttons;
    whenModalOpens([&](QWidget *box) {
        for (const QAbstractButton *button : box->findChildren<QAbstractButton *>())
            buttons << button->text();
        pressButton(box, u"Отмена"_s);
    });
    QVERIFY(!form.close());
    buttons.sort();
    QCOMPARE(buttons, (QStringList { u"Да"_s, u"Нет"_s, u"Отмена"_s }));
}

QTEST_MAIN(TestQtTranslation)
#include "tst_qttranslation.moc"
