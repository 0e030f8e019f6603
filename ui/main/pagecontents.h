#pragma once

#include <functional>

class Configuration;
class Notifier;
class OutputAssignment;
class PageFilters;
class QWidget;

// What the pages' grids and buttons act on; the window owns all of it.
struct PageServices
{
    Configuration &configuration;
    PageFilters &filters;
    OutputAssignment &assignment;
    Notifier &notifier;
    // The commands of the pages' buttons that open windows of their own.
    std::function<void()> openZoneDevices; // zones page, BitBtn1
    std::function<void()> openZoneOutputs; // zones page, BitBtn2
    std::function<void()> searchNewDevices; // modules page, BitBtn7
};

// Each fills one page's grey panel (866 × 557) with its grids, buttons and boxes.
namespace PageContents {

void zones(QWidget *panel, PageServices services);
void modules(QWidget *panel, PageServices services);
void outputs(QWidget *panel, PageServices services);
void inputs(QWidget *panel, PageServices services);
void system(QWidget *panel, PageServices services);
void communicator(QWidget *panel, PageServices services);

} // namespace PageContents
