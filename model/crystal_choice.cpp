#include "crystal_choice.h"
#include "model/catalogue.h"

#include "diffractogram.h"
#include "reflex_table.h"
#include "rotation.h"

namespace kb {
namespace {

// The negated test refuses NaN as well.
bool Within(float value, float low, float high)
{
    return value >= low && value <= high;
}

}  // namespace

std::string RangeMessage(CrystalField field)
{
    switch (field) {
        case CrystalField::LatticeA:
            return Tr("core", "a muss zwischen 100 und 1000 pm liegen.");
        case CrystalField::LatticeB:
            return Tr("core", "b muss zwischen 100 und 1000 pm liegen.");
        case CrystalField::Gamma:
            return Tr("core", "γ muss zwischen 60° und 150° liegen.");
        case CrystalField::Lambda:
            return Tr("core", "λ muss zwischen 50 und 500 pm liegen.");
    }
    return {};
}

CrystalParams CountedCrystal(const CrystalParams& crystal)
{
    const auto counted = [](float value) {
        return Single(RoundDecimalHalfAway(AsTyped(value), kCrystalDecimals));
    };
    return {counted(crystal.LatticeA), counted(crystal.LatticeB), counted(crystal.GammaDeg),
            counted(crystal.Lambda)};
}

CrystalCheck CheckCrystal(const CrystalParams& typed)
{
    const CrystalParams crystal = CountedCrystal(typed);
    CrystalCheck check;
    if (!Within(crystal.LatticeA, kMinLatticePm, kMaxLatticePm)) {
        check.outOfRange.push_back(CrystalField::LatticeA);
    }
    if (!Within(crystal.LatticeB, kMinLatticePm, kMaxLatticePm)) {
        check.outOfRange.push_back(CrystalField::LatticeB);
    }
    if (!Within(crystal.GammaDeg, kMinGammaDeg, kMaxGammaDeg)) {
        check.outOfRange.push_back(CrystalField::Gamma);
    }
    if (!Within(crystal.Lambda, kMinLambdaPm, kMaxLambdaPm)) {
        check.outOfRange.push_back(CrystalField::Lambda);
    }
    for (const CrystalField field : check.outOfRange) {
        if (!check.message.empty()) {
            check.message += '\n';
        }
        check.message += RangeMessage(field);
    }
    if (!check.outOfRange.empty()) {
        return check;
    }

    SimState probe;
    probe.Crystal = crystal;
    SetCrystalConstants(probe);
    check.reflexCount = CountReflexes(probe);
    if (check.reflexCount > kMaxReflexCount) {
        check.message = TrArgs("core", "Diese Wahl ergäbe %1 Reflexe; höchstens %2 sind möglich.",
                               {std::to_string(check.reflexCount), std::to_string(kMaxReflexCount)});
        return check;
    }
    check.accepted = true;
    return check;
}

CrystalCheck ChangeCrystal(SimState& s, const CrystalParams& crystal)
{
    CrystalCheck check = CheckCrystal(crystal);
    if (!check.accepted) {
        return check;
    }
    s.Crystal = CountedCrystal(crystal);
    SetCrystalConstants(s);
    BuildReflexTable(s);
    ClearDiffractogramData(s);
    ResetToGroundPosition(s);
    return check;
}

}  // namespace kb
