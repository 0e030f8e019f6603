#pragma once

#include <QRegularExpression>
#include <QTest>

// For the init() of a core suite: a Qt warning that the test does not announce with
// QTest::ignoreMessage fails it, since the core warns only about programming errors.
inline void failOnUnexpectedWarnings()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}
