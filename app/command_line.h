#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

#include "model/crystal.h"

namespace kb {

class TForm1;

inline constexpr int kDefaultViewWidthPx = 615;
inline constexpr int kDefaultViewHeightPx = 568;
// The largest picture the command line makes, logical px per side; also the
// largest PNG, device px per side.
inline constexpr int kMaxViewSidePx = 16384;
// A PNG holds up to this many device pixels per logical pixel each way.
inline constexpr int kMaxPictureScale = 8;

// What the command line asks for, checked: every value is usable.
struct CommandLineRequest {
    std::optional<QString> experiment;        // as typed, a lesson number from -1 to 14
    std::optional<double> omegaDeg;           // Omega after the lesson, degrees, 0 to 360
    std::optional<std::uint32_t> intervalMs;  // ms per rotation step
    double turnDeg = 0.0;                     // degrees, not negative
    std::optional<QSize> viewSize;            // logical px of the drawing area
    std::optional<CrystalParams> crystal;     // set before the lesson; none for the standard
    QString picturePath;                      // .png, .svg or .pdf; empty for none
    int pictureScale = 1;                     // device px per logical px of a PNG, 1 to 8
    QString valuesPath;                       // .csv or .xlsx; empty for none
    QString diffractogramPath;                // .csv or .xlsx; empty for none

    bool Exports() const
    {
        return !picturePath.isEmpty() || !valuesPath.isEmpty() || !diffractogramPath.isEmpty();
    }
};

// The outcome of reading the arguments: a request to carry out, or text to
// print (help, version, or one line saying what is wrong) and the exit code.
struct CommandLineParse {
    std::optional<CommandLineRequest> request;
    QString text;
    bool toStandardError = false;
    int exitCode = 0;
};

inline constexpr int kExitBadInput = 2;

// Reads the program's arguments (the first is the program itself); the
// toolkit's own options have been taken out by then. `--solution CODE`
// gives the teacher's table of the code as text, with the locale's decimal
// separator.
CommandLineParse ParseCommandLine(const QStringList& arguments);

// The value of --lang, read before the toolkit's texts and the parser's own
// messages are chosen; checked later by ParseCommandLine.
std::optional<QString> LanguageArgument(const QStringList& arguments);

// Whether these raw arguments ask for no window at all (an export, the
// solutions, help or the version), so that no display is needed.
bool WantsNoWindow(int argc, char** argv);

// Sets up `form` as the request says: size, crystal, lesson, turn. A form that has a
// lesson to start, a turn to make or files to write is initialised here;
// otherwise it initialises itself when it is first shown.
void ApplyRequest(const CommandLineRequest& request, TForm1& form);

// Writes the files of the request from the form's latest pass. Returns an
// empty string on success, otherwise the one line to report.
QString WriteExports(const CommandLineRequest& request, TForm1& form);

}  // namespace kb
