#include <model/marktitles.h>

#include <model/memtable.h>

#include <functional>

namespace MarkTitles {

namespace {

void setMarks(MemTable &list, int field, const std::function<bool(bool)> &mark)
{
    {
        const MemTable::UpdateGuard suspended(list);
        for (list.first(); !list.eof(); list.next()) {
            list.setValue(field, mark(list.asBoolean(field)));
            list.post();
        }
    }
    list.first();
}

int flipped(int shownIcon)
{
    return shownIcon == Check ? Cross : Check;
}

} // namespace

int markAll(MemTable &list, int markField, int shownIcon)
{
    const bool set = shownIcon == Check;
    setMarks(list, markField, [set](bool) { return set; });
    return flipped(shownIcon);
}

int invertAll(MemTable &list, int markField, int shownIcon)
{
    setMarks(list, markField, [](bool marked) { return !marked; });
    return flipped(shownIcon);
}

} // namespace MarkTitles
