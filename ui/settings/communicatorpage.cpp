#include <ui/settings/communicatorpage.h>

#include <ui/settings/keyfilter.h>
#include <ui/settings/pagelayout.h>
#include <ui/settings/settingsbinder.h>
#include <ui/settings/telephonerow.h>
#include <ui/settings/updownbuttons.h>

#include <model/settingsinput.h>

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>

#include <algorithm>

using namespace Qt::StringLiterals;
using SettingsInput::UpDownRange;

namespace {

// A stored number can have four digits: the test interval is kept in minutes, up to 65535.
const QString WidestNumber = u"0000"_s;

// The telephone buttons stand together, each wide enough for any of the captions, so the
// tone button keeps its size as it changes.
constexpr int ButtonSpacing = 4;
constexpr int ButtonPadding = 12;

int telephoneButtonWidth(const QFontMetrics &metrics)
{
    int width = 0;
    for (const QStringView caption : { SettingsInput::PauseCaption, SettingsInput::FindSignalCaption,
                                       SettingsInput::PulseCaption, SettingsInput::ToneCaption })
        width = std::max(width, metrics.horizontalAdvance(caption.toString()));
    return width + ButtonPadding;
}

// The controls right of a caption, in a row of their own so the boxes line up.
QHBoxLayout *addRow(QGridLayout *grid, int row, const QString &caption, QWidget *captioned)
{
    PageLayout::addCaption(grid, row, caption, captioned);
    auto *controls = new QHBoxLayout;
    controls->setSpacing(PageLayout::Spacing);
    grid->addLayout(controls, row, 1);
    return controls;
}

QLineEdit *digitsBox(const QString &name, const InputCheck &check, SettingsBinder &binder, Notifier &notifier,
                     SettingsField<QString> field)
{
    auto *box = new QLineEdit;
    box->setObjectName(name);
    PageLayout::fitWidth(box, QString(check.maxLength(), u'0'));
    new KeyFilter(box, [&notifier = notifier](QChar key) {
        return SettingsInput::acceptAccessCodeKey(key, notifier);
    });
    binder.bindText(box, std::move(field), check);
    return box;
}

struct NumberBox
{
    QLineEdit *box;
    QHBoxLayout *layout; // the box, its arrows and its unit
};

// A read-only number box with its arrows and its unit, bound to `field` within `range`.
// The box shows the stored number even outside the range; an arrow brings it in.
NumberBox numberBox(const QString &number, const QString &unit, const QString &accessibleName,
                    const UpDownRange &range, SettingsField<int> field, SettingsBinder &binder)
{
    auto *box = new QLineEdit;
    box->setObjectName(u"timeed"_s + number);
    box->setAccessibleName(accessibleName);
    PageLayout::fitWidth(box, WidestNumber);
    auto *arrows = new UpDownButtons(box, nullptr);
    arrows->setObjectName(u"ud"_s + number);
    arrows->setAccessibleName(accessibleName);

    auto *layout = new QHBoxLayout;
    layout->setSpacing(0);
    layout->addWidget(box);
    layout->addWidget(arrows);
    layout->addSpacing(PageLayout::Spacing);
    layout->addWidget(new QLabel(unit));

    QObject::connect(arrows, &UpDownButtons::stepped, &binder, [&binder, field, range](int direction) {
        binder.change([&](SystemSettings &settings) {
            int &value = field.of(settings);
            value = range.stepped(value, direction);
        });
    });
    binder.addView([box, field](const SystemSettings &settings) {
        const QString shown = QString::number(field.of(settings));
        if (box->text() != shown) {
            const QSignalBlocker blocker(box);
            box->setText(shown);
        }
    });
    return { box, layout };
}

void bindMode(QComboBox *mode, SettingsBinder &binder)
{
    QObject::connect(mode, &QComboBox::activated, &binder, [&binder](int index) {
        binder.change([index](SystemSettings &settings) { settings.cbModeAndOr = index; });
    });
    QObject::connect(mode->lineEdit(), &QLineEdit::textEdited, &binder, [&binder](const QString &text) {
        binder.change(
                [&text](SystemSettings &settings) { settings.cbModeAndOr = SettingsInput::modeAndOrIndex(text); });
    });
    binder.addView([mode](const SystemSettings &settings) {
        const int index = settings.cbModeAndOr;
        // A typed text that names no item stays while the settings name none.
        const bool shown = index < 0 ? SettingsInput::modeAndOrIndex(mode->currentText()) < 0
                                     : mode->currentIndex() == index && mode->currentText() == mode->itemText(index);
        if (!shown) {
            const QSignalBlocker blocker(mode);
            mode->setCurrentIndex(index);
        }
    });
}

} // namespace

