#include <exchange/devicesearch.h>

#include <exchange/searchmessages.h>
#include <link/frames.h>
#include <link/portsettings.h>
#include <messages/messages.h>
#include <model/configuration.h>
#include <model/notifier.h>
#include <model/settingsinput.h>

using namespace SearchMessages;

namespace {

int byteAt(const QByteArray &bytes, int offset)
{
    return offset < bytes.size() ? quint8(bytes.at(offset)) : 0;
}

// The report kind at offsets 17–18; 0, a kind of no meaning, when the report ends before.
int reportKind(const QByteArray &frame)
{
    return frame.size() < ShortestKindedReport ? 0 : byteAt(frame, ReportKind) << 8 | byteAt(frame, ReportKind + 1);
}

// How long a report of each kind must be for every field the search reads of it.
int shortestReport(int kind)
{
    switch (kind) {
    case 0x082B:
    case 0x071F:
        return ShortestIdentityReport;
    case 0x082E:
        return ShortestStatusReport;
    case 0x0406:
        return ShortestFollowUpReport;
    default:
        return ShortestReport;
    }
}

} // namespace

DeviceSearch::DeviceSearch(PacketChannel &channel, Configuration &config, Notifier &notifier, QObject *parent)
    : QObject(parent), m_channel(channel), m_config(config), m_notifier(notifier), m_recorder(config, m_state)
{
    m_timer1.setSingleShot(true);
    m_timer1.setInterval(DefaultPollInterval);
    m_timer2.setSingleShot(true);
    m_timer2.setInterval(DefaultStatusRepeatInterval);
    m_silence.setSingleShot(true);
    m_silence.setInterval(DefaultSilenceInterval);
    connect(&m_timer1, &QTimer::timeout, this, &DeviceSearch::poll);
    // The exchange has no time-out of its own: a module that falls silent would leave the
    // window waiting without a word.
    connect(&m_silence, &QTimer::timeout, this, [this] {
        if (m_active)
            emit fellSilent(message(MessageId::ModuleSilent));
    });
    connect(&m_timer2, &QTimer::timeout, this, &DeviceSearch::repeatStatusRequest);
}

QString DeviceSearch::warningText(const QString &moduleName, const QString &technologicalAddress)
{
    return message(MessageId::SearchWarning).arg(moduleName, technologicalAddress);
}

bool DeviceSearch::start(const PortSettings &settings, int module, const QString &technologicalAddress)
{
    const QString moduleName = m_config.mtDev().lookupValue(ModuleField::addr, module, ModuleField::mname).toString();
    if (!m_notifier.question(warningText(moduleName, technologicalAddress)))
        return false;
    const std::optional<int> technological = SettingsInput::technologicalAddress(technologicalAddress);
    if (!technological) {
        m_notifier.warning(message(MessageId::TechnologicalAddressRange));
        return false;
    }
    if (!SettingsImage::isModule(module)) {
        m_notifier.warning(message(MessageId::ChooseModule));
        return false;
    }

    stop();
    m_config.mtSensorNew().emptyTable();
    m_channel.setHandler(this);
    QString error;
    if (!m_channel.open(settings, &error)) {
        m_notifier.warning(error);
        return false;
    }
    // Nothing of an earlier search may be sent in this one.
    m_state = SearchState();
    m_moduleAddress = Frames::moduleAddressByte(*technological);
    m_recorder.setModule(module, m_moduleAddress);
    QString sendError;
    if (!m_channel.send(Frames::SetAddress(Frames::RelayAddress), &sendError)) {
        m_notifier.warning(message(MessageId::SendFailed).arg(sendError));
        return false;
    }
    m_active = true;
    m_silence.start();
    return true;
}

void DeviceSearch::stop()
{
    m_timer1.stop();
    m_timer2.stop();
    m_silence.stop();
    m_state.CommandQueue.clear();
    m_state.ReportQueue.clear();
    m_active = false;
}

bool DeviceSearch::send(const QByteArray &message)
{
    QString error;
    if (m_channel.send(Frames::WriteMemoryNew(message), &error))
        return true;
    handleSendFailure(error);
    return false;
}

void DeviceSearch::handleSendFailure(const QString &reason)
{
    if (!m_active)
        return;
    m_timer1.stop();
    m_timer2.stop();
    halt(message(MessageId::SendFailed).arg(reason));
}

