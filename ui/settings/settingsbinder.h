#pragma once

#include <model/configuration.h>
#include <model/inputcheck.h>
#include <ui/settings/settingsfield.h>

#include <QObject>

#include <functional>
#include <utility>
#include <vector>

class QCheckBox;
class QLineEdit;

// Shows `text` in `box` as stored: a stored text longer than `maxLength`, which typing
// could not have made, is shown whole, and the box then takes no more than it holds.
// Leaves the box, its caret and its undo alone when it already shows the text.
void showStoredText(QLineEdit *box, const QString &text, int maxLength);

// Keeps a page's controls and the configuration's settings in step. A person's edit goes
// into the settings as one change; a load or any change of the settings is shown by
// every control of the page. The controls follow only their person-made signals, so
// showing never counts as an edit.
class SettingsBinder : public QObject
{
    Q_OBJECT

public:
    using View = std::function<void(const SystemSettings &)>;

    SettingsBinder(Configuration &configuration, QObject *parent);

    const SystemSettings &settings() const { return m_configuration.settings(); }

    template <typename Change>
    auto change(Change &&change)
    {
        Q_ASSERT_X(!m_showing, "SettingsBinder::change", "a control echoed what it was shown");
        return m_configuration.changeSettings(std::forward<Change>(change));
    }

    // The box takes what `check` passes; when the person leaves it, it shows what a save
    // and a reload would show (leading zeros, capitals, no outer blanks).
    void bindText(QLineEdit *box, SettingsField<QString> field, const InputCheck &check);
    void bindCheck(QCheckBox *box, SettingsField<bool> field);
    // How a control shows the settings: now, and after every load or change.
    void addView(View view);

private:
    void showAll();

    Configuration &m_configuration;
    std::vector<View> m_views;
    bool m_showing = false;
};
