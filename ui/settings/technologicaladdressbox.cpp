#include <ui/settings/technologicaladdressbox.h>

#include <ui/input/checkvalidator.h>
#include <ui/settings/keyfilter.h>
#include <ui/settings/settingsbinder.h>

#include <model/settingsinput.h>

#include <QLabel>
#include <QLineEdit>

using namespace Qt::StringLiterals;
using namespace SettingsInput;

namespace {
// Within the box's area: the caption wraps over three lines above the box.
constexpr QRect CaptionGeometry { 0, 0, 96, 39 };
constexpr QRect BoxGeometry { 0, 45, 98, 21 };
} // namespace

TechnologicalAddressBox::TechnologicalAddressBox(Configuration &configuration, Notifier &notifier, QWidget *page)
    : QWidget(page)
{
    setGeometry(Area);
    auto *binder = new SettingsBinder(configuration, this);

    auto *box = new QLineEdit(this);
    box->setObjectName(u"edAddrKLM"_s);
    box->setGeometry(BoxGeometry);
    new KeyFilter(box, acceptTechnologicalAddressKey);
    box->setValidator(new CheckValidator(technologicalAddressCheck(), box)); // a paste too

    auto *caption = new QLabel(u"Адрес технологического модуля"_s, this);
    caption->setObjectName(u"Label1"_s);
    caption->setGeometry(CaptionGeometry);
    caption->setWordWrap(true);
    caption->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    caption->setBuddy(box);
    box->setAccessibleName(caption->text());

    connect(box, &QLineEdit::textEdited, binder, [binder, box, &notifier = notifier](const QString &text) {
        const bool replaced = binder->change([&](SystemSettings &settings) {
            settings.edAddrKLM = text;
            return technologicalAddressEdited(settings, notifier);
        });
        // The replacement may equal what was stored before the edit: no change is announced.
        if (replaced)
            showStoredText(box, binder->settings().edAddrKLM, TechnologicalAddressMaxLength);
    });
    binder->addView([box](const SystemSettings &settings) {
        showStoredText(box, settings.edAddrKLM, TechnologicalAddressMaxLength);
    });
}
