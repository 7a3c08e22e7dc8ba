// What teachers do after the lesson: the picture and the measured values out
// of the program, by menu and from the command line, printing, full screen.

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QKeySequence>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QShortcut>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "app_language.h"
#include "command_line.h"
#include "crystal_dialog.h"
#include "diffractogram_export.h"
#include "file_names.h"
#include "lab_dialog.h"
#include "main_window.h"
#include "model/rotation.h"
#include "paint/picture_export.h"
#include "values_export.h"

namespace kb {
namespace {

const char* const kProgramName = "Kristallbeugung";

QString DefaultFolder()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return pictures.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::HomeLocation) : pictures;
}

// A file name for the picture of the current lesson, e.g. "Experiment 8".
QString SuggestedName(const QString& caption)
{
    QString name = SafeFileName(caption.section(QLatin1Char(':'), 0, 0));
    if (name.isEmpty()) {
        name = QString::fromLatin1(kProgramName);
    }
    return name;
}

QAction* AddAction(QMenu* menu, const char* name, const QString& text, const QKeySequence& shortcut)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
    }
    return action;
}

// Asks how many device pixels a raster picture gets per pixel of the screen one:
// more for print and posters, lines and text growing with the picture.
// Returns 0 when the user cancels.
qreal AskPictureScale(QWidget* parent, QSize view, qreal screenRatio)
{
    QStringList items;
    QList<int> factors;
    for (const int factor : {1, 2, 4, kMaxPictureScale}) {
        const QSize pixels = (QSizeF(view) * screenRatio * factor).toSize();
        if (factor > 1 && std::max(pixels.width(), pixels.height()) > kMaxViewSidePx) {
            break;
        }
        factors.append(factor);
        items.append(
            factor == 1
                ? AppText("wie auf dem Bildschirm: %1 × %2 Pixel").arg(pixels.width()).arg(pixels.height())
                : AppText("%1-fach: %2 × %3 Pixel").arg(factor).arg(pixels.width()).arg(pixels.height()));
    }
    bool ok = false;
    const QString chosen = QInputDialog::getItem(parent, AppText("Bild speichern"),
                                                 AppText("Auflösung des Bildes:"), items, 0, false, &ok);
    if (!ok) {
        return 0.0;
    }
    return screenRatio * factors.value(static_cast<int>(items.indexOf(chosen)), 1);
}

}  // namespace

void TForm1::BuildMenuBar()
{
    menuBar_ = new QMenuBar(this);
    menuBar_->setObjectName(QStringLiteral("MenuBar"));

    QMenu* file = menuBar_->addMenu(QStringLiteral("&Datei"));
    connect(AddAction(file, "SavePictureAction", QStringLiteral("Bild &speichern …"), QKeySequence::Save),
            &QAction::triggered, this, &TForm1::SavePictureClick);
    connect(AddAction(file, "CopyPictureAction", QStringLiteral("Bild &kopieren"),
                      QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)),
            &QAction::triggered, this, &TForm1::CopyPictureClick);
    saveValuesAction_ =
        AddAction(file, "SaveValuesAction", QStringLiteral("&Messwerte speichern …"), QKeySequence());
    saveValuesAction_->setEnabled(false);  // nothing recorded yet
    connect(saveValuesAction_, &QAction::triggered, this, &TForm1::SaveValuesClick);
    saveDiffractogramAction_ =
        AddAction(file, "SaveDiffractogramAction", AppText("Diff&raktogramm speichern …"), QKeySequence());
    connect(saveDiffractogramAction_, &QAction::triggered, this, &TForm1::SaveDiffractogramClick);
    connect(AddAction(file, "PrintAction", QStringLiteral("&Drucken …"), QKeySequence::Print),
            &QAction::triggered, this, &TForm1::PrintClick);
    file->addSeparator();
    connect(AddAction(file, "QuitAction", QStringLiteral("&Beenden"), QKeySequence(Qt::CTRL | Qt::Key_Q)),
            &QAction::triggered, this, &TForm1::Button1Click);

    BuildExperimentMenu(menuBar_->addMenu(QStringLiteral("&Experiment")));

    QMenu* view = menuBar_->addMenu(QStringLiteral("&Ansicht"));
    fullScreenAction_ =
        AddAction(view, "FullScreenAction", QStringLiteral("&Vollbild"), QKeySequence(Qt::Key_F11));
    fullScreenAction_->setCheckable(true);
    connect(fullScreenAction_, &QAction::toggled, this, &TForm1::SetFullScreen);
    leaveFullScreen_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    leaveFullScreen_->setEnabled(false);
    connect(leaveFullScreen_, &QShortcut::activated, this, [this] { SetFullScreen(false); });
    scaleAction_ = AddAction(view, "MeasureScaleAction", QStringLiteral("&Messskala"),
                             QKeySequence(Qt::CTRL | Qt::Key_M));
    scaleAction_->setCheckable(true);
    connect(scaleAction_, &QAction::triggered, this, &TForm1::SetMeasureScale);

    QMenu* crystal = menuBar_->addMenu(QStringLiteral("&Kristall"));
    crystalAction_ = AddAction(crystal, "CrystalAction", QString::fromUtf8(kCrystalMenuEntry),
                               QKeySequence(Qt::CTRL | Qt::Key_K));
    connect(crystalAction_, &QAction::triggered, this, &TForm1::ShowCrystalDialog);
    labAction_ = AddAction(crystal, "LabAction", QStringLiteral("&Unbekannter Kristall …"),
                           QKeySequence(Qt::CTRL | Qt::Key_U));
    connect(labAction_, &QAction::triggered, this, &TForm1::ShowLabDialog);
    BuildRotationActions(crystal);

    BuildLanguageMenu();
    QMenu* help = menuBar_->addMenu(QStringLiteral("&Hilfe"));
    connect(AddAction(help, "GuideAction", QStringLiteral("&Anleitung"), QKeySequence(Qt::Key_F1)),
            &QAction::triggered, this, &TForm1::ShowGuide);
    connect(AddAction(help, "AboutAction", QStringLiteral("Ü&ber Kristallbeugung"), QKeySequence()),
            &QAction::triggered, this, &TForm1::AboutClick);
}

