#pragma once

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