// Told once, in a message box and in the window alike.
void DeviceSearch::halt(const QString &reason)
{
    m_silence.stop();
    m_notifier.warning(reason);
    emit halted(reason);
}

void DeviceSearch::poll()
{
    if (m_active)
        send(PollMessage(m_moduleAddress));
}

void DeviceSearch::repeatStatusRequest()
{
    if (m_active)
        m_state.CommandQueue << StatusRequestB(m_moduleAddress);
}

void DeviceSearch::handleReply(const QByteArray &frame)
{
    if (!m_active)
        return;
    m_silence.start();
    if (frame == noAnswerReply()) {
        const QString reason = message(MessageId::PanelSilent);
        m_silence.stop();
        m_notifier.information(reason);
        emit halted(reason);
        return;
    }
    if (frame == Frames::SetAddress(Frames::RelayAddress)) {
        m_timer1.start();
        return;
    }
    if (frame.size() < ShortestRelayReply)
        return;
    const int code = byteAt(frame, ReplyCode);
    switch (code) {
    case 0x00:
    case 0x80:
        queueStep();
        return;
    case 0x02:
        report(frame);
        return;
    case 0x03:
    case 0x04:
    case 0x81:
        m_timer1.start();
        return;
    default: {
        const QString reason = message(MessageId::UnknownCommand)
                                       .arg(QStringLiteral("%1").arg(code, 2, 16, QLatin1Char('0')).toUpper());
        m_silence.stop();
        m_notifier.information(reason);
        emit halted(reason);
        return;
    }
    }
}

void DeviceSearch::queueStep()
{
    QList<QByteArray> &commands = m_state.CommandQueue;
    if (!commands.isEmpty()) {
        if (isStatusRequest(commands.first())) {
            const QByteArray request = commands.takeFirst();
            if (send(request))
                m_timer2.start();
            return;
        }
        if (!m_state.ReportQueue.isEmpty()) {
            const QByteArray &status = m_state.ReportQueue.first();
            for (int i = 0; i < commands.size(); ++i) {
                QByteArray message = commands.at(i);
                // Only an address message carries a device to match; anything else would be
                // read past its end.
                if (!isAddressMessage(message) || byteAt(message, 13) != byteAt(status, 14)
                    || byteAt(message, 18) != byteAt(status, 19))
                    continue;
                message[9] = char(byteAt(status, 9));
                commands.removeAt(i);
                m_state.ReportQueue.removeFirst();
                send(message);
                return;
            }
        }
    }
    if (!m_state.SearchStarted) {
        m_state.SearchStarted = true;
        send(StartMessage(m_moduleAddress));
        return;
    }
    if (!m_state.PendingQuery.isEmpty()) {
        const QByteArray query = m_state.PendingQuery;
        m_state.PendingQuery.clear();
        send(query);
        return;
    }
    m_timer1.start();
}

void DeviceSearch::report(const QByteArray &frame)
{
    // A report cut short is not acknowledged: the module reports it again whole.
    const int kind = reportKind(frame);
    if (frame.size() < shortestReport(kind))
        return;
    if (!send(AckMessage(m_moduleAddress, quint8(byteAt(frame, ReportNumber)))))
        return;
    switch (kind) {
    case 0x082B:
        m_recorder.markAnswerReceived(frame);
        return;
    case 0x082E:
        if (!m_state.CommandQueue.isEmpty()) {
            m_timer2.stop();
            m_state.ReportQueue << frame.mid(ReportCopyStart);
        }
        return;
    case 0x071F: {
        const int type = byteAt(frame, IdentityBytes);
        if (type == 0x06 || type == 0x07) {
            m_state.PendingQuery = FollowUpQuery(m_moduleAddress, quint8(byteAt(frame, ReferenceByte)));
            m_state.PendingIdentity = frame.mid(IdentityBytes, 6);
        } else {
            m_recorder.recordDevice(frame);
        }
        return;
    }
    case 0x0406:
        if (byteAt(frame, ReportKind + 2) == 0x07)
            m_recorder.recordSubDevice(frame);
        return;
    default:
        return;
    }
}

void DeviceSearch::handleLinkFailure(const QString &reason)
{
    if (!m_active)
        return;
    m_timer1.stop();
    m_timer2.stop();
    halt(message(MessageId::LinkLost).arg(reason));
}
