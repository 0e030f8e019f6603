#pragma once

#include <QString>
#include <QVector>

#include <functional>
#include <optional>

// A row filter as the grids and dialogs write it: comparisons of an integer field
// with a number, all joined by "or" or all by "and", each optionally in brackets
// ("id_area =7", "r1=5003 or r2=5003", "(id_chan = 1) and (addr = 3)").
// The text is kept exactly as given; an empty text accepts every row.
class RowFilter
{
public:
    struct Comparison
    {
        int field; // index resolved against the table's fields
        int value;
    };
    enum class Join { Or, And };

    using FieldResolver = std::function<int(const QString &name)>; // -1 when unknown

    RowFilter() = default;

    // Empty when the text is not such an expression or names an unknown field.
    static std::optional<RowFilter> parse(const QString &text, const FieldResolver &resolveField);

    QString text() const { return m_text; }
    bool acceptsAll() const { return m_comparisons.isEmpty(); }

    template<typename IntegerAt> // int(int field)
    bool accepts(const IntegerAt &integerAt) const
    {
        if (m_comparisons.isEmpty())
            return true;
        for (const Comparison &comparison : m_comparisons) {
            const bool equal = integerAt(comparison.field) == comparison.value;
            if (m_join == Join::Or && equal)
                return true;
            if (m_join == Join::And && !equal)
                return false;
        }
        return m_join == Join::And;
    }

private:
    QString m_text;
    QVector<Comparison> m_comparisons;
    Join m_join = Join::Or;
};
