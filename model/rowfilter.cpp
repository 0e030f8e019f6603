#include <model/rowfilter.h>

#include <QRegularExpression>

std::optional<RowFilter> RowFilter::parse(const QString &text, const FieldResolver &resolveField)
{
    RowFilter filter;
    filter.m_text = text;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return filter;

    static const QRegularExpression joiner(QStringLiteral("\\s+(or|and)\\s+"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression comparison(
            QStringLiteral("^\\(?\\s*([A-Za-z_][A-Za-z0-9_]*)\\s*=\\s*(-?\\d+)\\s*\\)?$"));

    std::optional<Join> join;
    int start = 0;
    auto it = joiner.globalMatch(trimmed);
    QStringList terms;
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const Join found = match.captured(1).compare(QLatin1String("or"), Qt::CaseInsensitive) == 0
                ? Join::Or
                : Join::And;
        if (join && *join != found)
            return std::nullopt; // mixing the two would need precedence rules nobody uses
        join = found;
        terms << trimmed.mid(start, match.capturedStart() - start);
        start = match.capturedEnd();
    }
    terms << trimmed.mid(start);
    filter.m_join = join.value_or(Join::Or);

    for (const QString &term : std::as_const(terms)) {
        const QRegularExpressionMatch match = comparison.match(term.trimmed());
        if (!match.hasMatch())
            return std::nullopt;
        const QString fieldName = match.captured(1);
        const bool bracketed = term.trimmed().startsWith(u'(');
        if (bracketed != term.trimmed().endsWith(u')'))
            return std::nullopt;
        const int field = resolveField(fieldName);
        bool ok = false;
        const int value = match.captured(2).toInt(&ok);
        if (field < 0 || !ok)
            return std::nullopt;
        filter.m_comparisons.append({ field, value });
    }
    return filter;
}