int TForm1::ClientTop() const
{
    return menuBar_ != nullptr ? menuBar_->sizeHint().height() : 0;
}

QSize TForm1::ViewSize() const
{
    return drawingArea_->size();
}

void TForm1::SetViewSize(QSize view)
{
    resize(view.width() + PanelAreaWidth(view.height()), view.height() + ClientTop());
    LayoutClientArea();
}

PictureInfo TForm1::PictureDescription() const
{
    return PictureInfo{windowTitle(),
                       AppText("Kristallbeugung %1").arg(QCoreApplication::applicationVersion())};
}

void TForm1::TurnCrystal(double degrees)
{
    // The net angle turned: a tick adds its step, a set-back to a window's
    // start takes some back, and the wrap at the end of the sweep is the
    // crystal coming full circle.
    const double step = static_cast<double>(Single(static_cast<double>(kRotationStepDeg) * State().DegToRad));
    const double target = degrees * std::numbers::pi / 180.0;
    const long maxTicks = static_cast<long>(std::ceil(degrees / kRotationStepDeg)) * 4 + 10000;
    double turned = 0.0;
    for (long tick = 0;
         (turned + step / 2.0 < target || SweepMeetsAnotherWithin(State(), target - turned + step / 2.0)) &&
         tick < maxTicks;
         ++tick) {
        const double before = State().Omega;
        Timer1Timer();
        double change = static_cast<double>(State().Omega) - before;
        if (change < -std::numbers::pi) {
            change += 2.0 * std::numbers::pi;
        }
        turned += change;
    }
}

QString TForm1::SaveValues(const QString& fileName) const
{
    return SaveValuesFile(fileName, ValuesFormatOf(fileName).value_or(ValuesFormat::Csv), State(),
                          QLocale().decimalPoint(), QString::fromStdString(session_->CaptionBase()));
}

QString TForm1::SaveDiffractogram(const QString& fileName) const
{
    return SaveDiffractogramFile(fileName, ValuesFormatOf(fileName).value_or(ValuesFormat::Csv), State(),
                                 QLocale().decimalPoint(), QString::fromStdString(session_->CaptionBase()));
}

void TForm1::ShowLabDialog()
{
    if (labDialog_ == nullptr) {
        labDialog_ = new LabDialog(this, [this](const LabChoice& choice) { session_->StartLab(choice); });
    }
    labDialog_->open();
}

void TForm1::SetMeasureScale(bool on)
{
    session_->SetMeasureScale(on);
}

