#pragma once

#include <QByteArray>
#include <QtGlobal>

// The module messages of the loop search (before they are wrapped in a relay frame),
// and where the fields of a relay reply lie. AA is the module address byte.
namespace SearchMessages {

QByteArray PollMessage(quint8 moduleAddress);
QByteArray StartMessage(quint8 moduleAddress);
QByteArray AckMessage(quint8 moduleAddress, quint8 reportNumber);
QByteArray StatusRequestA(quint8 moduleAddress);
QByteArray StatusRequestB(quint8 moduleAddress);
QByteArray FollowUpQuery(quint8 moduleAddress, quint8 reference);
// Tells a device its loop address; byte 9 waits for the reference of a status report.
QByteArray AddressMessage(quint8 moduleAddress, int deviceType, int version, int year, int month,
                          int serialLow, int serialWhole, int loopAddress);

bool isStatusRequest(const QByteArray &message); // bytes 11 and 12 are 03 2E
bool isAddressMessage(const QByteArray &message); // 20 bytes, bytes 10..12 are 7E 08 2B

// Offsets in a relay reply, read where they lie in the received bytes.
enum ReplyOffset {
    ReplyCode = 11,
    ReferenceByte = 15,
    ReportNumber = 16,
    ReportKind = 17, // two bytes, or three for a follow-up report
    IdentityBytes = 19, // six bytes: type, version, year, month, serial high, serial low
    StatusDeviceType = 20,
    SubDeviceKind = 21,
    StatusSerialLow = 25,
};
constexpr int ShortestRelayReply = 13;
// A report is read only as far as it reaches: shorter ones are ignored, not read as zeros.
constexpr int ShortestReport = ReportNumber + 1;
constexpr int ShortestKindedReport = ReportKind + 2;
constexpr int ShortestIdentityReport = IdentityBytes + 6; // 07 1F and 08 2B
constexpr int ShortestFollowUpReport = SubDeviceKind + 1;
constexpr int ShortestStatusReport = StatusSerialLow + 1;
constexpr int ReportCopyStart = 6; // a status report is kept from this offset on

// The reply to a relay frame when the loop module did not answer.
QByteArray noAnswerReply();

} // namespace SearchMessages
