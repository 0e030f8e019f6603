#pragma once

#include <ui/main/mainform.h>

#include <QTemporaryDir>
#include <QTest>

#include <memory>

// A main window that keeps its port settings, backups and "temp.tab" in a test's own folder.
inline MainFormEnvironment environmentIn(const QTemporaryDir &dir)
{
    return { dir.path(), dir.filePath(QStringLiteral("port.ini")), dir.filePath(QStringLiteral("backups")) };
}

// Such a main window, shown and laid out as the user sees it; none when the display never shows it.
inline std::unique_ptr<TMainForm> shownMainForm(const QTemporaryDir &dir)
{
    auto form = std::make_unique<TMainForm>(environmentIn(dir));
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get()))
        return nullptr;
    return form;
}
