#include <ui/settings/settingsbinder.h>

#include <ui/input/checkvalidator.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QSignalBlocker>

#include <algorithm>

void showStoredText(QLineEdit *box, const QString &text, int maxLength)
{
    // QLineEdit cuts its text to the limit, and a new limit re-sets the text, which
    // sends the caret to the end: only a limit that really changes is given, caret kept.
    const int limit = std::max(maxLength, int(text.size()));
    const QSignalBlocker blocker(box);
    if (box->maxLength() != limit) {
        const int caret = box->cursorPosition();
        box->setMaxLength(limit);
        box->setCursorPosition(caret);
    }
    if (box->text() != text)
        box->setText(text);
}

SettingsBinder::SettingsBinder(Configuration &configuration, QObject *parent)
    : QObject(parent), m_configuration(configuration)
{
    const ConfigurationNotices &notices = configuration.notices();
    connect(&notices, &ConfigurationNotices::replaced, this, &SettingsBinder::showAll);
    connect(&notices, &ConfigurationNotices::settingsChanged, this, &SettingsBinder::showAll);
}

void SettingsBinder::bindText(QLineEdit *box, SettingsField<QString> field, const InputCheck &check)
{
    box->setValidator(new CheckValidator(check, box));
    connect(box, &QLineEdit::textEdited, this, [this, field](const QString &text) {
        change([&](SystemSettings &settings) { field.of(settings) = text; });
    });
    // Only after the person's own edit: passing through a box changes nothing.
    connect(box, &QLineEdit::editingFinished, this, [this, box, field, check] {
        if (!box->isModified())
            return;
        box->setModified(false);
        const QString reopened = check.reopened(field.of(settings()));
        if (reopened != field.of(settings()))
            change([&](SystemSettings &settings) { field.of(settings) = reopened; });
    });
    const int maxLength = check.maxLength();
    addView([box, field, maxLength](const SystemSettings &settings) {
        showStoredText(box, field.of(settings), maxLength);
    });
}

void SettingsBinder::bindCheck(QCheckBox *box, SettingsField<bool> field)
{
    connect(box, &QCheckBox::clicked, this, [this, field](bool checked) {
        change([&](SystemSettings &settings) { field.of(settings) = checked; });
    });
    addView([box, field](const SystemSettings &settings) {
        const QSignalBlocker blocker(box);
        box->setChecked(field.of(settings));
    });
}

void SettingsBinder::addView(View view)
{
    const QScopedValueRollback showing(m_showing, true);
    view(settings());
    m_views.push_back(std::move(view));
}

void SettingsBinder::showAll()
{
    const QScopedValueRollback showing(m_showing, true);
    for (const View &view : m_views)
        view(settings());
}
