#include <model/dialoggrids.h>

#include <model/tablefields.h>

using namespace Qt::StringLiterals;

namespace DialogGrids {

namespace {

using Option = ColumnSpec::Option;
using Options = ColumnSpec::Options;
constexpr int Natural = ColumnSpec::NaturalWidth;
constexpr int TitleArrow = 1;
constexpr int TitleCheck = 0;

ColumnSpec column(int field, const QString &title, int width, Options options = {})
{
    ColumnSpec spec;
    spec.field = field;
    spec.title = title;
    spec.width = width;
    spec.options = options;
    return spec;
}

ColumnSpec hidden(int field)
{
    ColumnSpec spec;
    spec.field = field;
    spec.options = Option::Hidden;
    return spec;
}

// The dialogs' lists select whole rows, are numbered, and change only through marks.
GridSpec markList(const char *name, QVector<ColumnSpec> columns)
{
    GridSpec spec;
    spec.name = QString::fromLatin1(name);
    spec.indicator = GridSpec::Indicator::Numbered;
    spec.wholeRows = true;
    spec.movableColumns = true;
    spec.columns = std::move(columns);
    return spec;
}

struct SensorWidths
{
    int type, module, device, channel, state, version, month, serial, mark;
};

GridSpec sensors(const char *name, const QString &band, const SensorWidths &w)
{
    ColumnSpec type = column(SensorField::id_sen, band + u"|Тип"_s, w.type, Option::Icon);
    type.icons = ColumnSpec::Icons::DeviceType;
    type.titleIcon = TitleArrow;
    ColumnSpec mark = column(SensorField::boolarea, band + u"|Тип"_s, w.mark, Option::Mark);
    mark.titleIcon = TitleCheck;
    ColumnSpec serial = column(SensorField::snum, band + u"|Серийный номер"_s, w.serial);
    serial.alignment = Qt::AlignRight | Qt::AlignVCenter;
    QVector<ColumnSpec> columns {
        type,
        column(SensorField::mname, band + u"|Модуль"_s, w.module, Option::Lookup),
        column(SensorField::name, band + u"|Устройство"_s, w.device, Option::Lookup),
        column(SensorField::cname, band + u"|Тип канала"_s, w.channel, Option::Lookup),
        column(SensorField::addr, band + u"|Адрес"_s, Natural),
        column(SensorField::mode, band + u"|Режим работы"_s, Natural, Option::Lookup),
        column(SensorField::bname, band + u"|Состояние"_s, w.state, Option::Lookup),
        column(SensorField::ver, band + u"|Версия"_s, w.version),
        column(SensorField::year, band + u"|Год выпуска"_s, Natural),
        column(SensorField::month, band + u"|Месяц выпуска"_s, w.month),
        serial,
        mark,
    };
    for (const int field : { SensorField::id_chan, SensorField::id_mode, SensorField::time, SensorField::id_being,
                             SensorField::offset, SensorField::id_area, SensorField::saddrh, SensorField::saddrl,
                             SensorField::id_dev, SensorField::index })
        columns << hidden(field);
    return markList(name, columns);
}

struct OutputWidths
{
    int module, channel, shortType, address, mode, version, year, month, serial, mark;
};

GridSpec outputs(const char *name, const QString &band, const OutputWidths &w, const QString &markHint)
{
    ColumnSpec mark = column(OutputField::boolarea, band + u"|Отметка"_s, w.mark, Option::Mark);
    mark.titleIcon = TitleCheck;
    mark.titleHint = markHint;
    ColumnSpec serial = column(OutputField::snum, band + u"|Серийный номер"_s, w.serial);
    serial.alignment = Qt::AlignRight | Qt::AlignVCenter;
    QVector<ColumnSpec> columns {
        column(OutputField::mname, band + u"|Модуль"_s, w.module, Option::Lookup),
        column(OutputField::cname, band + u"|Тип канала| "_s, w.channel, Option::Lookup),
        column(OutputField::vname, band + u"|Тип канала| "_s, w.shortType),
        column(OutputField::addr, band + u"|Адрес"_s, w.address),
        column(OutputField::mode, band + u"|Режим работы"_s, w.mode, Option::Lookup),
        column(OutputField::bname, band + u"|Состояние"_s, Natural, Option::Lookup),
        column(OutputField::ver, band + u"|Версия"_s, w.version),
        column(OutputField::year, band + u"|Год выпуска"_s, w.year),
        column(OutputField::month, band + u"|Месяц выпуска"_s, w.month),
        serial,
        mark,
    };
    for (const int field : { OutputField::id_chan, OutputField::id_mode, OutputField::time, OutputField::id_being,
                             OutputField::offset, OutputField::id_area, OutputField::saddrh, OutputField::saddrl,
                             OutputField::id_dev, OutputField::id_return, OutputField::index })
        columns << hidden(field);
    return markList(name, columns);
}

} // namespace

GridSpec dbgeSensorZone()
{
    return sensors("dbgeSensorZone", u"Список устройств зоны"_s,
                   { 24, Natural, 77, Natural, 69, Natural, Natural, 63, Natural });
}

GridSpec dbgeSensorAcc()
{
    return sensors("dbgeSensorAcc", u"Список доступных устройств"_s, { 27, Natural, 70, 127, 70, 65, 59, 71, 32 });
}

GridSpec dbgeReturnZone()
{
    return outputs("dbgeReturnZone", u"Список выходов зоны"_s, { Natural, 121, Natural, 48, 68, 48, 63, 71, 68, 32 },
                   u"Отметить все  выходы зоны"_s);
}

GridSpec dbgeReturnAcc()
{
    return outputs("dbgeReturnAcc", u"Список доступный выходов"_s, { 60, 117, 45, 43, 68, 51, 63, 72, 74, 30 },
                   u"Отметить все доступные выходы"_s);
}

GridSpec dbgNewSensor()
{
    const QString band = u"Обнаружены новые устройства модуля"_s;
    ColumnSpec type = column(FoundField::id_sen, band + u"|Тип"_s, Natural, Option::Icon);
    type.icons = ColumnSpec::Icons::DeviceType;
    type.titleIcon = TitleArrow;
    GridSpec spec;
    spec.name = u"dbgNewSensor"_s;
    spec.indicator = GridSpec::Indicator::Numbered;
    spec.columns = {
        type,
        column(FoundField::name, band + u"| Тип"_s, Natural, Option::Lookup),
        column(FoundField::addr, band + u"| Адрес"_s, Natural),
        column(FoundField::ver, band + u"|Версия"_s, Natural),
        column(FoundField::year, band + u"|Год выпуска"_s, Natural),
        column(FoundField::month, band + u"|Месяц выпуска"_s, Natural),
        column(FoundField::snum, band + u"|Серийный номер"_s, Natural),
        column(FoundField::id_area, band + u"|№ зоны"_s, Natural),
        column(FoundField::note, band + u"| Примечание"_s, Natural),
        hidden(FoundField::saddrh),
        hidden(FoundField::saddrl),
        hidden(FoundField::id_dev),
        hidden(FoundField::mname),
    };
    return spec;
}

} // namespace DialogGrids
