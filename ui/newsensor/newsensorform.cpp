#include <ui/newsensor/newsensorform.h>

#include <ui/grid/datagrid.h>

#include <exchange/devicesearch.h>
#include <link/portsettings.h>
#include <model/configuration.h>
#include <model/dialoggrids.h>

#include <QGuiApplication>
#include <QLabel>
#include <QScopeGuard>
#include <QScreen>

using namespace Qt::StringLiterals;

namespace {

constexpr int HaltLineHeight = 18;
constexpr int HaltIndent = 4;

} // namespace

TNewSensorForm::TNewSensorForm(Configuration &configuration, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                      | Qt::WindowCloseButtonHint)
{
    setObjectName(u"NewSensorForm"_s);
    setModal(true);
    setFixedSize(ClientWidth, ClientHeight);

    m_found = new DataGrid(DialogGrids::dbgNewSensor(), configuration.mtSensorNew(), this);
    m_found->setGeometry(0, 0, ClientWidth, ClientHeight - HaltLineHeight);

    m_halt = new QLabel(this);
    m_halt->setObjectName(u"lbHalt"_s);
    m_halt->setGeometry(0, ClientHeight - HaltLineHeight, ClientWidth, HaltLineHeight);
    m_halt->setIndent(HaltIndent);
    m_halt->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    // On the screen, not over the main window; a moved dialog is not re-centred by Qt.
    const QScreen *screen = parent ? parent->window()->screen() : QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - rect().center());
}

void TNewSensorForm::showHalt(const QString &reason)
{
    m_halt->setText(reason);
}

void TNewSensorForm::runSearch(DeviceSearch &search, const PortSettings &settings, int module,
                               const QString &technologicalAddress, Configuration &configuration, QWidget *parent,
                               std::function<void()> beforeShow)
{
    if (!search.start(settings, module, technologicalAddress))
        return;
    const auto stopped = qScopeGuard([&search] { search.stop(); });
    TNewSensorForm form(configuration, parent);
    // Why the exchange stopped (as a message has told) or that the module fell silent.
    connect(&search, &DeviceSearch::halted, &form, &TNewSensorForm::showHalt);
    connect(&search, &DeviceSearch::fellSilent, &form, &TNewSensorForm::showHalt);
    if (beforeShow)
        beforeShow();
    form.exec();
}
