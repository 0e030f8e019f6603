#pragma once

#include <QSize>

class DataGrid;
class MemTable;
class QDialog;
class QPushButton;
class QRect;
class QString;
class QWidget;
struct GridSpec;

// What the two zone dialogs are built of alike.
namespace ZoneDialogParts {

// The fixed frame with only a close button, the client area `client`, modal and centred
// on the screen; returns the grey panel that fills it and holds the controls.
QWidget *fixedFrame(QDialog &dialog, const QSize &client);

DataGrid *grid(QWidget *panel, const GridSpec &spec, MemTable &table, const QRect &geometry);

// A button showing only its picture (32 px); its hint is its balloon, its status-bar text
// and its accessible name.
QPushButton *pictureButton(QWidget *panel, const char *name, const QRect &geometry, const char *picture,
                           const QString &hint);

// A click on a mark column's title sets or clears every mark of the list (`markField`);
// the title keeps its state only in the picture it shows.
void markAllOnTitleClick(DataGrid *grid, int markField);
// Every mark title shows the check again.
void resetMarkTitles(DataGrid *grid);

// The question BitBtn3 asks before removing from the available list; the removal itself
// is not offered, so the answer is not acted on.
void askRemoval(QWidget *dialog, const QString &question);

} // namespace ZoneDialogParts
