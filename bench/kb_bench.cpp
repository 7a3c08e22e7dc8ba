#include <benchmark/benchmark.h>

#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "paint/painter.h"
#include "paint/stamps.h"

namespace {

// A drawing area in logical pixels and the device pixel ratio it is shown at.
struct Size {
    int width;
    int height;
    int ratio;
};

constexpr Size kSizes[] = {{792, 568, 1}, {1920, 1080, 1}, {3840, 2160, 1}, {1920, 1080, 2}};
// The two configurations with the same device pixels, for the high-DPI goal.
constexpr Size kDeviceTwin{3840, 2160, 1};
constexpr Size kHighDpi{1920, 1080, 2};

std::string SizeName(Size size)
{
    return std::to_string(size.width) + "x" + std::to_string(size.height) + "@" + std::to_string(size.ratio);
}

// The frame a pass is painted into: the drawing area's device pixels.
QImage MakeFrame(Size size)
{
    QImage image(size.width * size.ratio, size.height * size.ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(size.ratio);
    return image;
}

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(4096, '\n');
    }
    return -1;
}

// A shown window whose drawing area is `size`, running experiment 0 with every
// reflection recorded in the diffractogram and the last one still active.
std::unique_ptr<kb::TForm1> MakeBusyWindow(Size size)
{
    auto form = std::make_unique<kb::TForm1>();
    form->show();
    form->SetViewSize(QSize(size.width, size.height));
    form->Edit2->setText(QStringLiteral("0"));
    form->Button9Click();
    for (int i = 0; i < form->State().ReflexCount; ++i) {
        form->Button6Click();
    }
    QCoreApplication::processEvents();
    return form;
}

bool SetUpMatches(const kb::TForm1& form, Size size, benchmark::State& state)
{
    const kb::SimState& s = form.State();
    if (!form.IsInitialised() || form.ViewSize() != QSize(size.width, size.height) || s.ActiveReflex < 0 ||
        s.ViewWidth != static_cast<float>(size.width)) {
        state.SkipWithError("window did not reach the requested size or state");
        return false;
    }
    return true;
}

// Paints a pass the way the window does, into an image of the drawing area.
void PaintInto(QImage& image, const kb::DrawList& list, kb::PaintCache& cache)
{
    QPainter painter(&image);
    kb::PaintDrawList(painter, list, cache);
    painter.end();
    benchmark::DoNotOptimize(image.constBits());
}

void BM_ScenePass(benchmark::State& state, Size size)
{
    const auto form = MakeBusyWindow(size);
    if (!SetUpMatches(*form, size, state)) {
        return;
    }
    QImage image = MakeFrame(size);
    kb::PaintCache cache;
    for (auto _ : state) {
        form->DrawScene();
        PaintInto(image, form->LatestPass(), cache);
    }
    state.counters["ops"] = static_cast<double>(form->LatestPass().ops.size());
}

// The two halves of a pass, to tell the recording side from the painting side.
void BM_RecordOnly(benchmark::State& state, Size size)
{
    const auto form = MakeBusyWindow(size);
    if (!SetUpMatches(*form, size, state)) {
        return;
    }
    for (auto _ : state) {
        form->DrawScene();
    }
}

void BM_PaintOnly(benchmark::State& state, Size size)
{
    const auto form = MakeBusyWindow(size);
    if (!SetUpMatches(*form, size, state)) {
        return;
    }
    QImage image = MakeFrame(size);
    kb::PaintCache cache;
    for (auto _ : state) {
        PaintInto(image, form->LatestPass(), cache);
    }
}

