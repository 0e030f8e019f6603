#include <ui/settings/telephonerow.h>

#include <ui/input/checkvalidator.h>
#include <ui/settings/keyfilter.h>
#include <ui/settings/settingsbinder.h>

#include <QColor>
#include <QEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>

using namespace SettingsInput;
using namespace Qt::StringLiterals;

namespace {

QColor captionColour(SystemSettings::ToneCaptionColour colour)
{
    switch (colour) {
    case SystemSettings::ToneCaptionColour::Blue:
        return QColor(0, 0, 255);
    case SystemSettings::ToneCaptionColour::Grey:
        return QColor(128, 128, 128);
    case SystemSettings::ToneCaptionColour::Black:
        break;
    }
    return QColor(0, 0, 0);
}

} // namespace

TelephoneRow::TelephoneRow(int number, SettingsBinder &binder, Notifier &notifier, QWidget *page)
    : QObject(page),
      m_number(number),
      m_text([number](auto &settings) -> auto & { return number == 1 ? settings.edTelNum1 : settings.edTelNum2; }),
      m_binder(binder)
{
    const QString suffix = QString::number(number);
    m_box = new QLineEdit(page);
    m_box->setObjectName(u"edTelNum"_s + suffix);
    new KeyFilter(m_box, [&notifier = notifier](QChar key) { return acceptTelephoneKey(key, notifier); });
    m_box->installEventFilter(this);
    // A paste with the mouse brings only what the raw form can stand for.
    m_box->setValidator(new CheckValidator(telephoneCheck(), m_box));
    // Typing and a paste with the mouse alike.
    connect(m_box, &QLineEdit::textEdited, this, [this](const QString &typed) {
        m_binder.change([&](SystemSettings &settings) { TelephoneEntry(settings, m_number).edited(typed); });
    });

    m_pause = addButton(u"sbPause"_s + suffix, PauseCaption, PauseHint, page);
    m_findSignal = addButton(u"sbFindSignal"_s + suffix, FindSignalCaption, FindSignalHint, page);
    m_tone = addButton(u"sbTonePulse"_s + suffix, PulseCaption, TonePulseHint, page);
    m_tone->setCheckable(true);

    connect(m_pause, &QToolButton::clicked, this,
            [this] { act([](TelephoneEntry &entry, int caret) { return entry.insertPause(caret); }); });
    connect(m_findSignal, &QToolButton::clicked, this,
            [this] { act([](TelephoneEntry &entry, int caret) { return entry.insertFindSignal(caret); }); });
    connect(m_tone, &QToolButton::clicked, this,
            [this](bool pressed) { act([pressed](TelephoneEntry &entry, int) { return entry.setTone(pressed); }); });

    binder.addView([this](const SystemSettings &settings) { show(settings); });
}

QToolButton *TelephoneRow::addButton(const QString &name, QStringView caption, QStringView hint, QWidget *page)
{
    auto *button = new QToolButton(page);
    button->setObjectName(name);
    button->setText(caption.toString());
    button->setAccessibleName(caption.toString());
    button->setStatusTip(hint.toString());
    button->setToolTip(hint.toString());
    return button;
}

bool TelephoneRow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyRelease)
        m_binder.change([this](SystemSettings &settings) { TelephoneEntry(settings, m_number).keyReleased(); });
    return QObject::eventFilter(watched, event);
}

void TelephoneRow::act(const Action &action)
{
    const int caret = m_box->hasSelectedText() ? m_box->selectionStart() : m_box->cursorPosition();
    const std::optional<int> newCaret = m_binder.change([&](SystemSettings &settings) {
        TelephoneEntry entry(settings, m_number);
        return action(entry, caret);
    });
    if (!newCaret)
        return;
    show(m_binder.settings());
    m_box->setCursorPosition(*newCaret);
    m_box->setFocus(Qt::OtherFocusReason);
}

void TelephoneRow::show(const SystemSettings &settings)
{
    const bool tone = m_number == 1 ? settings.sbTonePulse1 : settings.sbTonePulse2;
    const QString &raw = m_number == 1 ? settings.edTelNum1Raw : settings.edTelNum2Raw;
    showStoredText(m_box, m_text.of(settings), TelephoneEntry::maxLength(tone));
    m_box->setStatusTip(raw);
    m_box->setToolTip(raw);

    const QSignalBlocker blocker(m_tone);
    m_tone->setChecked(tone);
    const QString caption = TelephoneEntry::caption(tone).toString();
    m_tone->setText(caption);
    m_tone->setAccessibleName(caption);
    const QColor colour = captionColour(m_number == 1 ? settings.sbTonePulse1Colour : settings.sbTonePulse2Colour);
    if (m_tone->palette().color(QPalette::ButtonText) != colour) {
        QPalette palette = m_tone->palette();
        palette.setColor(QPalette::ButtonText, colour);
        m_tone->setPalette(palette);
    }
}
