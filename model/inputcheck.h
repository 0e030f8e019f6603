#pragma once

#include <QString>
#include <QTime>
#include <QVariant>

#include <optional>

// What a box or a grid cell may take so that the image keeps it as it was typed. The
// window binds it as its editor's length and validator; the tables' model takes a
// value only when it passes; whatever does not pass is not taken, without a word.
class InputCheck
{
public:
    // As a validator answers: Intermediate is a start that typing may finish.
    enum class State { Invalid, Intermediate, Acceptable };

    enum class Characters {
        Any, // a text the image does not hold
        Cp1251, // printable characters of windows-1251, kept in their case
        Cp1251Capitals, // the same, upper-cased as they are typed: the slot keeps capitals
        Digits, // "0" .. "9"
        Telephone, // "0" .. "9", "+" pause, "*" wait for the dial tone
    };

    // What a reload shows of a typed text, where it is not the text itself.
    enum class Reopened {
        AsTyped,
        Trimmed, // without leading and trailing blanks
        ZeroPadded, // digit-coded: every stored digit shown, leading zeros too
        ZeroPaddedOrEmpty, // the same, and nothing for zero
    };

    enum class Kind { None, Text, Number, Time };

    InputCheck() = default; // takes anything
    static InputCheck text(int maxLength, Characters characters, Reopened reopened = Reopened::AsTyped);
    // Digits stored as the hexadecimal value they spell, two to a byte.
    static InputCheck digitCoded(int bytes, Reopened reopened);
    static InputCheck number(int minimum, int maximum);
    // Times of day kept in steps of ten minutes, typed as HH:mm.
    static InputCheck tenMinuteTime();

    Kind kind() const { return m_kind; }
    Characters characters() const { return m_characters; }
    int maxLength() const { return m_maxLength; } // 0: no limit
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }

    // A whole text as an editor would hold it; capitals are made in place.
    State validate(QString &text) const;
    State validated(QString text) const { return validate(text); }
    bool takes(QChar c) const;

    // The value a grid edit stores, or none when it is not one the image keeps as it is.
    std::optional<QVariant> taken(const QVariant &value) const;
    // How an editor shows a stored value.
    QString editText(const QVariant &value) const;
    // What a save and a reload show of a taken text.
    QString reopened(const QString &text) const;

    static QString timeText(const QTime &time);

private:
    State validateNumber(const QString &text) const;
    State validateTime(const QString &text) const;

    Kind m_kind = Kind::None;
    Characters m_characters = Characters::Any;
    Reopened m_reopened = Reopened::AsTyped;
    int m_maxLength = 0;
    int m_minimum = 0;
    int m_maximum = 0;
};
