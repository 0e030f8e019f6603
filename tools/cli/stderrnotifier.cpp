#include "stderrnotifier.h"

#include <QTextStream>

namespace {
void print(const QString &text)
{
    QTextStream(stderr) << text << Qt::endl;
}
} // namespace

void StderrNotifier::information(const QString &text)
{
    print(text);
}

void StderrNotifier::warning(const QString &text)
{
    m_warned = true;
    print(text);
}

bool StderrNotifier::question(const QString &text)
{
    print(text + (m_answer ? QStringLiteral(" — да") : QStringLiteral(" — нет")));
    return m_answer;
}
