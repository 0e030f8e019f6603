#pragma once

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

} // namespace ImageBuilder
