#pragma once

#include <model/settingsinput.h>
#include <ui/settings/settingsfield.h>

#include <QObject>

#include <functional>
#include <optional>

class Notifier;
class QLineEdit;
class QToolButton;
class QWidget;
class SettingsBinder;

// A telephone number's box with its pause, find-signal and tone/pulse buttons, for
// number 1 or 2. The box's hint is the number's raw form, so the status bar shows it
// under the pointer. The page lays the four widgets out.
class TelephoneRow : public QObject
{
    Q_OBJECT

public:
    TelephoneRow(int number, SettingsBinder &binder, Notifier &notifier, QWidget *page);

    QLineEdit *box() const { return m_box; }
    QToolButton *pauseButton() const { return m_pause; }
    QToolButton *findSignalButton() const { return m_findSignal; }
    QToolButton *toneButton() const { return m_tone; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using Action = std::function<std::optional<int>(SettingsInput::TelephoneEntry &, int caret)>;

    QToolButton *addButton(const QString &name, QStringView caption, QStringView hint, QWidget *page);
    // Runs a button's action at the caret; a caret that comes back goes into the box.
    void act(const Action &action);
    void show(const SystemSettings &settings);

    const int m_number;
    const SettingsField<QString> m_text;
    SettingsBinder &m_binder;
    QLineEdit *m_box = nullptr;
    QToolButton *m_pause = nullptr;
    QToolButton *m_findSignal = nullptr;
    QToolButton *m_tone = nullptr;
};
