#pragma once

#include <model/columnspec.h>

// The grids of the main window's pages, as data: which table each shows is the page's
// business, how it shows it is here.
namespace MainGrids {

// Zones page.
GridSpec dbGridTableArea(); // all zones
GridSpec dbgTableSensor(); // devices of the current zone
GridSpec dbgTableReturn(); // outputs of the current zone
// Modules page.
GridSpec DBGridEh3(); // the modules
GridSpec DBGridEh12(); // outputs of the current module
GridSpec DBGridEh11(); // devices of the current module
// Outputs page.
GridSpec DBGridEh7(); // all outputs
GridSpec dbgAreaReturn(); // zones of the current output, with marks
GridSpec dbgAreaReturnAcc(); // zones available to outputs, with marks
// Inputs page.
GridSpec DBGridEh8(); // inputs
GridSpec DBGridEh10(); // the input message texts
// System and communicator pages.
GridSpec DBGridEh5(); // day/night times of the time profiles
GridSpec DBGridEh6(); // notification codes

} // namespace MainGrids
