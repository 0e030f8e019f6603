#include <ui/controls/pagecontrol.h>

#include <QApplication>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTabBar>

namespace {

// The program's style but for the room beside a tab's caption, which every style both sizes
// the tab and places the caption by.
class CompactTabStyle : public QProxyStyle
{
public:
    CompactTabStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) { }

    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        constexpr int CaptionRoom = 12; // both sides together
        if (metric == PM_TabBarTabHSpace)
            return CaptionRoom;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

PageControl::PageControl(QWidget *parent) : QTabWidget(parent)
{
    auto *style = new CompactTabStyle;
    style->setParent(tabBar()); // a widget does not own the style it is given
    tabBar()->setStyle(style);
}
