#pragma once

#include <QString>
#include <QStringList>

// Qt's own texts in Russian: the file dialogs, the standard buttons of message boxes, the
// context menus of text boxes. The program's own texts are not translated.
namespace QtTranslation {

// Where Qt's translation is looked for, in order: "translations" beside the executable,
// where a Windows package puts it, then where Qt keeps its own.
QStringList folders();

// Loads Qt's Russian translation from the first folder that has it and installs it for the
// application's lifetime. Call once the application exists. Returns the file loaded, or an
// empty string when none was found: Qt's texts then stay in English.
QString install(const QStringList &searched = folders());

} // namespace QtTranslation
