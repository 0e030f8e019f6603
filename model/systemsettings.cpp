#include <model/systemsettings.h>

#include <tuple>

namespace {
auto fields(const SystemSettings &s)
{
    return std::tie(s.edNumReg1, s.edNumReg2, s.edTelNum1, s.edTelNum2, s.edTelNum1Raw,
                    s.edTelNum2Raw, s.sbTonePulse1, s.sbTonePulse2, s.sbTonePulse1Colour,
                    s.sbTonePulse2Colour, s.cbModeAndOr, s.edCount, s.ud6, s.ud7, s.ud8,
                    s.edInfMessage, s.ckbFire, s.ckbNeisp, s.ckbComm, s.ckbAPK, s.ckbNotiv,
                    s.edAdminPass, s.edMasterPass, s.edAddrKLM);
}
} // namespace

bool SystemSettings::operator==(const SystemSettings &other) const
{
    return fields(*this) == fields(other);
}