CommunicatorPage::CommunicatorPage(Configuration &configuration, Notifier &notifier, QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(Width, Height);
    auto *binder = new SettingsBinder(configuration, this);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(PageLayout::Spacing, PageLayout::Spacing, PageLayout::Spacing, PageLayout::Spacing);
    grid->setHorizontalSpacing(PageLayout::Spacing);
    grid->setVerticalSpacing(PageLayout::Spacing);
    int row = 0;

    const auto addDigits = [&](const QString &caption, const QString &name, const InputCheck &check,
                               SettingsField<QString> field) {
        QLineEdit *box = digitsBox(name, check, *binder, notifier, std::move(field));
        QHBoxLayout *controls = addRow(grid, row++, caption, box);
        controls->addWidget(box);
        controls->addStretch();
    };
    addDigits(u"Первый регистрационный номер "_s, u"edNumReg1"_s, SettingsInput::registrationNumberCheck(),
              [](auto &settings) -> auto & { return settings.edNumReg1; });
    addDigits(u"Второй регистрационный номер"_s, u"edNumReg2"_s, SettingsInput::registrationNumberCheck(),
              [](auto &settings) -> auto & { return settings.edNumReg2; });

    for (const int number : { 1, 2 }) {
        auto *telephone = new TelephoneRow(number, *binder, notifier, this);
        QLineEdit *box = telephone->box();
        PageLayout::fitWidth(box, QString(SettingsInput::TelephoneEntry::PulseMaxLength, u'0'));
        QHBoxLayout *controls =
                addRow(grid, row++, number == 1 ? u"Первый телефонный номер"_s : u"Второй телефонный номер"_s, box);
        controls->addWidget(box);
        auto *buttons = new QHBoxLayout;
        buttons->setSpacing(ButtonSpacing);
        for (QToolButton *button :
             { telephone->pauseButton(), telephone->findSignalButton(), telephone->toneButton() }) {
            button->setFixedSize(telephoneButtonWidth(button->fontMetrics()), box->sizeHint().height());
            buttons->addWidget(button);
        }
        controls->addLayout(buttons);
        controls->addStretch();
    }

    auto *mode = new QComboBox;
    mode->setObjectName(u"cbModeAndOr"_s);
    mode->setEditable(true);
    mode->setInsertPolicy(QComboBox::NoInsert);
    mode->setCompleter(nullptr); // a typed text stands as typed: "И" is not completed to "ИЛИ"
    mode->addItems({ SettingsInput::ModeOrText.toString(), SettingsInput::ModeAndText.toString() });
    bindMode(mode, *binder);
    QHBoxLayout *modeRow = addRow(grid, row++, u"Режим дозвона"_s, mode);
    modeRow->addWidget(mode);
    modeRow->addStretch();

    addDigits(u"Количество попыток"_s, u"edCount"_s, SettingsInput::attemptsCheck(),
              [](auto &settings) -> auto & { return settings.edCount; });

    // The minutes share the caption: each box says which part of the time it holds.
    const NumberBox hours = numberBox(u"6"_s, u"час"_s, u"Время первого теста, час"_s,
                                      SettingsInput::FirstTestHoursRange,
                                      [](auto &settings) -> auto & { return settings.ud6; }, *binder);
    const NumberBox minutes = numberBox(u"7"_s, u"мин"_s, u"Время первого теста, мин"_s,
                                        SettingsInput::FirstTestMinutesRange,
                                        [](auto &settings) -> auto & { return settings.ud7; }, *binder);
    QHBoxLayout *firstTest = addRow(grid, row++, u"Время первого теста"_s, hours.box);
    firstTest->addLayout(hours.layout);
    firstTest->addLayout(minutes.layout);
    firstTest->addStretch();

    const NumberBox interval = numberBox(u"8"_s, u"час"_s, u"Интервал тестов, час"_s,
                                         SettingsInput::TestIntervalHoursRange,
                                         [](auto &settings) -> auto & { return settings.ud8; }, *binder);
    QHBoxLayout *intervalRow = addRow(grid, row++, u"Интервал тестов"_s, interval.box);
    intervalRow->addLayout(interval.layout);
    intervalRow->addStretch();

    grid->setRowStretch(row, 1);
    grid->setColumnStretch(1, 1);
}
