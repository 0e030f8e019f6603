#include <ui/main/pagecontents.h>

#include <model/configuration.h>
#include <model/maingrids.h>
#include <model/outputassignment.h>
#include <model/pagefilters.h>
#include <ui/controls/svgpicture.h>
#include <ui/grid/bandedheader.h>
#include <ui/grid/datagrid.h>
#include <ui/settings/communicatorpage.h>
#include <ui/settings/systempage.h>
#include <ui/settings/technologicaladdressbox.h>

#include <QPushButton>

using namespace Qt::StringLiterals;

namespace PageContents {

namespace {

DataGrid *grid(QWidget *panel, const GridSpec &spec, MemTable &table, const QRect &geometry)
{
    auto *view = new DataGrid(spec, table, panel);
    view->setGeometry(geometry);
    return view;
}

} // namespace

void zones(QWidget *panel, PageServices services)
{
    Configuration &config = services.configuration;
    DataGrid *zoneGrid = grid(panel, MainGrids::dbGridTableArea(), config.mtArea(), { 4, 4, 855, 214 });
    grid(panel, MainGrids::dbgTableSensor(), config.mtSensor(), { 4, 224, 774, 161 });
    grid(panel, MainGrids::dbgTableReturn(), config.mtReturn(), { 2, 391, 774, 160 });
    QPushButton *devices = pictureButton(panel, "BitBtn1", { 784, 224, 77, 161 }, ":/buttons/detectors.svg", 64,
                                         u"Приписать свободные извещатели в зону"_s);
    QPushButton *outputs = pictureButton(panel, "BitBtn2", { 782, 391, 77, 160 }, ":/buttons/modules.svg", 64,
                                         u"Приписать свободные выходы в зону"_s);
    QObject::connect(devices, &QPushButton::clicked, panel, services.openZoneDevices);
    QObject::connect(outputs, &QPushButton::clicked, panel, services.openZoneOutputs);
    PageFilters &filters = services.filters;
    QObject::connect(zoneGrid, &DataGrid::followed, panel, [&filters] { filters.zoneListFollowed(); });
}

void modules(QWidget *panel, PageServices services)
{
    Configuration &config = services.configuration;
    DataGrid *moduleGrid = grid(panel, MainGrids::DBGridEh3(), config.mtDev(), { 6, 11, 356, 215 });
    QPushButton *search = pictureButton(panel, "BitBtn7", { 368, 10, 98, 78 }, ":/buttons/search.svg", 48,
                                        u"Поиск новых устройств модуля"_s);
    QObject::connect(search, &QPushButton::clicked, panel, services.searchNewDevices);
    new TechnologicalAddressBox(config, services.notifier, panel);
    grid(panel, MainGrids::DBGridEh12(), config.mtReturn(), { 476, 11, 383, 215 });
    grid(panel, MainGrids::DBGridEh11(), config.mtSensor(), { 6, 232, 853, 319 });
    PageFilters &filters = services.filters;
    QObject::connect(moduleGrid, &DataGrid::followed, panel, [&filters] { filters.moduleListFollowed(); });
}

void outputs(QWidget *panel, PageServices services)
{
    Configuration &config = services.configuration;
    DataGrid *outputGrid = grid(panel, MainGrids::DBGridEh7(), config.mtReturn(), { 0, 6, 860, 251 });
    DataGrid *listed = grid(panel, MainGrids::dbgAreaReturn(), config.mtArea(), { 0, 264, 398, 288 });
    QPushButton *take = pictureButton(panel, "BitBtn3", { 404, 270, 50, 52 }, ":/buttons/arrow-right.svg", 32,
                                      u"Убрать выход из отмеченых зон "_s);
    QPushButton *give = pictureButton(panel, "BitBtn4", { 402, 328, 50, 52 }, ":/buttons/arrow-left.svg", 32,
                                      u"Приписать выход к отмеченым зонам "_s);
    DataGrid *available = grid(panel, MainGrids::dbgAreaReturnAcc(), config.mtAreaCopy(), { 458, 263, 403, 288 });

    PageFilters &filters = services.filters;
    OutputAssignment &assignment = services.assignment;
    QObject::connect(outputGrid, &DataGrid::followed, panel, [&filters] { filters.outputListFollowed(); });
    QObject::connect(take, &QPushButton::clicked, panel, [&assignment] { assignment.BitBtn3Click(); });
    QObject::connect(give, &QPushButton::clicked, panel, [&assignment] { assignment.BitBtn4Click(); });
    // A title remembers its state only in the picture it shows.
    for (DataGrid *list : { listed, available }) {
        const bool isAvailable = list == available;
        BandedHeader *title = list->bandedHeader();
        QObject::connect(title, &BandedHeader::titleButtonClicked, list, [title, isAvailable, &assignment](int column) {
            const int shown = title->titleIcon(column);
            title->setTitleIcon(column, isAvailable ? assignment.dbgAreaReturnAccTitleBtnClick(shown)
                                                    : assignment.dbgAreaReturnTitleBtnClick(shown));
        });
    }
}

void inputs(QWidget *panel, PageServices services)
{
    Configuration &config = services.configuration;
    grid(panel, MainGrids::DBGridEh8(), config.mtEntrance(), { 4, 0, 855, 324 });
    grid(panel, MainGrids::DBGridEh10(), config.mtRepEnt(), { 4, 345, 419, 210 });
}

void system(QWidget *panel, PageServices services)
{
    new SystemPage(services.configuration, services.notifier, panel);
    grid(panel, MainGrids::DBGridEh5(), services.configuration.mtTempType(), { 519, 9, 339, 159 });
}

void communicator(QWidget *panel, PageServices services)
{
    new CommunicatorPage(services.configuration, services.notifier, panel);
    grid(panel, MainGrids::DBGridEh6(), services.configuration.mtRepComm(), { 453, 8, 406, 547 });
}

} // namespace PageContents