void TForm1::ReportFailure(const QString& title, const QString& message)
{
    QMessageBox box(QMessageBox::Warning, title, message, QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void TForm1::SavePictureClick()
{
    // One filter per format, the raster formats as far as this system writes them.
    QStringList filters = {AppText("PNG-Bild (*.png)")};
    const QStringList images = ImageSuffixes();
    for (const QString& suffix : images) {
        filters << AppText("%1-Bild (*.%2)").arg(suffix.toUpper(), suffix);
    }
    filters << AppText("SVG-Grafik (*.svg)") << AppText("PDF-Dokument (*.pdf)");
    QString filter = filters.front();
    QString fileName = QFileDialog::getSaveFileName(
        this, AppText("Bild speichern"),
        DefaultFolder() + QLatin1Char('/') + SuggestedName(windowTitle()) + QStringLiteral(".png"),
        filters.join(QStringLiteral(";;")), &filter);
    if (fileName.isEmpty()) {
        return;
    }
    if (QFileInfo(fileName).suffix().isEmpty()) {
        // No extension: the one of the chosen filter.
        fileName += QLatin1Char('.') + filter.section(QStringLiteral("*."), 1).chopped(1);
    }
    const std::optional<PictureFormat> format = PictureFormatOf(fileName);
    if (!format) {
        ReportFailure(AppText("Bild speichern"), UnknownPictureFormatMessage(fileName));
        return;
    }
    qreal ratio = drawingArea_->devicePixelRatioF();
    if (*format == PictureFormat::Png || *format == PictureFormat::Image) {
        ratio = AskPictureScale(this, ViewSize(), ratio);
        if (ratio <= 0.0) {
            return;
        }
    }
    const QString problem = SavePicture(fileName, *format, LatestPass(), ViewSize(), ratio,
                                        PictureDescription(), drawingArea_->Cache());
    if (!problem.isEmpty()) {
        ReportFailure(AppText("Bild speichern"), problem);
    }
}

void TForm1::CopyPictureClick()
{
    QApplication::clipboard()->setImage(
        PaintImage(LatestPass(), ViewSize(), drawingArea_->devicePixelRatioF(), drawingArea_->Cache()));
    ShowNotice(AppText("Bild in die Zwischenablage kopiert"));
}

void TForm1::SaveValuesClick()
{
    const QString csv = AppText("CSV-Tabelle (*.csv)");
    const QString xlsx = AppText("Excel-Arbeitsmappe (*.xlsx)");
    QString filter = csv;
    QString fileName = QFileDialog::getSaveFileName(
        this, AppText("Messwerte speichern"),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QLatin1Char('/') +
            SuggestedName(windowTitle()) + QStringLiteral(".csv"),
        csv + QStringLiteral(";;") + xlsx, &filter);
    if (fileName.isEmpty()) {
        return;
    }
    // The extension decides; without a known one, the chosen filter's.
    if (!ValuesFormatOf(fileName)) {
        fileName += filter == xlsx ? QStringLiteral(".xlsx") : QStringLiteral(".csv");
    }
    if (const QString problem = SaveValues(fileName); !problem.isEmpty()) {
        ReportFailure(AppText("Messwerte speichern"), problem);
    }
}

void TForm1::SaveDiffractogramClick()
{
    const QString csv = AppText("CSV-Tabelle (*.csv)");
    const QString xlsx = AppText("Excel-Arbeitsmappe (*.xlsx)");
    QString filter = csv;
    QString fileName = QFileDialog::getSaveFileName(
        this, AppText("Diffraktogramm speichern"),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QLatin1Char('/') +
            SuggestedName(windowTitle()) + AppText(" Diffraktogramm.csv"),
        csv + QStringLiteral(";;") + xlsx, &filter);
    if (fileName.isEmpty()) {
        return;
    }
    if (!ValuesFormatOf(fileName)) {
        fileName += filter == xlsx ? QStringLiteral(".xlsx") : QStringLiteral(".csv");
    }
    if (const QString problem = SaveDiffractogram(fileName); !problem.isEmpty()) {
        ReportFailure(AppText("Diffraktogramm speichern"), problem);
    }
}

void TForm1::PrintClick()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(SafeFileName(windowTitle()));  // the name a PDF printer suggests
    const QSize view = ViewSize();
    printer.setPageOrientation(view.width() >= view.height() ? QPageLayout::Landscape
                                                             : QPageLayout::Portrait);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(AppText("Drucken"));
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        ReportFailure(AppText("Drucken"), AppText("Der Drucker lässt sich nicht ansprechen."));
        return;
    }
    PaintFitted(painter, QRectF(painter.viewport()), LatestPass(), view, drawingArea_->Cache());
    painter.end();
}

void TForm1::SetFullScreen(bool on)
{
    if (on == isFullScreen()) {
        return;
    }
    if (on) {
        showFullScreen();
    } else {
        showNormal();
    }
    fullScreenAction_->setChecked(on);
    leaveFullScreen_->setEnabled(on);
}

void TForm1::AboutClick()
{
    QMessageBox box(this);
    box.setWindowTitle(AppText("Über Kristallbeugung"));
    box.setIconPixmap(windowIcon().pixmap(64, 64));
    box.setTextFormat(Qt::RichText);
    box.setText(
        AppText("<h3>Kristallbeugung %1</h3>").arg(QCoreApplication::applicationVersion().toHtmlEscaped()));
    box.setInformativeText(AppText(
        "<p>Ein zweidimensionaler schiefwinkliger Kristall dreht sich im monochromatischen Röntgenstrahl. "
        "Sobald ein Reflex die Bragg-Bedingung erfüllt, zeigt das Programm den gebeugten Strahl, die Winkel "
        "Theta, 2Theta und Omega, die Netzebenen, die Streuvektoren und die Ewald-Konstruktion im reziproken "
        "Gitter, und es trägt den Reflex in das Diffraktogramm ein. Die Experimente 1 bis 14 bauen die "
        "Konstruktion Schritt für Schritt auf.</p>"
        "<p>Lizenz: MIT</p>"));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

}  // namespace kb
