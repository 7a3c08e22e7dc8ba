#include "fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <cmath>

namespace kb {
namespace {

constexpr int kProbePixelSize = 100;
constexpr double kWidthTolerance = 1.03;

double CellRatio(const QString& family)
{
    static QHash<QString, double> ratios;
    const auto found = ratios.constFind(family);
    if (found != ratios.constEnd()) {
        return *found;
    }
    QFont probe(family);
    probe.setPixelSize(kProbePixelSize);
    const double ratio = QFontMetricsF(probe).height() / kProbePixelSize;
    ratios.insert(family, ratio > 0.0 ? ratio : 1.0);
    return ratios.value(family);
}

// The layout was designed for a narrow 8-point face. The platform's interface
// font is taken when its captions fit that layout; a wider one would clip
// them, and the metric-compatible Liberation Sans stands in.
QString InterfaceFamily()
{
    static const QString family = [] {
        const QString platform = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
        const QString narrow = QStringLiteral("Liberation Sans");
        if (!QFontDatabase::hasFamily(narrow)) {
            return platform;
        }
        const QString probe = QStringLiteral("Punkte auf d. Ewaldkreis");
        QFont platformFont(platform);
        platformFont.setPixelSize(kProbePixelSize);
        QFont narrowFont(narrow);
        narrowFont.setPixelSize(kProbePixelSize);
        const double platformWidth = QFontMetricsF(platformFont).horizontalAdvance(probe);
        const double narrowWidth = QFontMetricsF(narrowFont).horizontalAdvance(probe);
        return platformWidth <= narrowWidth * kWidthTolerance ? platform : narrow;
    }();
    return family;
}

}  // namespace

QString MapFaceName(const QString& face)
{
    if (face.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0) {
        return QStringLiteral("Liberation Sans");
    }
    if (face.compare(QLatin1String("MS Sans Serif"), Qt::CaseInsensitive) == 0) {
        return InterfaceFamily();
    }
    return face;
}

QFont ControlFont(const QString& face, int charHeightPx)
{
    QFont font(MapFaceName(face));
    font.setPixelSize(std::max(1, charHeightPx));
    return font;
}

QFont CellHeightFont(const QString& face, int cellHeightPx)
{
    const QString family = MapFaceName(face);
    QFont font(family);
    const int pixelSize = static_cast<int>(std::lround(std::max(1, cellHeightPx) / CellRatio(family)));
    font.setPixelSize(std::max(1, pixelSize));
    return font;
}

FontCache::Entry& FontCache::Find(const Font& font)
{
    if (last_ != nullptr && font == lastFont_) {
        return *last_;
    }
    std::string key = font.face;
    key += '|';
    key += std::to_string(font.height);
    key += '|';
    key += std::to_string(font.pointSize);
    auto found = fonts_.find(key);
    if (found == fonts_.end()) {
        const QString face = QString::fromStdString(font.face);
        Entry entry;
        entry.font = font.pointSize > 0
                         ? ControlFont(face, static_cast<int>(std::lround(
                                                 font.pointSize * double(kDesignDpi) / kPointsPerInch)))
                         : CellHeightFont(face, font.height);
        entry.height = QFontMetrics(entry.font).height();
        found = fonts_.emplace(std::move(key), std::move(entry)).first;
    }
    lastFont_ = font;
    last_ = &found->second;
    return *last_;
}

const QFont& FontCache::Get(const Font& font)
{
    return Find(font).font;
}

int FontCache::Width(const Font& font, std::string_view text)
{
    Entry& entry = Find(font);
    const std::string key(text);
    const auto known = entry.widths.find(key);
    if (known != entry.widths.end()) {
        return known->second;
    }
    const int width =
        QFontMetrics(entry.font)
            .horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    entry.widths.emplace(key, width);
    return width;
}

int FontCache::Height(const Font& font)
{
    return Find(font).height;
}

int QtTextMetrics::TextWidth(const Font& font, std::string_view text)
{
    return cache_.Width(font, text);
}

int QtTextMetrics::TextHeight(const Font& font, std::string_view)
{
    return cache_.Height(font);
}

}  // namespace kb
