#include <ui/setup/setupdialog.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// Wide enough for every offered value and a typical port name in Tahoma 8.
constexpr int ListMinimumWidth = 110;

// A list left without a choice (a value it does not offer) keeps what was there.
QString choiceOr(const QComboBox *list, const QString &kept)
{
    return list->currentIndex() < 0 ? kept : list->currentText();
}

} // namespace

SetupDialog::SetupDialog(const PortSettings &current, QWidget *parent)
    : SetupDialog(current, PortChoices::available(current.port), parent)
{
}

SetupDialog::SetupDialog(const PortSettings &current, const QStringList &portNames, QWidget *parent)
    : SetupDialog(current, PortChoices::choices(portNames, {}, current.port), parent)
{
}

SetupDialog::SetupDialog(const PortSettings &current, const QList<PortChoice> &ports, QWidget *parent)
    : QDialog(parent), m_current(current), m_result(current)
{
    setObjectName(u"SetupDialog"_s);
    setWindowTitle(u"Setup"_s);

    auto *group = new QGroupBox(u" Settings "_s);
    group->setObjectName(u"Settings"_s);
    auto *grid = new QGridLayout(group);
    grid->setColumnMinimumWidth(1, ListMinimumWidth);
    m_port = addList(grid, u"Port"_s, u"cbPort"_s, {}, QString());
    for (const PortChoice &port : ports)
        m_port->addItem(port.caption, port.name);
    m_port->setCurrentIndex(m_port->findData(current.port));
    m_baudRate = addList(grid, u"Baud rate"_s, u"cbBaudRate"_s, PortSettings::baudRates(), current.baudRate);
    m_dataBits = addList(grid, u"Data bits"_s, u"cbDataBits"_s, PortSettings::dataBitsList(), current.dataBits);
    m_stopBits = addList(grid, u"Stop bits"_s, u"cbStopBits"_s, PortSettings::stopBitsList(), current.stopBits);
    m_parity = addList(grid, u"Parity"_s, u"cbParity"_s, PortSettings::parities(), current.parity);
    m_flowControl = addList(grid, u"Flow control"_s, u"cbFlowControl"_s, PortSettings::flowControls(),
                            current.flowControl());

    auto *buttons = new QDialogButtonBox;
    QPushButton *ok = buttons->addButton(u"OK"_s, QDialogButtonBox::AcceptRole);
    ok->setObjectName(u"OK"_s);
    ok->setDefault(true);
    QPushButton *cancel = buttons->addButton(u"Cancel"_s, QDialogButtonBox::RejectRole);
    cancel->setObjectName(u"Cancel"_s);
    connect(buttons, &QDialogButtonBox::accepted, this, &SetupDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SetupDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(group);
    layout->addWidget(buttons);

    // On the screen, not over the main window; a moved dialog is not re-centred by Qt.
    adjustSize();
    const QScreen *screen = parent ? parent->window()->screen() : QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - rect().center());
}

QComboBox *SetupDialog::addList(QGridLayout *grid, const QString &caption, const QString &name,
                                const QStringList &values, const QString &current)
{
    const int row = grid->rowCount();
    auto *label = new QLabel(caption);
    auto *list = new QComboBox;
    list->setObjectName(name);
    list->setAccessibleName(caption);
    list->addItems(values);
    list->setCurrentIndex(int(values.indexOf(current)));
    label->setBuddy(list);
    grid->addWidget(label, row, 0);
    grid->addWidget(list, row, 1);
    return list;
}

PortSettings SetupDialog::chosen() const
{
    PortSettings settings = m_current;
    settings.port = m_port->currentIndex() < 0 ? m_current.port : m_port->currentData().toString();
    settings.baudRate = choiceOr(m_baudRate, m_current.baudRate);
    settings.dataBits = choiceOr(m_dataBits, m_current.dataBits);
    settings.stopBits = choiceOr(m_stopBits, m_current.stopBits);
    settings.parity = choiceOr(m_parity, m_current.parity);
    settings.setFlowControl(choiceOr(m_flowControl, m_current.flowControl()));
    return settings;
}

void SetupDialog::accept()
{
    m_result = chosen();
    QDialog::accept();
}
