// Pictures in the format their file name asks for, under names every file
// system takes; what a save does to devices and links.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "app/file_names.h"
#include "app_test_support.h"
#include "paint/picture_export.h"

class FilesTest : public QObject {
    Q_OBJECT

private slots:
    void formatByExtension();
    void suggestedNamesAreSafe();
    void onlyRegularFilesAreReplaced_data();
    void onlyRegularFilesAreReplaced();
};

namespace {

// Each entry of `folder` with what it is: a device with its numbers, a link
// with its target, a file with its content.
QStringList Entries(const QString& folder)
{
    QStringList entries;
    for (const QString& name : QDir(folder).entryList(
             QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name)) {
        const QByteArray path = QFile::encodeName(folder + QLatin1Char('/') + name);
        struct stat entry {};
        if (::lstat(path.constData(), &entry) != 0) {
            entries << name + QStringLiteral(" gone");
        } else if (S_ISLNK(entry.st_mode)) {
            char target[256] = {};
            const ssize_t length = ::readlink(path.constData(), target, sizeof target - 1);
            entries << name + QStringLiteral(" -> ") +
                           QString::fromLocal8Bit(target, qMax<ssize_t>(length, 0));
        } else if (S_ISCHR(entry.st_mode)) {
            entries
                << name + QStringLiteral(" device %1,%2").arg(major(entry.st_rdev)).arg(minor(entry.st_rdev));
        } else {
            QFile file(QFile::decodeName(path));
            entries << name + QStringLiteral(" file ") +
                           QString::fromLatin1(file.open(QIODevice::ReadOnly) ? file.readAll() : "?");
        }
    }
    return entries;
}

}  // namespace

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

void FilesTest::onlyRegularFilesAreReplaced_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("cause");  // of the failure; none where the save succeeds
    QTest::newRow("full device") << "full"
                                 << "kein Platz auf dem Datenträger";
    QTest::newRow("link to the full device") << "to-full"
                                             << "kein Platz auf dem Datenträger";
    QTest::newRow("link to itself") << "self"
                                    << "die Verknüpfung führt im Kreis";
    QTest::newRow("two links in a circle") << "circle-a"
                                           << "die Verknüpfung führt im Kreis";
    QTest::newRow("link to a link to a file") << "to-to-file" << QString();
    QTest::newRow("null device") << "null" << QString();
}

// A device is written to, never replaced by a file; a link stays and what
// it finally points to takes the bytes; a loop is reported.
void FilesTest::onlyRegularFilesAreReplaced()
{
    QFETCH(QString, name);
    QFETCH(QString, cause);
    QTemporaryDir folder;
    const auto at = [&folder](const char* entry) {
        return QFile::encodeName(folder.filePath(QString::fromLatin1(entry)));
    };
    for (const auto& [entry, minorNumber] : {std::pair{"full", 7}, std::pair{"null", 3}}) {
        if (::mknod(at(entry).constData(), S_IFCHR | 0666, makedev(1, minorNumber)) != 0) {
            QSKIP("no device nodes here: the test needs root");
        }
    }
    if (const int device = ::open(at("full").constData(), O_WRONLY); device < 0) {
        QSKIP("device nodes do not open on this file system");
    } else {
        ::close(device);
    }
    QFile file(folder.filePath(QStringLiteral("file")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("old") == 3);
    file.close();
    for (const auto& [link, target] : {std::pair{"to-full", "full"}, std::pair{"self", "self"},
                                       std::pair{"circle-a", "circle-b"}, std::pair{"circle-b", "circle-a"},
                                       std::pair{"to-file", "file"}, std::pair{"to-to-file", "to-file"}}) {
        QVERIFY(::symlink(target, at(link).constData()) == 0);
    }
    QStringList expected = Entries(folder.path());
    if (cause.isEmpty() && name.contains(QLatin1String("file"))) {
        expected.replaceInStrings(QStringLiteral("file file old"), QStringLiteral("file file new"));
    }
    const QString path = folder.filePath(name);
    QCOMPARE(kb::SaveBytes(path, "new"), cause.isEmpty() ? QString() : kb::CannotWrite(path, cause));
    QCOMPARE(Entries(folder.path()), expected);
}

QTEST_MAIN(FilesTest)
#include "files_test.moc"
