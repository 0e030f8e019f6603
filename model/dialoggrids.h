#pragma once

#include <model/columnspec.h>

// The grids of the zone dialogs and of the new-device window, as data.
namespace DialogGrids {

// Zone membership: the zone's devices above, the free devices below.
GridSpec dbgeSensorZone();
GridSpec dbgeSensorAcc();
// Output assignment: the zone's outputs above, every output below.
GridSpec dbgeReturnZone();
GridSpec dbgeReturnAcc();
// The devices a search has found.
GridSpec dbgNewSensor();

} // namespace DialogGrids
