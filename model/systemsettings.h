#pragma once

#include <QString>

#include <array>

// The single settings of the system, communicator and modules pages, one field per
// control and named after it. The window binds its controls to these fields; the build
// and the load move them to and from the settings image.
struct SystemSettings
{
    // Colour of a tone/pulse button's caption: blue in tone mode, black after the user
    // switched back to pulse, grey after a load left it released.
    enum class ToneCaptionColour { Black, Blue, Grey };

    static constexpr int AdminCodeCount = 8;
    static constexpr int MasterCodeCount = 4;

    // Communicator page.
    QString edNumReg1;
    QString edNumReg2;
    QString edTelNum1;
    QString edTelNum2;
    QString edTelNum1Raw; // raw forms: the symbol strings the image stores
    QString edTelNum2Raw;
    bool sbTonePulse1 = false; // pressed: tone dialling
    bool sbTonePulse2 = false;
    ToneCaptionColour sbTonePulse1Colour = ToneCaptionColour::Black;
    ToneCaptionColour sbTonePulse2Colour = ToneCaptionColour::Black;
    int cbModeAndOr = 0; // item index: 0 "ИЛИ", 1 "И", -1 none
    QString edCount;
    int ud6 = 0; // first test, hours
    int ud7 = 0; // first test, minutes
    int ud8 = 0; // test interval, hours

    // System page.
    QString edInfMessage = QStringLiteral(" ");
    bool ckbFire = false;
    bool ckbNeisp = false;
    bool ckbComm = false;
    bool ckbAPK = false;
    bool ckbNotiv = false;
    std::array<QString, AdminCodeCount> edAdminPass; // edAdminPass1 .. edAdminPass8
    std::array<QString, MasterCodeCount> edMasterPass; // edMasterPass1 .. edMasterPass4

    // Modules page.
    QString edAddrKLM = QStringLiteral("1");

    bool operator==(const SystemSettings &other) const;
    bool operator!=(const SystemSettings &other) const { return !(*this == other); }
};
