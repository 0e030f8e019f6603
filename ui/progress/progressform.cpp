#include <ui/progress/progressform.h>

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>

using namespace Qt::StringLiterals;

namespace {

const QColor FormColour(222, 221, 225);
const QColor PanelColour(219, 218, 222);
const QColor BevelColour(160, 160, 160);
const QColor InfoColour(155, 205, 255);
constexpr int BarRefreshInterval = 16; // ms, about one frame

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
}

void TProgressForm::closeEvent(QCloseEvent *event)
{
    showPosition(); // where the transfer stopped, for whoever reads the bar last
    QWidget::closeEvent(event);
    emit closed();
}
