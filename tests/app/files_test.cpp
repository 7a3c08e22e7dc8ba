// Pictures and names leaving the program, and the notices that confirm.

#include <QAction>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include "app/file_names.h"
#include "app_test_support.h"
#include "lesson/crystal_caption.h"
#include "lesson/experiments.h"
#include "paint/picture_export.h"

using kb::TForm1;
using namespace kbtest;

class FilesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { PinGermanLocale(); }
    void imageFormatsAsThemselves_data();
    void imageFormatsAsThemselves();
    void unknownExtensionRefused();
    void suggestedNamesAreSafe();
    void noticesWithoutMovingTheLayout();
    void saveValuesWaitsForAPeak();
};

void FilesTest::imageFormatsAsThemselves_data()
{
    QTest::addColumn<QString>("suffix");
    const QStringList suffixes = kb::ImageSuffixes();
    // Qt writes these two itself, whatever plugins are installed.
    QVERIFY(suffixes.contains(QStringLiteral("jpg")) && suffixes.contains(QStringLiteral("bmp")));
    for (const QString& suffix : suffixes) {
        QTest::newRow(qPrintable(suffix)) << suffix;
    }
}

void FilesTest::imageFormatsAsThemselves()
{
    QFETCH(QString, suffix);
    TForm1 form;
    form.show();
    QTemporaryDir folder;
    const QString fileName = folder.filePath(QStringLiteral("bild.") + suffix.toUpper());
    const std::optional<kb::PictureFormat> format = kb::PictureFormatOf(fileName);
    QVERIFY(format == kb::PictureFormat::Image);
    QCOMPARE(kb::SavePicture(fileName, *format, form.LatestPass(), form.ViewSize(), 1.0, {},
                             form.drawingArea_->Cache()),
             QString());
    // Read back by its content, not by its name.
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString canonical = suffix == QLatin1String("jpg")   ? QStringLiteral("jpeg")
                              : suffix == QLatin1String("tif") ? QStringLiteral("tiff")
                                                               : suffix;
    QCOMPARE(QString::fromLatin1(QImageReader::imageFormat(&file)), canonical);
    QImageReader reader(&file);
    QCOMPARE(reader.read().size(), form.ViewSize());
}

void FilesTest::unknownExtensionRefused()
{
    QVERIFY(!kb::PictureFormatOf(QStringLiteral("bild.xyz")));
    const QString message = kb::UnknownPictureFormatMessage(QStringLiteral("/tmp/bild.xyz"));
    for (const QString& suffix : kb::ImageSuffixes() + QStringList{"png", "svg", "pdf"}) {
        QVERIFY2(message.contains(QLatin1Char('.') + suffix), qPrintable(message));
    }
}

void FilesTest::suggestedNamesAreSafe()
{
    QStringList captions = {QStringLiteral("a\tb\x01?. "), QStringLiteral("<>:\"/\\|?*")};
    for (const kb::Experiment& lesson : kb::ExperimentCatalogue()) {
        captions << QStringLiteral("Experiment %1: ").arg(lesson.number) +
                        QString::fromUtf8(lesson.title.data(), qsizetype(lesson.title.size())) +
                        QString::fromStdString(kb::CrystalCaptionSuffix({300, 300, 90, 70.93f}, ","));
    }
    for (const QString& caption : captions) {
        const QString name = kb::SafeFileName(caption);
        for (const QChar c : name) {
            QVERIFY2(c.unicode() >= 0x20 && !QStringLiteral("<>:\"/\\|?*").contains(c), qPrintable(name));
        }
        QVERIFY2(!name.endsWith(QLatin1Char('.')) && !name.endsWith(QLatin1Char(' ')), qPrintable(name));
    }
    QCOMPARE(kb::SafeFileName(QStringLiteral("Experiment 0: Alle Optionen aktiv")),
             QStringLiteral("Experiment 0 - Alle Optionen aktiv"));
}

void FilesTest::noticesWithoutMovingTheLayout()
{
    TForm1 form;
    QVERIFY(form.ApplyCrystal({300, 300, 90, 70.93f}).accepted);
    form.show();
    const QRect area = form.drawingArea_->geometry();
    form.CopyPictureClick();
    auto* notice = form.findChild<QLabel*>(QStringLiteral("Notice"));
    QVERIFY(notice != nullptr && notice->isVisible());
    QCOMPARE(form.drawingArea_->geometry(), area);
    notice->hide();

    // A lesson that brings the standard crystal back says so, once.
    form.Edit2->setText(QStringLiteral("12"));
    form.Button9->click();
    QVERIFY(notice->isVisible() && notice->text().contains(QStringLiteral("Standardkristall")));
    notice->hide();
    form.Button9->click();
    QVERIFY(!notice->isVisible());
}

void FilesTest::saveValuesWaitsForAPeak()
{
    TForm1 form;
    form.show();
    auto* save = form.findChild<QAction*>(QStringLiteral("SaveValuesAction"));
    form.Edit2->setText(QStringLiteral("4"));  // ground position, diffractogram cleared
    form.Button9->click();
    QVERIFY(!save->isEnabled());
    form.Button6->click();  // a reflex in Bragg position records its peak
    QVERIFY(save->isEnabled());
    form.Button5->click();  // no reflex active, so that clearing leaves nothing recorded
    form.Button7->click();
    QVERIFY(!save->isEnabled());
}

QTEST_MAIN(FilesTest)
#include "files_test.moc"
