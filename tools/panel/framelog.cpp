#include "framelog.h"

namespace {

QString describe(const QByteArray &frame)
{
    const int command = frame.size() > 3 ? quint8(frame.at(3)) : 0;
    return QStringLiteral("%1 %2").arg(command, 2, 16, QLatin1Char('0')).arg(frame.size()).toUpper();
}

} // namespace

bool FrameLog::open(const QString &fileName, QString *error)
{
    m_file.setFileName(fileName);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        *error = QStringLiteral("Не удалось открыть журнал «%1»: %2").arg(fileName, m_file.errorString());
        return false;
    }
    return true;
}

void FrameLog::received(const QByteArray &frame)
{
    writeLine(describe(frame));
}

void FrameLog::rejected(const QByteArray &frame)
{
    writeLine(QStringLiteral("bad-crc ") + describe(frame));
}

void FrameLog::note(const QString &line)
{
    writeLine(line);
}

void FrameLog::writeLine(const QString &line)
{
    if (!m_file.isOpen())
        return;
    m_file.write((line + QLatin1Char('\n')).toLatin1());
    m_file.flush();
}
