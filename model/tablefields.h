#pragma once

// The column of each field of the configuration tables, in the order the tables define
// them: code reads and writes fields by these, so a misspelt field does not compile.
// The names are the fields' own; the table definitions pair each with its text name.

namespace ZoneField {
enum : int { id, num, name, id_being, id_verif, id_temp, bname, vname, tname, id_return, boolarea, r1, Count = r1 + 16 };
// r1 .. r16, the zone's output links.
constexpr int r(int slot) { return r1 + slot - 1; }
} // namespace ZoneField

namespace ModuleField {
enum : int { id_name, name, addr, id_tname, tname, mname, id_being, bname, Count };
} // namespace ModuleField

namespace SensorField {
enum : int {
    id_sen, name, id_chan, cname, addr, id_mode, mode, time, id_being, bname, offset, id_area, ver, year, month,
    saddrh, saddrl, id_dev, mname, boolarea, index, snum,
    record, // bookkeeping: the channel record a loaded row came from
    Count
};
} // namespace SensorField

namespace OutputField {
enum : int {
    id_chan, cname, addr, id_mode, mode, time, id_being, bname, offset, id_area, ver, year, month, saddrh, saddrl,
    id_dev, mname, boolarea, id_return, index, snum, vname, Count
};
} // namespace OutputField

namespace InputField {
enum : int { id, addr, id_being, bname, id_repent, rname, num, level, mname, Count };
} // namespace InputField

namespace FoundField {
enum : int { id_sen, name, id_area, ver, year, month, saddrh, saddrl, id_dev, mname, snum, addr, note, Count };
} // namespace FoundField

namespace ProfileField {
enum : int { id, begin_day, begin_night, Count };
} // namespace ProfileField

namespace EventCodeField {
enum : int { code, name, Count };
} // namespace EventCodeField

namespace MessageField {
enum : int { id, name, Count };
} // namespace MessageField
