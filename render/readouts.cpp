#include "readouts.h"
#include "model/catalogue.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace kb {
namespace {

constexpr float kReadoutFontWorld = 150.0f;
constexpr float kOmegaBoxWidthWorld = 950.0f;
constexpr float kOmegaBoxHeightWorld = 200.0f;
constexpr float kReflexBoxWidthWorld = 2200.0f;
constexpr float kListWidthWorld = 1800.0f;
constexpr float kListHeightWorld = 800.0f;
constexpr int kListRightMarginPx = 10;
constexpr int kSignificantDigits = 15;  // the decimal digits a double reliably carries
constexpr double kWidestOmegaDeg = 359.9;
const char* const kNoReflexText = "Bragg-Bedingung nicht erfüllt";
const char* const kLabReflexText = "Reflex in Bragg-Stellung";

// The widest lines a verdict of the lab breaks into (VerdictLines in the
// lesson): its counts with two digits, the incomplete tail cut after its colon.
std::vector<std::string> WidestVerdictLines()
{
    std::vector<std::string> lines;
    std::string counts = TrArgs("core", "%1 von %2 gemessenen Spitzen erklärt, ", {"88", "88"});
    while (!counts.empty() && counts.back() == ' ') {
        counts.pop_back();
    }
    lines.push_back(counts);
    lines.push_back(TrArgs("core", "%1 vorhergesagte fehlen", {"88"}));
    std::string tail = Tr("core", " – Messung noch nicht vollständig: den Kristall einmal ganz drehen");
    tail.erase(0, tail.find_first_not_of(' '));
    const std::size_t colon = tail.find(": ");
    lines.push_back(tail.substr(0, colon == std::string::npos ? tail.size() : colon + 1));
    if (colon != std::string::npos) {
        lines.push_back(tail.substr(colon + 2));
    }
    lines.push_back(TrArgs("core", "Gelöst nach %1 Vermutungen", {"88"}));
    return lines;
}
// The lab's list: wider and taller than the standard one, for the reading and
// a verdict of up to four lines; the top right of the scene is empty there.
constexpr float kLabListWidthWorld = 2400.0f;
constexpr float kLabListHeightWorld = 1000.0f;
constexpr int kLabListLines = 5;
constexpr double kDegToRadExact = 0.017453292519943295;

int Scaled(float world, float scale)
{
    return RoundHalfEven(static_cast<double>(world) * scale);
}

}  // namespace

std::string FormatFixed(double value, int decimals, std::string_view decimalSeparator)
{
    if (!std::isfinite(value)) {
        return value != value ? "NAN" : (value > 0 ? "INF" : "-INF");
    }
    // The value's decimal digits, as a person reads them: d.dddd...e±x.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", kSignificantDigits - 1, std::fabs(value));
    const char* exponentMark = std::strchr(buffer, 'e');
    const int exponent = std::atoi(exponentMark + 1);
    std::string digits;
    for (const char* p = buffer; p != exponentMark; ++p) {
        if (*p >= '0' && *p <= '9') {
            digits += *p;
        }
    }
    // digits[0] has the place value 10^exponent; keep places down to 10^-decimals.
    int intDigits = exponent + 1;  // digits before the decimal point
    if (intDigits < 1) {
        digits.insert(0, static_cast<std::size_t>(1 - intDigits), '0');
        intDigits = 1;
    }
    const std::size_t keep = static_cast<std::size_t>(intDigits + decimals);
    if (digits.size() < keep + 1) {
        digits.append(keep + 1 - digits.size(), '0');
    }
    const bool roundUp = digits[keep] >= '5';
    digits.resize(keep);
    if (roundUp) {
        int i = static_cast<int>(keep) - 1;
        while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') {
            digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++digits[static_cast<std::size_t>(i)];
        } else {
            digits.insert(0, 1, '1');
            ++intDigits;
        }
    }
    // Strip leading zeros of the integer part, keeping one.
    std::size_t lead = 0;
    while (lead + 1 < static_cast<std::size_t>(intDigits) && digits[lead] == '0') {
        ++lead;
    }
    std::string integerPart = digits.substr(lead, static_cast<std::size_t>(intDigits) - lead);
    std::string fraction = digits.substr(static_cast<std::size_t>(intDigits));
    const bool isZero = integerPart.find_first_not_of('0') == std::string::npos &&
                        fraction.find_first_not_of('0') == std::string::npos;
    std::string text;
    if (value < 0 && !isZero) {
        text += '-';
    }
    text += integerPart;
    if (decimals > 0) {
        text += decimalSeparator;
        text += fraction;
    }
    return text;
}

