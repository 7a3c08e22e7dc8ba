// Pictures in the format their file name asks for, under names every file
// system takes.

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

#include "app/file_names.h"
#include "app_test_support.h"
#include "paint/picture_export.h"

class FilesTest : public QObject {
    Q_OBJECT

private slots:
    void formatByExtension();
    void suggestedNamesAreSafe();
};

void FilesTest::formatByExtension()
{
    kb::TForm1 form;
    form.show();
    QTemporaryDir folder;
    // Qt writes JPEG and BMP itself, whatever plugins are installed.
    for (const auto& [suffix, content] : {std::pair{"JPG", "jpeg"}, std::pair{"bmp", "bmp"}}) {
        const QString fileName = folder.filePath(QStringLiteral("bild.") + QString::fromLatin1(suffix));
        const std::optional<kb::PictureFormat> format = kb::PictureFormatOf(fileName);
        QVERIFY(format == kb::PictureFormat::Image);
        QVERIFY(kb::SavePicture(fileName, *format, form.LatestPass(), form.ViewSize(), 1.0, {},
                                form.drawingArea_->Cache())
                    .isEmpty());
        QFile file(fileName);  // judged by its content, not by its name
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QImageReader::imageFormat(&file), QByteArray(content));
    }
    // A PNG of the mostly white picture is compressed: far less than a byte a pixel.
    const QString png = folder.filePath(QStringLiteral("bild.png"));
    QVERIFY(kb::SavePicture(png, kb::PictureFormat::Png, form.LatestPass(), form.ViewSize(), 1.0, {},
                            form.drawingArea_->Cache())
                .isEmpty());
    QVERIFY(QFileInfo(png).size() < form.ViewSize().width() * form.ViewSize().height() / 4);
    QVERIFY(!kb::PictureFormatOf(QStringLiteral("bild.xyz")));
    QVERIFY(kb::UnknownPictureFormatMessage(QStringLiteral("bild.xyz")).contains(QStringLiteral(".jpg")));
}

void FilesTest::suggestedNamesAreSafe()
{
    QCOMPARE(kb::SafeFileName(QStringLiteral("Experiment 0: Alle Optionen aktiv")),
             QStringLiteral("Experiment 0 - Alle Optionen aktiv"));
    QCOMPARE(kb::SafeFileName(QStringLiteral(" a<b>|\"/c?*\td:e. ")), QStringLiteral("a b c d e"));
}

QTEST_MAIN(FilesTest)
#include "files_test.moc"
