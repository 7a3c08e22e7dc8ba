#include "compact_style.h"

#include <QApplication>
#include <QStyleFactory>
#include <QStyleOptionButton>
#include <algorithm>

namespace kb {
namespace {

constexpr int kIndicatorPx = 12;
constexpr int kLabelSpacingPx = 3;
constexpr int kButtonTextMarginPx = 8;  // left and right of a push button's caption together

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

QSize CompactStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                                     const QWidget* widget) const
{
    const QSize preferred = QProxyStyle::sizeFromContents(type, option, contents, widget);
    if (type != CT_PushButton || qstyleoption_cast<const QStyleOptionButton*>(option) == nullptr) {
        return preferred;
    }
    return QSize(std::min(preferred.width(), contents.width() + kButtonTextMarginPx), preferred.height());
}

}  // namespace kb
