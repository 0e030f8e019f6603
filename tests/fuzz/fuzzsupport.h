#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

// A promise of the code under test that an input broke: say which and crash, so that
// libFuzzer keeps the input. `detail` is only built when the check fails.
#define FUZZ_CHECK(condition, detail)                                                          \
    do {                                                                                       \
        if (!(condition))                                                                      \
            fuzzFailure(#condition, __FILE__, __LINE__, (detail));                             \
    } while (false)

[[noreturn]] inline void fuzzFailure(const char *condition, const char *file, int line, const QString &detail)
{
    std::fprintf(stderr, "%s:%d: broken: %s\n", file, line, condition);
    if (!detail.isEmpty())
        std::fprintf(stderr, "%s\n", qUtf8Printable(detail));
    std::abort();
}

// The core warns about programming errors (an image index out of range, a write without a
// current row) and goes on; here every such message ends the run. Only the warnings that
// refused input is expected to give are let through, silently, so they do not slow the runs.
inline void treatQtMessagesAsFaults(const QStringList &expectedWarnings = {})
{
    static QStringList expected;
    expected = expectedWarnings;
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type == QtDebugMsg || type == QtInfoMsg)
            return;
        if (type == QtWarningMsg) {
            for (const QString &warning : std::as_const(expected)) {
                if (text.contains(warning))
                    return;
            }
        }
        fuzzFailure("no Qt warning", __FILE__, __LINE__, text);
    });
}

// Timers and queued replies need the application object; it lives as long as the process.
inline void startCoreApplication(int *argc, char ***argv)
{
    static QCoreApplication application(*argc, *argv);
}

// The input of a step-by-step target: steps of an operation byte, a length byte and that
// many bytes (fewer at the end of the input). Simple enough for seeds to be written by hand.
struct FuzzStep
{
    quint8 operation;
    QByteArray bytes;

    // Byte `index` of the step, 0 past its end.
    int number(int index) const { return index < bytes.size() ? quint8(bytes.at(index)) : 0; }
};

class FuzzSteps
{
public:
    FuzzSteps(const uint8_t *data, size_t size)
        : m_input(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)))
    {
    }

    std::optional<FuzzStep> next()
    {
        if (m_position + 2 > m_input.size())
            return std::nullopt;
        const quint8 operation = quint8(m_input.at(m_position));
        const int length = quint8(m_input.at(m_position + 1));
        FuzzStep step { operation, m_input.mid(m_position + 2, length) };
        m_position += 2 + length;
        return step;
    }

    // How a seed writes one step.
    static QByteArray encode(quint8 operation, const QByteArray &bytes)
    {
        return QByteArray(1, char(operation)) + char(qMin(bytes.size(), qsizetype(255))) + bytes.left(255);
    }

private:
    QByteArray m_input;
    qsizetype m_position = 0;
};
