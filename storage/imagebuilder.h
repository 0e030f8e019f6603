#pragma once

#include <QByteArray>

class Configuration;

// Folds the tables and the settings back into the settings image before it leaves the
// program. Rows are read whatever filter the grids have set; no row is changed.
namespace ImageBuilder {

// Zone names, module bytes, device and channel tables.
void SaveToArray(Configuration &config);
// The rest of the system block and the switch bytes, from the settings and small tables.
void FillArrayByDataForMemory(Configuration &config);
// Both stages, in order.
void build(Configuration &config);
// The bytes `build` would make, the configuration's own image left as it was: for what
// only looks at the configuration, such as a comparison or a report.
QByteArray builtAside(Configuration &config);

} // namespace ImageBuilder
