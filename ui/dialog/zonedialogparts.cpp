#include <ui/dialog/zonedialogparts.h>

#include <ui/controls/svgpicture.h>
#include <ui/dialog/statustiprelay.h>
#include <ui/grid/bandedheader.h>
#include <ui/grid/datagrid.h>

#include <model/marktitles.h>

#include <QAbstractButton>
#include <QDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace ZoneDialogParts {

namespace {

const QColor PanelColour(229, 229, 229);
constexpr int PictureSide = 32;

} // namespace

QWidget *fixedFrame(QDialog &dialog, const QSize &client)
{
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint);
    dialog.setModal(true);
    dialog.setFixedSize(client);
    new StatusTipRelay(&dialog);

    auto *panel = new QWidget(&dialog);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(dialog.rect());
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, PanelColour);
    panel->setPalette(palette);
    panel->setAutoFillBackground(true);

    // On the screen, not over the main window; a moved dialog is not re-centred by Qt.
    const QScreen *screen = dialog.parentWidget() ? dialog.parentWidget()->window()->screen()
                                                  : QGuiApplication::primaryScreen();
    if (screen)
        dialog.move(screen->availableGeometry().center() - dialog.rect().center());
    return panel;
}

DataGrid *grid(QWidget *panel, const GridSpec &spec, MemTable &table, const QRect &geometry)
{
    auto *view = new DataGrid(spec, table, panel);
    view->setGeometry(geometry);
    return view;
}

QPushButton *pictureButton(QWidget *panel, const char *name, const QRect &geometry, const char *picture,
                           const QString &hint)
{
    return ::pictureButton(panel, name, geometry, picture, PictureSide, hint);
}

void markAllOnTitleClick(DataGrid *grid, int markField)
{
    BandedHeader *title = grid->bandedHeader();
    MemTable &list = grid->table();
    QObject::connect(title, &BandedHeader::titleButtonClicked, grid, [title, &list, markField](int column) {
        title->setTitleIcon(column, MarkTitles::markAll(list, markField, title->titleIcon(column)));
    });
}

void resetMarkTitles(DataGrid *grid)
{
    const QVector<ColumnSpec> &columns = grid->grid().columns;
    for (int column = 0; column < columns.size(); ++column) {
        if (columns.at(column).options.testFlag(ColumnSpec::Mark))
            grid->bandedHeader()->setTitleIcon(column, MarkTitles::Check);
    }
}

void askRemoval(QWidget *dialog, const QString &question)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"), question, QMessageBox::Yes | QMessageBox::No,
                    dialog);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Yes"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
    box.exec();
}

} // namespace ZoneDialogParts
