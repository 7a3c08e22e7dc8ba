#include "compact_style.h"

#include <QApplication>
#include <QStyleFactory>

namespace kb {
namespace {

constexpr int kIndicatorPx = 12;
constexpr int kLabelSpacingPx = 3;

}  // namespace

CompactStyle::CompactStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

int CompactStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    switch (metric) {
        case PM_CheckBoxLabelSpacing:
        case PM_RadioButtonLabelSpacing:
            return kLabelSpacingPx;
        case PM_IndicatorWidth:
        case PM_IndicatorHeight:
        case PM_ExclusiveIndicatorWidth:
        case PM_ExclusiveIndicatorHeight:
            return kIndicatorPx;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

}  // namespace kb
