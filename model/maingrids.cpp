#include <model/maingrids.h>

#include <model/tablefields.h>

#include <initializer_list>

using namespace Qt::StringLiterals;

namespace MainGrids {

namespace {

using Option = ColumnSpec::Option;
using Options = ColumnSpec::Options;
using Icons = ColumnSpec::Icons;
constexpr int Natural = ColumnSpec::NaturalWidth;
constexpr Qt::Alignment Left = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment Centre = Qt::AlignCenter;
constexpr Qt::Alignment Right = Qt::AlignRight | Qt::AlignVCenter;
constexpr int TitleArrow = 1; // the blue curved arrow over a type column
constexpr int TitleCheck = 0; // the green check mark over a mark column

ColumnSpec column(int field, const QString &title, int width, Options options = {}, Qt::Alignment alignment = Left)
{
    ColumnSpec spec;
    spec.field = field;
    spec.title = title;
    spec.width = width;
    spec.options = options;
    spec.alignment = alignment;
    return spec;
}

ColumnSpec iconColumn(int field, const QString &title, int width, Icons icons, Options options = {})
{
    ColumnSpec spec = column(field, title, width, options | Option::Icon);
    spec.icons = icons;
    spec.titleIcon = TitleArrow;
    return spec;
}

GridSpec grid(const char *name, GridSpec::Indicator indicator, std::initializer_list<ColumnSpec> shown,
              std::initializer_list<int> hidden)
{
    GridSpec spec;
    spec.name = QString::fromLatin1(name);
    spec.indicator = indicator;
    spec.columns = shown;
    for (const int field : hidden) {
        ColumnSpec column;
        column.field = field;
        column.options = Option::Hidden;
        spec.columns.append(column);
    }
    return spec;
}

// Every column read-only, as in the lists only their dialogs or other grids change.
GridSpec allReadOnly(GridSpec spec)
{
    for (ColumnSpec &column : spec.columns)
        column.options |= Option::ReadOnly;
    return spec;
}

// The two zone lists of the outputs page differ in their band and the name's width.
GridSpec outputZones(const char *name, const QString &band, int nameWidth)
{
    ColumnSpec mark = column(ZoneField::boolarea, band + u"|Тип"_s, 25, Option::Mark);
    mark.titleIcon = TitleCheck;
    GridSpec spec = grid(name, GridSpec::Indicator::Numbered,
                         { column(ZoneField::name, band + u"|Имя зона"_s, nameWidth, Option::ReadOnly),
                           column(ZoneField::bname, band + u"|Состояние"_s, 58, Option::Lookup | Option::ReadOnly),
                           column(ZoneField::vname, band + u"|Тип верификации"_s, 72, Option::Lookup | Option::ReadOnly),
                           column(ZoneField::tname, band + u"|Временной профиль"_s, 69, Option::Lookup | Option::ReadOnly),
                           mark },
                         { ZoneField::id, ZoneField::num, ZoneField::id_being, ZoneField::id_verif,
                           ZoneField::id_temp, ZoneField::id_return });
    for (int slot = 1; slot <= 16; ++slot) {
        ColumnSpec hidden;
        hidden.field = ZoneField::r(slot);
        hidden.options = Option::Hidden;
        spec.columns.append(hidden);
    }
    spec.wholeRows = true;
    return spec;
}

} // namespace

GridSpec dbGridTableArea()
{
    const QString band = u"Список зон"_s;
    return grid("dbGridTableArea", GridSpec::Indicator::Plain,
                { column(ZoneField::num, band + u"|№ зоны"_s, 71, Option::NoTyping, Centre),
                  column(ZoneField::name, band + u"|Имя зоны"_s, 403),
                  column(ZoneField::bname, band + u"|Состояние"_s, 79, Option::Lookup | Option::DoubleClickSteps),
                  column(ZoneField::vname, band + u"|Тип верификации"_s, 133, Option::Lookup | Option::DoubleClickSteps),
                  column(ZoneField::tname, band + u"|Временной профиль"_s, 113,
                         Option::Lookup | Option::DoubleClickSteps) },
                { ZoneField::id, ZoneField::id_being, ZoneField::id_verif, ZoneField::id_temp, ZoneField::id_return,
                  ZoneField::boolarea });
}

GridSpec dbgTableSensor()
{
    const QString band = u"Список извещателей зоны"_s;
    return allReadOnly(grid(
            "dbgTableSensor", GridSpec::Indicator::None,
            { iconColumn(SensorField::id_sen, band + u"|Тип"_s, 24, Icons::DeviceType),
              column(SensorField::mname, band + u"|Модуль"_s, 60, Option::Lookup),
              column(SensorField::name, band + u"|Устройство"_s, Natural, Option::Lookup),
              column(SensorField::cname, band + u"|Тип канала"_s, 156, Option::Lookup),
              column(SensorField::addr, band + u"|Адрес"_s, 54),
              column(SensorField::mode, band + u"|Режим работы"_s, 92, Option::Lookup),
              column(SensorField::bname, band + u"|Состояние"_s, 65, Option::Lookup),
              column(SensorField::ver, band + u"|Версия"_s, 48),
              column(SensorField::year, band + u"|Год выпуска"_s, 52),
              column(SensorField::month, band + u"|Месяц выпуска"_s, 60),
              column(SensorField::snum, band + u"|Серийный номер"_s, 57, {}, Right) },
            { SensorField::id_chan, SensorField::id_mode, SensorField::time, SensorField::id_being,
              SensorField::offset, SensorField::id_area, SensorField::saddrh, SensorField::saddrl,
              SensorField::id_dev, SensorField::boolarea, SensorField::index }));
}

GridSpec dbgTableReturn()
{
    const QString band = u"Список выходов зоны"_s;
    const Options lookup = Option::Lookup | Option::ReadOnly;
    return grid("dbgTableReturn", GridSpec::Indicator::Numbered,
                { column(OutputField::mname, band + u"| Модуль"_s, 93, lookup),
                  column(OutputField::cname, band + u"|Тип канала| "_s, 128, lookup),
                  column(OutputField::vname, band + u"|Тип канала| "_s, Natural, Option::ReadOnly),
                  column(OutputField::addr, band + u"|Адрес"_s, 47, Option::ReadOnly),
                  column(OutputField::mode, band + u"|Режим работы"_s, Natural, lookup),
                  column(OutputField::bname, band + u"|Состояние"_s, Natural, lookup),
                  column(OutputField::ver, band + u"|Версия"_s, 55, Option::ReadOnly),
                  column(OutputField::year, band + u"|Год выпуска"_s, 53, Option::ReadOnly),
                  column(OutputField::month, band + u"|Месяц выпуска"_s, 77, Option::ReadOnly),
                  column(OutputField::snum, band + u"|Серийный номер"_s, 69, Option::ReadOnly, Right) },
                { OutputField::id_chan, OutputField::id_mode, OutputField::time, OutputField::id_being,
                  OutputField::offset, OutputField::id_area, OutputField::saddrh, OutputField::saddrl,
                  OutputField::id_dev, OutputField::boolarea, OutputField::id_return, OutputField::index });
}

GridSpec DBGridEh3()
{
    const QString band = u"Список модулей"_s;
    return grid("DBGridEh3", GridSpec::Indicator::Numbered,
                { iconColumn(ModuleField::id_name, band + u"|Тип"_s, 28, Icons::ModuleType, Option::ReadOnly),
                  column(ModuleField::name, band + u"|Тип"_s, 55, Option::Lookup | Option::DoubleClickSteps, Centre),
                  column(ModuleField::addr, band + u"|Адрес"_s, 34, Option::ReadOnly, Centre),
                  column(ModuleField::tname, band + u"|Тип адресной цепи"_s, 119,
                         Option::Lookup | Option::DoubleClickSteps),
                  column(ModuleField::bname, band + u"|Состояние"_s, 66, Option::Lookup | Option::DoubleClickSteps) },
                { ModuleField::mname, ModuleField::id_tname, ModuleField::id_being });
}

GridSpec DBGridEh12()
{
    const QString band = u"Список выходов модуля"_s;
    return grid("DBGridEh12", GridSpec::Indicator::Numbered,
                { column(OutputField::cname, band + u"| Тип канала| "_s, 107, Option::Lookup | Option::ReadOnly),
                  column(OutputField::vname, band + u"| Тип канала| "_s, Natural, Option::ReadOnly),
                  column(OutputField::mode, band + u"| Режим работы"_s, 84, Option::Lookup),
                  column(OutputField::bname, band + u"| Состояние"_s, Natural, Option::Lookup),
                  column(OutputField::id_area, band + u"| Номер зоны"_s, 45, Option::ReadOnly) },
                { OutputField::id_chan, OutputField::addr, OutputField::ver, OutputField::year, OutputField::month,
                  OutputField::snum, OutputField::id_mode, OutputField::time, OutputField::id_being,
                  OutputField::offset, OutputField::saddrh, OutputField::saddrl, OutputField::id_dev,
                  OutputField::mname, OutputField::boolarea, OutputField::id_return, OutputField::index });
}

GridSpec DBGridEh11()
{
    const QString band = u"Список устройств модуля"_s;
    const Options steps = Option::Lookup | Option::DoubleClickSteps;
    return grid("DBGridEh11", GridSpec::Indicator::Numbered,
                { iconColumn(SensorField::id_sen, band + u"|Тип"_s, 26, Icons::DeviceType, Option::ReadOnly),
                  column(SensorField::name, band + u"|Тип"_s, 76, Option::Lookup | Option::ReadOnly),
                  column(SensorField::cname, band + u"|Тип канала"_s, 125, Option::Lookup | Option::ReadOnly),
                  column(SensorField::addr, band + u"|Адрес"_s, Natural, Option::ReadOnly),
                  column(SensorField::mode, band + u"|Режим работы"_s, 91, steps),
                  column(SensorField::bname, band + u"|Состояние"_s, 70, steps),
                  column(SensorField::ver, band + u"|Версия"_s, 76, Option::ReadOnly),
                  column(SensorField::year, band + u"|Год выпуска"_s, 59, Option::ReadOnly),
                  column(SensorField::month, band + u"|Месяц выпуска"_s, 77, Option::ReadOnly),
                  column(SensorField::snum, band + u"|Серийный номер"_s, 74, Option::ReadOnly, Right),
                  column(SensorField::id_area, band + u"|Номер зоны"_s, 51, Option::ReadOnly) },
                { SensorField::id_chan, SensorField::id_mode, SensorField::time, SensorField::id_being,
                  SensorField::offset, SensorField::saddrh, SensorField::saddrl, SensorField::id_dev,
                  SensorField::mname, SensorField::boolarea, SensorField::index });
}

GridSpec DBGridEh7()
{
    const QString band = u"Список выходов"_s;
    const Options steps = Option::Lookup | Option::DoubleClickSteps;
    return grid("DBGridEh7", GridSpec::Indicator::Numbered,
                { column(OutputField::mname, band + u"|Модуль"_s, 98, Option::Lookup | Option::ReadOnly),
                  column(OutputField::cname, band + u"|Тип канала| "_s, 119, Option::Lookup | Option::ReadOnly),
                  column(OutputField::vname, band + u"|Тип канала| "_s, 48, Option::ReadOnly),
                  column(OutputField::addr, band + u"|Адрес"_s, 91, Option::ReadOnly),
                  column(OutputField::mode, band + u"|Режим работы"_s, 113, steps),
                  column(OutputField::bname, band + u"|Состояние"_s, Natural, steps),
                  column(OutputField::ver, band + u"|Версия"_s, Natural, Option::ReadOnly),
                  column(OutputField::year, band + u"|Год выпуска"_s, Natural, Option::ReadOnly),
                  column(OutputField::month, band + u"|Месяц выпуска"_s, Natural, Option::ReadOnly),
                  column(OutputField::snum, band + u"|Серийный номер"_s, 82, Option::ReadOnly, Right) },
                { OutputField::id_chan, OutputField::id_mode, OutputField::time, OutputField::id_being,
                  OutputField::offset, OutputField::id_area, OutputField::saddrh, OutputField::saddrl,
                  OutputField::id_dev, OutputField::boolarea, OutputField::id_return, OutputField::index });
}

GridSpec dbgAreaReturn()
{
    return outputZones("dbgAreaReturn", u"Список зон выхода"_s, 121);
}

GridSpec dbgAreaReturnAcc()
{
    return outputZones("dbgAreaReturnAcc", u"Список доступных зон"_s, 129);
}

GridSpec DBGridEh8()
{
    const QString band = u"Список входов"_s;
    return grid("DBGridEh8", GridSpec::Indicator::Plain,
                { iconColumn(InputField::id, band + u"| Тип"_s, 36, Icons::ModuleType, Option::ReadOnly),
                  column(InputField::mname, band + u"| Тип"_s, 92, Option::Lookup | Option::NoTyping),
                  column(InputField::addr, band + u"| Адрес"_s, Natural, Option::NoTyping),
                  column(InputField::num, band + u"| № "_s, Natural, Option::NoTyping),
                  column(InputField::level, band + u"| Уровень нормального состояния"_s, 80),
                  column(InputField::bname, band + u"| Состояние"_s, 91, Option::Lookup),
                  column(InputField::rname, band + u"| Сообщение"_s, 391, Option::Lookup) },
                { InputField::id_being, InputField::id_repent });
}

GridSpec DBGridEh10()
{
    return grid("DBGridEh10", GridSpec::Indicator::Numbered,
                { column(MessageField::name, u"Список сообщений входов"_s, 354) }, { MessageField::id });
}

GridSpec DBGridEh5()
{
    const QString band = u"Настройка режима ДЕНЬ/НОЧЬ"_s;
    return grid("DBGridEh5", GridSpec::Indicator::Plain,
                { column(ProfileField::id, band + u"|Временной профиль"_s, 149, Option::ReadOnly, Centre),
                  column(ProfileField::begin_day, band + u"|Начало дня"_s, 79, {}, Centre),
                  column(ProfileField::begin_night, band + u"|Начало ночи"_s, 71, {}, Centre) },
                {});
}

GridSpec DBGridEh6()
{
    const QString band = u"Список оповещений"_s;
    return grid("DBGridEh6", GridSpec::Indicator::Numbered,
                { column(EventCodeField::code, band + u"| Код"_s, 83),
                  column(EventCodeField::name, band + u"|Информационное сообщение"_s, 272, Option::ReadOnly) },
                {});
}

} // namespace MainGrids
