#pragma once

#include <QProxyStyle>

namespace kb {

// The panel's check boxes and radio buttons were laid out for a small
// indicator with little space before the caption; this style gives them that,
// so the captions fit their places. Push buttons ask for the width of their
// caption and margins, not for the toolkit's minimum of 80 pixels.
class CompactStyle final : public QProxyStyle {
public:
    CompactStyle();
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                           const QWidget* widget) const override;
};

}  // namespace kb