Readouts ComputeReadouts(const SimState& s, const PassGeometry& g, std::string_view sep, int omegaBoxTop)
{
    Readouts out;
    const float scale = s.ViewScale;
    out.fontHeight = Scaled(kReadoutFontWorld, scale);
    out.omegaWidth = Scaled(kOmegaBoxWidthWorld, scale);
    out.omegaHeight = Scaled(kOmegaBoxHeightWorld, scale);
    out.omegaText =
        Tr("core", "Omega") + " = " + FormatFixed(static_cast<double>(s.Omega) * s.RadToDeg, 1, sep) + "°";
    out.reflexGeometry =
        BoxGeometry{out.omegaWidth, omegaBoxTop, Scaled(kReflexBoxWidthWorld, scale), out.omegaHeight};
    out.listGeometry.width = Scaled(kListWidthWorld, scale);
    out.listGeometry.height = Scaled(kListHeightWorld, scale);
    out.listGeometry.top = omegaBoxTop;
    out.listGeometry.left = RoundHalfEven(s.ViewWidth) - out.listGeometry.width - kListRightMarginPx;
    if (!s.ShowReadouts) {
        return out;
    }
    out.reflexVisible = true;
    out.reflexTextChanged = true;
    if (!g.HasReflex) {
        out.reflexText = Tr("core", kNoReflexText);
    } else {
        out.reflexPlaced = true;
        const auto whole = [&](float v) { return FormatFixed(v, 0, sep); };
        out.reflexText = TrArgs("core", "Reflex %1 %2 0 (= %3. Ordnung von %4 %5 0)",
                                {whole(g.H), whole(g.K), whole(g.Order), whole(g.PlaneH), whole(g.PlaneK)});
    }
    out.listUpdated = true;
    if (!g.HasReflex) {
        out.listVisible = false;
        return out;
    }
    out.listVisible = true;
    const auto whole = [&](double v) { return FormatFixed(v, 0, sep); };
    const auto tenth = [&](double v) { return FormatFixed(v, 1, sep); };
    const double theta = g.Theta;
    out.listLines.push_back("Theta = " + tenth(theta * s.RadToDeg) +
                            "°, 2Theta = " + tenth(theta * 2.0 * s.RadToDeg) + "°");
    out.listLines.push_back("d(" + whole(g.PlaneH) + whole(g.PlaneK) + "0) = " + tenth(g.PlaneSpacing) +
                            " pm");
    if (g.Order > 1.0f) {
        out.listLines.push_back(Tr("core", "fiktiv") + ": d(" + whole(g.H) + whole(g.K) +
                                "0) = " + tenth(g.FictiveSpacing) + " pm");
    }
    out.listLines.push_back(TrArgs("core", "n * Lambda/d * VF = %1 Pixel",
                                   {whole(static_cast<double>(s.VF) * s.Lambda / g.FictiveSpacing)}));
    out.listLines.push_back(TrArgs("core", "(VF = %1 Pixel)", {whole(s.VF)}));
    return out;
}

Readouts ComputeLabReadouts(const SimState& s, const PassGeometry& g, std::string_view sep, int omegaBoxTop,
                            const std::vector<std::string>& listLines)
{
    Readouts out = ComputeReadouts(s, g, sep, omegaBoxTop);
    out.listGeometry.width = Scaled(kLabListWidthWorld, s.ViewScale);
    out.listGeometry.height = Scaled(kLabListHeightWorld, s.ViewScale);
    out.listGeometry.left = RoundHalfEven(s.ViewWidth) - out.listGeometry.width - kListRightMarginPx;
    out.listLines.clear();
    if (!s.ShowReadouts) {
        return out;
    }
    out.reflexText = Tr("core", g.HasReflex ? kLabReflexText : kNoReflexText);
    out.listUpdated = true;
    out.listLines = listLines;
    out.listVisible = !listLines.empty();
    return out;
}

std::string CursorReadingText(double twoThetaDeg, double lambdaPm, std::string_view sep)
{
    std::string text = "2Θ = " + FormatFixed(twoThetaDeg, 2, sep) + "°";
    const double sinTheta = std::sin(twoThetaDeg / 2.0 * kDegToRadExact);
    if (sinTheta > 0.0) {
        text += ", d/n = " + FormatFixed(lambdaPm / (2.0 * sinTheta), 1, sep) + " pm";
    }
    return text;
}

ReadoutTexts PossibleLabReadoutTexts(std::string_view sep)
{
    ReadoutTexts texts;
    texts.omega.push_back(Tr("core", "Omega") + " = " + FormatFixed(kWidestOmegaDeg, 1, sep) + "°");
    texts.reflex = {Tr("core", kNoReflexText), Tr("core", kLabReflexText)};
    // The widest of each kind of line: a reading near the axis's start, and the
    // lines a verdict is broken into.
    texts.list = WidestVerdictLines();
    texts.list.insert(texts.list.begin(), CursorReadingText(0.05, kLambdaPm, sep));
    texts.listLineCount = kLabListLines;
    return texts;
}

ReadoutTexts PossibleReadoutTexts(const SimState& s, std::string_view sep)
{
    ReadoutTexts texts;
    texts.omega.push_back(Tr("core", "Omega") + " = " + FormatFixed(kWidestOmegaDeg, 1, sep) + "°");
    texts.reflex.push_back(Tr("core", kNoReflexText));
    // Each reflection as a pass at this size would show it.
    SimState probe = s;
    probe.ShowReadouts = true;
    for (int i = 0; i < probe.ReflexCount; ++i) {
        probe.ActiveReflex = i;
        const PassGeometry g =
            ComputePassGeometry(probe, RoundHalfEven(s.ViewWidth), RoundHalfEven(s.ViewHeight));
        Readouts r = ComputeReadouts(probe, g, sep, 0);
        texts.reflex.push_back(std::move(r.reflexText));
        texts.listLineCount = std::max(texts.listLineCount, static_cast<int>(r.listLines.size()));
        for (std::string& line : r.listLines) {
            texts.list.push_back(std::move(line));
        }
    }
    return texts;
}

}  // namespace kb
