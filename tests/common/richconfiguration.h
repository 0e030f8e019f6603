#pragma once

#include <model/configuration.h>

// A configuration that uses every kind of row and setting, already in the form a load
// gives back (upper-case names, padded messages, digit texts of full width).
inline void fillRichConfiguration(Configuration &config)
{
    MemTable &modules = config.mtDev();
    modules.setRecNo(2);
    modules.setValue("id_being", 0);
    modules.setValue("id_tname", 0);
    modules.setRecNo(5);
    modules.setValue("id_being", 0);
    modules.setValue("id_name", 3);

    MemTable &zones = config.mtArea();
    zones.setRecNo(7);
    zones.setValue("name", "склад №2");
    zones.setValue("id_being", 1);
    zones.setValue("id_verif", 2);
    zones.setValue("id_temp", 3);

    MemTable &sensors = config.mtSensor();
    const int detectors[][5] = { // module, address, channel type, zone, heat class
        { 1, 2, 1, 7, 0 }, { 1, 5, 2, 7, 4 }, { 1, 5, 3, 8, 0 }, { 1, 5, 4, 0, 0 }, { 2, 129, 1, 500, 0 }
    };
    for (const auto &d : detectors) {
        sensors.append();
        sensors.setValueSilently("id_dev", d[0]);
        sensors.setValueSilently("addr", d[1]);
        sensors.setValueSilently("id_sen", 4);
        sensors.setValueSilently("ver", 3);
        sensors.setValueSilently("year", 24);
        sensors.setValueSilently("month", 11);
        sensors.setValueSilently("saddrh", 0xAB);
        sensors.setValueSilently("saddrl", d[1]);
        sensors.setValueSilently("id_chan", d[2]);
        if (d[2] == 2)
            sensors.setValueSilently("id_mode", d[4]);
        sensors.setValueSilently("time", 1);
        sensors.setValueSilently("id_being", 0);
        sensors.setValueSilently("offset", 2);
        sensors.setValueSilently("id_area", d[3]);
        sensors.setValueSilently("boolarea", false);
        sensors.post();
    }

    MemTable &outputs = config.mtReturn();
    const int outs[][4] = { { 1, 0, 193, 7 }, { 1, 2, 195, 0 }, { 5, 1, 196, 0 } }; // module, number, type, zone
    int count = 0;
    int lastModule = 0;
    for (const auto &o : outs) {
        count = o[0] == lastModule ? count + 1 : 1;
        lastModule = o[0];
        outputs.append();
        outputs.setValueSilently("id_dev", o[0]);
        outputs.setValueSilently("index", 0);
        outputs.setValueSilently("id_chan", o[2]);
        outputs.setValueSilently("id_mode", 1);
        outputs.setValueSilently("time", 0);
        outputs.setValueSilently("id_being", 1);
        outputs.setValueSilently("offset", o[1]);
        outputs.setValueSilently("id_area", o[3]);
        outputs.setValueSilently("vname", QStringLiteral("SD %1").arg(count));
        outputs.setValueSilently("boolarea", o[3] != 0);
        outputs.setValueSilently("id_return", o[0] * 1000 + o[1]);
        outputs.post();
    }
    zones.setRecNo(7);
    zones.setValue("r1", 1000);
    // Zone 9 reaches output 5001 through its zone record only.
    config.image().ZoneRecord(9).write(120, QByteArray::fromHex("05f9"));
    zones.setRecNo(9);
    zones.setValue("r1", 5001);

    MemTable &profiles = config.mtTempType();
    profiles.setRecNo(2);
    profiles.setValue("begin_day", QTime(8, 30));
    profiles.setValue("begin_night", QTime(23, 50));
    config.mtRepComm().setRecNo(5);
    config.mtRepComm().setValue("code", 999);
    config.mtRepEnt().setRecNo(3);
    config.mtRepEnt().setValue("name", QStringLiteral("ПОЖЕЖА").leftJustified(40));

    SystemSettings s = config.settings();
    s.edNumReg1 = "1234";
    s.edNumReg2 = "0042";
    s.edTelNum1 = "12+34*5";
    s.edTelNum1Raw = "12B34C5D0000000000";
    s.edTelNum2 = "0441234567";
    s.edTelNum2Raw = "E0441234567D000000";
    s.sbTonePulse2 = true;
    s.sbTonePulse1Colour = SystemSettings::ToneCaptionColour::Grey;
    s.sbTonePulse2Colour = SystemSettings::ToneCaptionColour::Blue;
    s.cbModeAndOr = 1;
    s.edCount = "05";
    s.ud6 = 12;
    s.ud7 = 30;
    s.ud8 = 24;
    s.edInfMessage = "ОБ'ЄКТ 7";
    s.ckbFire = true;
    s.ckbComm = true;
    s.ckbAPK = true;
    s.edAdminPass[0] = "1111";
    s.edAdminPass[7] = "0123456789";
    s.edMasterPass[2] = "777";
    config.setSettings(s);
}
