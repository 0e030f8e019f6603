#pragma once

// Where the single settings and the switch bytes lie in the settings image.
namespace ImageLayout {

constexpr int RegistrationNumber1 = 4; // two bytes each, digit-coded, little-endian
constexpr int RegistrationNumber2 = 6;
constexpr int TelephoneNumber1 = 8; // nine bytes, eighteen symbols each
constexpr int TelephoneNumber2 = 17;
constexpr int TelephoneNumberSize = 9;
constexpr int DiallingMode = 28;
constexpr int DiallingAttempts = 29;
constexpr int FirstTestHour = 30;
constexpr int FirstTestMinute = 31;
constexpr int TestInterval = 32; // minutes, little-endian
constexpr int ModuleTypes = 34; // one byte per module
constexpr int ModuleNumbers = 50;
constexpr int ModuleChains = 66;
constexpr int AdminCodes = 82; // ten bytes per code
constexpr int MasterCodes = 162;
constexpr int AccessCodeSize = 10;
constexpr int DayStarts = 202; // tens of minutes after midnight, one byte per profile
constexpr int NightStarts = 206;
constexpr int TimeProfileCount = 4;
constexpr int MaxTenMinutes = 143; // 23:50
constexpr int RepeatedNotification = 210; // 0 on, 1 off
constexpr int EventCodes = 212; // two bytes per code, digit-coded, little-endian
constexpr int EventCodeCount = 27;
constexpr int SecondApkMarker1 = 332;
constexpr int SecondApkMarker2 = 333;
constexpr int SecondApkMarker3 = 336;
constexpr int SecondApkSwitch = 337;
constexpr int MessageSlots = 344; // 41 bytes each: 40 characters and a zero
constexpr int MessageSlotSize = 41;
constexpr int MessageTextSize = 40;
constexpr int InputMessageCount = 4;
constexpr int InformationMessageSlot = 4;

constexpr int FireRelaySwitch = 202610; // 0 on, 1 off
constexpr int FaultRelaySwitch = 202814;
constexpr int CommunicatorSwitch = 203006;

// Bytes never taken from a file or the panel; every written image carries zeros there.
struct ByteRange
{
    int first;
    int last;
};
constexpr ByteRange NeverLoaded[] = { { 211, 211 }, { 267, 331 }, { 334, 335 }, { 338, 343 } };

constexpr int ZoneCount = 500; // zones the program edits; slots 501..512 carry fixed names

// Channel records of a module.
constexpr int DetectorRecordCount = 248;
constexpr int FirstOutputRecord = 248;
constexpr int OutputCount = 8;
constexpr int FirstInputRecord = 254;
constexpr int SecondInputRecord = 255;
constexpr int FirstLoopAddress = 2; // device record j describes loop address j + 2
constexpr int LastLoopAddress = 129;

// The bytes of the records themselves: records.h.

} // namespace ImageLayout
