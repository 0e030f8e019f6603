#pragma once

class MemTable;

// The title button of a list's mark column remembers its state only in the picture it
// shows: the check (0) or the cross (2). Both rules act on the rows the list shows and
// leave it on its first row; each returns the picture to show now.
namespace MarkTitles {

constexpr int Check = 0;
constexpr int Cross = 2;

// From the check: every mark (the Boolean `markField`) set; otherwise every mark cleared.
int markAll(MemTable &list, int markField, int shownIcon);
// Every mark turned over; the picture flips alike.
int invertAll(MemTable &list, int markField, int shownIcon);

} // namespace MarkTitles
