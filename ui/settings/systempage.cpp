#include <ui/settings/systempage.h>

#include <ui/settings/keyfilter.h>
#include <ui/settings/pagelayout.h>
#include <ui/settings/settingsbinder.h>

#include <model/settingsinput.h>

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <array>

using namespace Qt::StringLiterals;

namespace {

struct Switch
{
    const char16_t *name;
    const char16_t *caption;
    bool SystemSettings::*field;
};

const std::array<Switch, 5> Switches { {
    { u"ckbFire", u"Включить реле \"Пожар\"", &SystemSettings::ckbFire },
    { u"ckbNeisp", u"Включить реле \"Неисправность\"", &SystemSettings::ckbNeisp },
    { u"ckbComm", u"Включить коммуникатор", &SystemSettings::ckbComm },
    { u"ckbAPK", u"Включить вторую АПК", &SystemSettings::ckbAPK },
    { u"ckbNotiv", u"Повторное включение оповещения", &SystemSettings::ckbNotiv },
} };

// "Код доступа 1" .. "Код доступа N" of one kind of user, each bound to its slot in `codes`.
template <std::size_t N>
QGroupBox *accessCodes(const QString &title, const QString &namePrefix,
                       std::array<QString, N> SystemSettings::*codes, SettingsBinder &binder, Notifier &notifier)
{
    auto *group = new QGroupBox(title);
    auto *grid = new QGridLayout(group);
    grid->setHorizontalSpacing(PageLayout::Spacing);
    grid->setVerticalSpacing(PageLayout::Spacing);
    for (std::size_t i = 0; i < N; ++i) {
        const QString number = QString::number(i + 1);
        QLineEdit *box = PageLayout::addCaptionedBox(grid, int(i), u"Код доступа "_s + number, namePrefix + number);
        PageLayout::fitWidth(box, QString(SettingsInput::accessCodeCheck().maxLength(), u'0'));
        new KeyFilter(box, [&notifier = notifier](QChar key) {
            return SettingsInput::acceptAccessCodeKey(key, notifier);
        });
        binder.bindText(box, [codes, i](auto &settings) -> auto & { return (settings.*codes)[i]; },
                        SettingsInput::accessCodeCheck());
    }
    return group;
}

} // namespace

SystemPage::SystemPage(Configuration &configuration, Notifier &notifier, QWidget *parent) : QWidget(parent)
{
    setFixedSize(Width, Height);
    auto *binder = new SettingsBinder(configuration, this);

    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(PageLayout::Spacing, PageLayout::Spacing, PageLayout::Spacing, PageLayout::Spacing);
    page->setSpacing(PageLayout::Spacing);

    auto *messageGrid = new QGridLayout;
    messageGrid->setHorizontalSpacing(PageLayout::Spacing);
    messageGrid->setColumnStretch(1, 1);
    // Any text up to its limit: the box takes the rest of the row.
    QLineEdit *message = PageLayout::addCaptionedBox(messageGrid, 0, u"Информационное сообщение"_s,
                                                     u"edInfMessage"_s, Qt::Alignment());
    binder->bindText(message, [](auto &settings) -> auto & { return settings.edInfMessage; },
                     SettingsInput::informationMessageCheck());
    page->addLayout(messageGrid);

    for (const Switch &item : Switches) {
        auto *box = new QCheckBox(QString::fromUtf16(item.caption));
        box->setObjectName(QString::fromUtf16(item.name));
        box->setAccessibleName(box->text());
        binder->bindCheck(box, [field = item.field](auto &settings) -> auto & { return settings.*field; });
        page->addWidget(box);
    }

    auto *heading = new QLabel(u"Пользователи"_s);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    page->addSpacing(PageLayout::Spacing);
    page->addWidget(heading);

    auto *groups = new QHBoxLayout;
    groups->setSpacing(PageLayout::Spacing);
    QGroupBox *administrators =
            accessCodes(u"Администраторы"_s, u"edAdminPass"_s, &SystemSettings::edAdminPass, *binder, notifier);
    QGroupBox *installers =
            accessCodes(u"Установщики"_s, u"edMasterPass"_s, &SystemSettings::edMasterPass, *binder, notifier);
    groups->addWidget(administrators, 0, Qt::AlignTop);
    groups->addWidget(installers, 0, Qt::AlignTop);
    groups->addStretch();
    page->addLayout(groups);
    page->addStretch();
}
