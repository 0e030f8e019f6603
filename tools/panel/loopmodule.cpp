#include "loopmodule.h"

#include <link/frames.h>

#include <algorithm>

namespace {

constexpr quint8 codeDone = 0x00;
constexpr quint8 codeReport = 0x02;
constexpr quint8 codeBusy = 0x03;
constexpr quint8 codeUnknown = 0x05;

constexpr quint8 firstReference = 0x41;
constexpr quint8 firstNumber = 0x01;

quint8 following(quint8 value)
{
    const quint8 next = quint8(value + 1);
    return next == 0x00 ? 0x01 : next;
}

// The panel hands the module's reply on as it came, unescaped: the program reads its
// fields at fixed offsets, which escaping would move.
QByteArray relayReply(const QByteArray &message)
{
    const QByteArray block = message + char(Frames::CalcCRC(message));
    return Frames::withCrc(QByteArray::fromHex("c601") + char((block.size() + 8) & 0xFF)
                           + QByteArray::fromHex("02027e") + block + char(0x7D));
}

QByteArray identity(const Scenario::Device &device)
{
    const char bytes[] = { char(device.type),  char(device.version),     char(device.year),
                           char(device.month), char(device.serial >> 8), char(device.serial & 0xFF) };
    return QByteArray(bytes, sizeof bytes);
}

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString hexByte(quint8 byte)
{
    return QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

LoopModule::LoopModule(Scenario scenario, quint8 moduleAddress, QObject *parent)
    : QObject(parent),
      m_scenario(std::move(scenario)),
      m_moduleAddress(moduleAddress),
      m_loopAddresses(m_scenario.devices.size()),
      m_nextReference(firstReference),
      m_nextNumber(firstNumber)
{
}

QByteArray LoopModule::answer(const QByteArray &message)
{
    if (m_scenario.noAnswer || message.size() < 2 || quint8(message.at(1)) != m_moduleAddress)
        return Frames::WriteMemory(2, QByteArray(2, '\0'));
    if (fits(message, "02 AA 01 01 09 01 06 7E 00 00 01 02 1F 00"))
        return start();
    if (fits(message, "02 AA 01 01 02 00 00"))
        return poll();
    if (fits(message, "02 AA 01 01 02 82 ??"))
        return acknowledge(quint8(message.at(6)));
    if (fits(message, "02 AA 01 01 0A 01 00 60 00 00 00 03 2E 00 00")
        || fits(message, "02 AA 01 01 0A 01 00 60 00 00 00 03 2E 03 00"))
        return requestStatus();
    if (fits(message, "02 AA 01 01 0B 01 00 60 00 ?? EE 04 06 07 00 00"))
        return followUp(quint8(message.at(9)));
    if (fits(message, "02 AA 01 01 0F 01 00 60 00 ?? 7E 08 2B ?? ?? ?? ?? 00 ?? ??"))
        return takeAddress(message);
    emit noted(QStringLiteral("unknown-message ") + hex(message));
    return reply(codeDone);
}

// `pattern`: hexadecimal bytes separated by spaces, AA standing for the module address byte
// and ?? for any byte. Kept apart from the program's message builders so that a fault in
// them shows up here.
bool LoopModule::fits(const QByteArray &message, const char *pattern) const
{
    const QByteArrayList tokens = QByteArray(pattern).split(' ');
    if (tokens.size() != message.size())
        return false;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const QByteArray &token = tokens.at(i);
        if (token == "??")
            continue;
        const quint8 expected = token == "AA" ? m_moduleAddress : quint8(token.toUInt(nullptr, 16));
        if (quint8(message.at(i)) != expected)
            return false;
    }
    return true;
}

QByteArray LoopModule::start()
{
    // Each search finds the whole loop again, so a device found before is a duplicate then.
    m_queue.clear();
    for (qsizetype device = 0; device < m_scenario.devices.size(); ++device)
        m_queue.push_back({ ReportKind::Identity, device });
    m_busyPollsLeft = m_scenario.busyPolls;
    m_discovering = true;
    return reply(codeDone);
}

QByteArray LoopModule::poll()
{
    if (m_busyPollsLeft > 0) {
        --m_busyPollsLeft;
        return reply(codeBusy);
    }
    if (m_queue.empty())
        return reply(codeDone);
    const Report report = m_queue.front();
    m_queue.pop_front();
    return sendReport(report);
}

QByteArray LoopModule::acknowledge(quint8 number)
{
    if (m_lastNumber != number) {
        const QString last = m_lastNumber ? hexByte(*m_lastNumber) : QStringLiteral("none");
        emit noted(QStringLiteral("ack-mismatch %1 last %2").arg(hexByte(number), last));
    }
    return reply(codeDone);
}

// Devices whose identity reports still wait in the queue are included, behind them: the
// program asks for status once, on its first device, and stops asking when a status report
// comes, so leaving them out would leave them without an address.
QByteArray LoopModule::requestStatus()
{
    for (qsizetype device = 0; m_discovering && device < m_loopAddresses.size(); ++device) {
        const Report status { ReportKind::Status, device };
        if (!m_loopAddresses.at(device) && !m_scenario.devices.at(device).isAddressTag() && !isQueued(status))
            m_queue.push_back(status);
    }
    return reply(codeDone);
}

QByteArray LoopModule::followUp(quint8 reference)
{
    const auto sent = m_sent.constFind(reference);
    if (sent == m_sent.cend() || sent->kind != ReportKind::Identity
        || !m_scenario.devices.at(sent->device).isAddressTag()) {
        emit noted(QStringLiteral("followup-mismatch ") + hexByte(reference));
        return reply(codeDone);
    }
    return sendReport({ ReportKind::FollowUp, sent->device });
}

QByteArray LoopModule::takeAddress(const QByteArray &message)
{
    const quint8 reference = quint8(message.at(9));
    const quint8 type = quint8(message.at(13));
    const quint8 serialLow = quint8(message.at(18));
    const quint8 loopAddress = quint8(message.at(19));

    const auto sent = m_sent.constFind(reference);
    const bool matches = sent != m_sent.cend() && sent->kind == ReportKind::Status
            && m_scenario.devices.at(sent->device).type == type
            && (m_scenario.devices.at(sent->device).serial & 0xFF) == serialLow;
    if (!matches) {
        emit noted(QStringLiteral("address-mismatch %1 %2 %3 %4")
                           .arg(hexByte(reference), hexByte(type), hexByte(serialLow))
                           .arg(loopAddress));
        return reply(codeDone);
    }
    const Scenario::Device &device = m_scenario.devices.at(sent->device);
    m_loopAddresses[sent->device] = loopAddress;
    const QString serial = QStringLiteral("%1").arg(device.serial, 4, 16, QLatin1Char('0')).toUpper();
    emit noted(QStringLiteral("address %1 %2 %3").arg(hexByte(device.type), serial).arg(loopAddress));
    m_queue.push_back({ ReportKind::Answered, sent->device });
    return reply(codeDone);
}

QByteArray LoopModule::sendReport(const Report &report)
{
    const quint8 reference = m_nextReference;
    const quint8 number = m_nextNumber;
    m_nextReference = following(reference);
    m_nextNumber = following(number);
    m_lastNumber = number;
    m_sent.insert(reference, report);
    return reply(codeReport, QByteArray(3, '\0') + char(reference) + char(number) + contents(report));
}

QByteArray LoopModule::contents(const Report &report) const
{
    const Scenario::Device &device = m_scenario.devices.at(report.device);
    switch (report.kind) {
    case ReportKind::Identity:
        return QByteArray::fromHex("071f") + identity(device);
    case ReportKind::FollowUp:
        return QByteArray::fromHex("04060700") + char(device.kind);
    case ReportKind::Status:
        return QByteArray::fromHex("082e00") + char(device.type) + QByteArray(4, '\0') + char(device.serial & 0xFF);
    case ReportKind::Answered:
        return QByteArray::fromHex("082b") + identity(device);
    }
    return {};
}

QByteArray LoopModule::reply(quint8 code, const QByteArray &rest)
{
    if (++m_replyCount == m_scenario.unknownCodeAt)
        code = codeUnknown;
    const QByteArray body = char(code) + rest;
    QByteArray message = QByteArray::fromHex("02") + char(m_moduleAddress) + QByteArray::fromHex("0101");
    message.append(char(body.size()));
    message.append(body);
    return relayReply(message);
}

bool LoopModule::isQueued(const Report &report) const
{
    return std::any_of(m_queue.cbegin(), m_queue.cend(), [&report](const Report &queued) {
        return queued.kind == report.kind && queued.device == report.device;
    });
}
