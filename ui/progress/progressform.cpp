#include <ui/progress/progressform.h>

#include <exchange/transferpace.h>

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

const QColor FormColour(222, 221, 225);
const QColor PanelColour(219, 218, 222);
const QColor BevelColour(160, 160, 160);
const QColor InfoColour(155, 205, 255);
// A repaint and its flush to the screen cost about as much as a few blocks of an unpaced
// transfer; a dozen a second still reads as steady movement.
constexpr int BarRefreshInterval = 80; // ms
// A guess that changed every frame would be read as none.
constexpr int TimeLeftRefreshInterval = 1000; // ms

void paint(QWidget *widget, const QColor &background, const QColor &foreground)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, foreground);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

TProgressForm::TProgressForm(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(u"ProgressForm"_s);
    setFixedSize(ClientWidth, ClientHeight);
    paint(this, FormColour, Qt::black);
    // The user goes on working in the main window while the transfer runs.
    setAttribute(Qt::WA_ShowWithoutActivating);

    auto *panel = new QFrame(this);
    panel->setObjectName(u"Panel"_s);
    panel->setGeometry(rect());
    panel->setFrameStyle(QFrame::Box | QFrame::Plain);
    panel->setLineWidth(1);
    paint(panel, PanelColour, BevelColour);

    m_info = new QLabel(panel);
    m_info->setObjectName(u"lbInfo"_s);
    m_info->setGeometry(6, 8, 298, 20);
    m_info->setAlignment(Qt::AlignCenter);
    m_info->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_info->setLineWidth(1);
    QFont font = m_info->font();
    font.setFamily(u"Tahoma"_s);
    font.setPixelSize(13);
    m_info->setFont(font);
    paint(m_info, InfoColour, Qt::black);

    m_bar = new QProgressBar(panel);
    m_bar->setObjectName(u"ProgressBar"_s);
    m_bar->setGeometry(6, 36, 298, 17);
    m_bar->setRange(0, 100);
    m_bar->setValue(0); // a fresh bar is empty, not in Qt's "reset" state
    m_bar->setTextVisible(false);
    m_bar->setAccessibleName(m_info->text());

    // Below the bar, so that the window keeps its look above it.
    m_block = new QLabel(panel);
    m_block->setObjectName(u"lbBlock"_s);
    m_block->setGeometry(6, 60, 210, 15);
    m_timeLeft = new QLabel(panel);
    m_timeLeft->setObjectName(u"lbTimeLeft"_s);
    m_timeLeft->setGeometry(6, 77, 210, 15);
    for (QLabel *label : { m_block, m_timeLeft })
        paint(label, PanelColour, Qt::black);

    m_cancel = new QPushButton(u"Отмена"_s, panel);
    m_cancel->setObjectName(u"btnCancel"_s);
    m_cancel->setAccessibleName(u"Отмена"_s);
    m_cancel->setGeometry(229, 63, 75, 25);
    // Taken at the next reply; meanwhile a second press would say nothing new.
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        m_cancel->setEnabled(false);
        emit cancelRequested();
    });

    m_elapsed.start();
    m_barRefresh.setSingleShot(true);
    m_barRefresh.setInterval(BarRefreshInterval);
    connect(&m_barRefresh, &QTimer::timeout, this, &TProgressForm::showPosition);
}

QString TProgressForm::info() const
{
    return m_info->text();
}

void TProgressForm::setInfo(const QString &text)
{
    m_info->setText(text);
    m_bar->setAccessibleName(text);
}

int TProgressForm::maximum() const
{
    return m_bar->maximum();
}

void TProgressForm::setMaximum(int maximum)
{
    showPosition();
    m_bar->setMaximum(maximum);
    m_position = m_bar->value();
    showPosition();
}

void TProgressForm::startPace()
{
    m_paceStart = now();
    m_pacePosition = m_position;
    m_timeLeftShownAt = m_paceStart;
    m_timeLeft->clear();
    m_cancel->setEnabled(true);
}

void TProgressForm::setClock(Clock clock)
{
    m_clock = std::move(clock);
    startPace();
}

qint64 TProgressForm::now() const
{
    return m_clock ? m_clock() : m_elapsed.elapsed();
}

QString TProgressForm::blockText() const
{
    return m_block->text();
}

QString TProgressForm::timeLeftText() const
{
    return m_timeLeft->text();
}

int TProgressForm::position() const
{
    return m_position;
}

void TProgressForm::stepIt()
{
    // Held at the maximum rather than wrapping to the start.
    m_position = qMin(m_position + 1, m_bar->maximum());
    if (!m_barRefresh.isActive())
        m_barRefresh.start();
}

void TProgressForm::showPosition()
{
    m_barRefresh.stop();
    m_bar->setValue(m_position);
    // The block under way: the one after those done, the last once all are.
    const int maximum = m_bar->maximum();
    m_block->setText(TransferPace::blockText(qMin(m_position + 1, maximum), maximum));
    const qint64 at = now();
    if (!m_timeLeft->text().isEmpty() && at - m_timeLeftShownAt < TimeLeftRefreshInterval)
        return;
    const std::optional<qint64> left =
            TransferPace::timeLeft(m_position - m_pacePosition, maximum - m_pacePosition, at - m_paceStart);
    if (!left)
        return;
    m_timeLeft->setText(TransferPace::timeLeftText(*left));
    m_timeLeftShownAt = at;
}

void TProgressForm::closeEvent(QCloseEvent *event)
{
    showPosition(); // where the transfer stopped, for whoever reads the bar last
    QWidget::closeEvent(event);
    emit closed();
}