void BM_WhiteFill(benchmark::State& state, Size size)
{
    QImage image = MakeFrame(size);
    for (auto _ : state) {
        QPainter painter(&image);
        painter.fillRect(image.rect(), Qt::white);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_Startup(benchmark::State& state)
{
    for (auto _ : state) {
        kb::TForm1 form;
        form.show();
        QCoreApplication::processEvents();
        if (!form.IsInitialised() || form.ScenePassCount() == 0) {
            state.SkipWithError("the window did not initialise on show");
            return;
        }
    }
}

// Keeps the console output and remembers the wall time per iteration of every
// plain run, so that the ratios can be printed after the table.
class RatioReporter final : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) {
                continue;
            }
            const std::string name = run.run_name.function_name;
            const double wall = run.GetAdjustedRealTime();
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median") {
                    median_[name] = wall;
                }
                continue;
            }
            const auto found = fastest_.find(name);
            if (found == fastest_.end() || wall < found->second) {
                fastest_[name] = wall;
            }
        }
    }

    // With repetitions, of the medians; otherwise of the single runs.
    void PrintRatios() const
    {
        const std::map<std::string, double>& times = median_.empty() ? fastest_ : median_;
        const auto ratio = [&](const std::string& a, const std::string& b) {
            const auto x = times.find(a);
            const auto y = times.find(b);
            return x == times.end() || y == times.end() || y->second <= 0.0 ? -1.0 : x->second / y->second;
        };
        std::printf("cores: %u\n", std::thread::hardware_concurrency());
        for (const Size size : kSizes) {
            const double r = ratio("BM_ScenePass/" + SizeName(size), "BM_WhiteFill/" + SizeName(size));
            if (r >= 0.0) {
                std::printf("ratio %s: %.2f\n", SizeName(size).c_str(), r);
            }
        }
        const double twin =
            ratio("BM_ScenePass/" + SizeName(kHighDpi), "BM_ScenePass/" + SizeName(kDeviceTwin));
        if (twin >= 0.0) {
            std::printf("pass %s / pass %s: %.2f\n", SizeName(kHighDpi).c_str(),
                        SizeName(kDeviceTwin).c_str(), twin);
        }
    }

private:
    std::map<std::string, double> fastest_;
    std::map<std::string, double> median_;
};

// About one turn of the crystal: the glyph and stamp caches are full by then.
constexpr long kWarmUpTicks = 1500;

int Soak(long ticks)
{
    kb::TForm1 form;
    form.show();
    form.Edit2->setText(QStringLiteral("0"));
    form.Button9Click();
    form.Button3Click();
    form.Timer1->stop();  // the ticks below come from this loop, not from the clock
    QCoreApplication::processEvents();
    const long before = ResidentKiB();
    const auto start = std::chrono::steady_clock::now();
    long warmKiB = before;
    for (long i = 0; i < ticks; ++i) {
        form.Timer1Timer();
        QCoreApplication::processEvents();  // lets the drawing area paint each pass
        if (i + 1 == kWarmUpTicks) {
            warmKiB = ResidentKiB();
        }
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    const long after = ResidentKiB();
    std::printf("soak: %ld ticks in %.2f s (%.0f ticks/s), %d scene passes\n", ticks, elapsed.count(),
                elapsed.count() > 0 ? ticks / elapsed.count() : 0.0, form.ScenePassCount());
    std::printf("soak: VmRSS before %ld KiB, after %ld KiB, change %+ld KiB\n", before, after,
                after - before);
    if (ticks > kWarmUpTicks) {
        std::printf("soak: VmRSS after the first %ld ticks (caches filled) %ld KiB, change since %+ld KiB\n",
                    kWarmUpTicks, warmKiB, after - warmKiB);
    }
    std::printf("soak: Omega %.3f deg, active reflex %d\n", form.State().Omega * kb::kRadToDeg,
                form.State().ActiveReflex);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);

    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--soak") {
            char* end = nullptr;
            const long ticks = i + 1 < argc ? std::strtol(argv[i + 1], &end, 10) : 0;
            if (end == nullptr || *end != '\0' || ticks <= 0) {
                std::fprintf(stderr, "usage: kb_bench --soak <ticks>\n");
                return 2;
            }
            return Soak(ticks);
        }
    }

    for (const Size size : kSizes) {
        benchmark::RegisterBenchmark(("BM_ScenePass/" + SizeName(size)).c_str(), BM_ScenePass, size)
            ->Unit(benchmark::kMicrosecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("BM_WhiteFill/" + SizeName(size)).c_str(), BM_WhiteFill, size)
            ->Unit(benchmark::kMicrosecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("BM_RecordOnly/" + SizeName(size)).c_str(), BM_RecordOnly, size)
            ->Unit(benchmark::kMicrosecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("BM_PaintOnly/" + SizeName(size)).c_str(), BM_PaintOnly, size)
            ->Unit(benchmark::kMicrosecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark("BM_Startup", BM_Startup)->Unit(benchmark::kMillisecond)->UseRealTime();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
