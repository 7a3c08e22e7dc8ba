#pragma once

#include <optional>
#include <string>
#include <vector>

#include "canvas.h"
#include "model/diffractogram.h"
#include "model/sim_state.h"

namespace kb {

// Items of the radio group "Punkte im rez. Gitter".
enum class ReciprocalPointMode { None = 0, Reflected = 1, All = 2 };

// The display controls' checked states, read afresh at the start of every
// pass whether the control is visible or not.
struct DisplayFlags {
    bool Netzebenen = false;                                    // CheckBox1
    bool DiffractogramShown = false;                            // CheckBox2 "zeigen"
    bool ReciprocalVector = false;                              // CheckBox3 "Streuvektor"
    bool EwaldCircle = false;                                   // CheckBox4
    ReciprocalPointMode PointMode = ReciprocalPointMode::None;  // RadioGroup1
    bool LatticePoints = false;                                 // CheckBox5
    bool EwaldMarks = false;                                    // CheckBox6 "Punkte auf d. Ewaldkreis"
    bool Diffracted = false;                                    // gebeugtCheck
    bool DirectAxes = false;                                    // CheckBox7
    bool CrystalVector = false;                                 // CheckBox8 "Streuvekt."
    bool ReciprocalAxes = false;                                // CheckBox9
    bool ThetaArcs = false;                                     // CheckBox10
    bool TwoThetaArc = false;                                   // CheckBox11
    bool OmegaArc = false;                                      // CheckBox12
    bool PrimaryBeam = false;                                   // primaer
};

// Geometry and content of a readout box after a pass.
struct BoxGeometry {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct Readouts {
    // Edit3, the Omega readout: always updated; its position stays.
    int omegaWidth = 0;
    int omegaHeight = 0;
    int fontHeight = 0;
    std::string omegaText;

    // Edit4, the reflex readout. With an active reflex the box takes this
    // pass's place and font; otherwise it keeps those it has.
    bool reflexVisible = false;
    BoxGeometry reflexGeometry;  // its place at this pass's size
    bool reflexPlaced = false;
    std::string reflexText;
    bool reflexTextChanged = false;

    // ListBox1.
    bool listVisible = false;
    bool listUpdated = false;  // geometry, font and lines are rebuilt
    BoxGeometry listGeometry;  // its place at this pass's size
    std::vector<std::string> listLines;
};

// What the lab adds to a pass. Everything off gives the standard picture and
// readouts unchanged.
struct LabOverlay {
    // An unknown crystal: a neutral block instead of the crystal's outline, and
    // readouts that name no reflection and no spacing.
    bool unknownCrystal = false;
    bool scale = false;                  // "Messskala": ticks on the 2Theta axis
    std::optional<double> cursorDeg;     // 2Theta of the measuring cursor, 0 to 180 degrees
    std::string cursorReading;           // drawn beside the cursor
    std::vector<double> predictedDeg;    // 2Theta of the guessed cell's peaks, degrees
    std::vector<std::string> listLines;  // ListBox1 of an unknown crystal
};

struct SceneInput {
    int viewWidthPx = 0;
    int viewHeightPx = 0;
    DisplayFlags flags;
    std::string decimalSeparator = ".";
    int omegaBoxTop = 0;  // current top of Edit3
    LabOverlay lab;
};

// Where the diffractogram lies on the drawing area after a pass, px: the
// scale's frame, for turning a pointer's place into 2Theta.
struct PlotFrame {
    double zeroX = 0.0;     // x of 2Theta = 0
    double pxPerDeg = 0.0;  // along 2Theta
    int axisY = 0;          // the row of intensity 0
    int bandTop = 0;        // the highest row the curve can reach
};
PlotFrame DiffractogramFrame(const SimState& s);

// The one routine that draws: redraws the whole picture from the state,
// records the active reflex's peak and mark, and returns the readouts.
Readouts DrawScene(SimState& s, const SceneInput& input, Canvas& canvas);

}  // namespace kb
