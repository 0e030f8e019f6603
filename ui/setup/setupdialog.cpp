#include <ui/setup/setupdialog.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSerialPortInfo>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Wide enough for every offered value and a typical port name in Tahoma 8.
constexpr int ListMinimumWidth = 110;

// A list left without a choice (a value it does not offer) keeps what was there.
QString choiceOr(const QComboBox *list, const QString &kept)
{
    return list->currentIndex() < 0 ? kept : list->currentText();
}

// Digit runs compare as numbers, so "COM2" comes before "COM10" and "ttyS2" before "ttyS10".
bool naturallyBefore(const QString &a, const QString &b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            const qsizetype startA = i;
            const qsizetype startB = j;
            while (i < a.size() && a.at(i).isDigit())
                ++i;
            while (j < b.size() && b.at(j).isDigit())
                ++j;
            const qulonglong numberA = a.mid(startA, i - startA).toULongLong();
            const qulonglong numberB = b.mid(startB, j - startB).toULongLong();
            if (numberA != numberB)
                return numberA < numberB;
            continue;
        }
        const int order = QString::compare(a.mid(i, 1), b.mid(j, 1), Qt::CaseInsensitive);
        if (order != 0)
            return order < 0;
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return (a.size() - i) < (b.size() - j);
    return a < b; // a total order, so the list comes out the same on every run
}

} // namespace

SetupDialog::SetupDialog(const PortSettings &current, QWidget *parent)
    : SetupDialog(current, systemPortNames(), parent)
{
}

SetupDialog::SetupDialog(const PortSettings &current, const QStringList &portNames, QWidget *parent)
    : QDialog(parent), m_current(current), m_result(current)
{
    setWindowTitle(u"Setup"_s);

    auto *group = new QGroupBox(u" Settings "_s);
    group->setObjectName(u"Settings"_s);
    auto *grid = new QGridLayout(group);
    grid->setColumnMinimumWidth(1, ListMinimumWidth);
    m_port = addList(grid, u"Port"_s, u"cbPort"_s, portChoices(portNames, current.port), current.port);
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
    settings.port = choiceOr(m_port, m_current.port);
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

QStringList SetupDialog::systemPortNames()
{
    QStringList names;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports)
        names.append(port.portName());
    return names;
}

QStringList SetupDialog::portChoices(const QStringList &names, const QString &current)
{
    QStringList choices = names;
    if (!current.isEmpty())
        choices.append(current);
    choices.removeAll(QString());
    choices.removeDuplicates();
    std::sort(choices.begin(), choices.end(), naturallyBefore);
    return choices;
}
