#include "values_export.h"

#include <xlsxwriter.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdio>
#include <iterator>

#include <fcntl.h>
#include <unistd.h>

#include "app_language.h"
#include "paint/picture_export.h"
#include "render/measured_values.h"

namespace kb {
namespace {

// libxlsxwriter reports a failure (a full disk for its temporary files) in
// English lines of its own on standard error, and the caller reports it once
// more in German. While the library works, standard error is /dev/null.
class LibraryQuiet {
public:
    LibraryQuiet()
    {
        std::fflush(stderr);
        saved_ = ::dup(STDERR_FILENO);
        const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && nowhere >= 0) {
            ::dup2(nowhere, STDERR_FILENO);
        }
        if (nowhere >= 0) {
            ::close(nowhere);
        }
    }
    ~LibraryQuiet()
    {
        const int cause = errno;  // the library's, still to be read
        std::fflush(stderr);
        if (saved_ >= 0) {
            ::dup2(saved_, STDERR_FILENO);
            ::close(saved_);
        }
        errno = cause;
    }
    LibraryQuiet(const LibraryQuiet&) = delete;
    LibraryQuiet& operator=(const LibraryQuiet&) = delete;

private:
    int saved_ = -1;
};

// The workbook, built by libxlsxwriter, which writes only to a named file:
// into a private temporary folder, which goes whatever happens; the bytes
// then reach the target like every other file, which is checked in one place.
QString XlsxBytes(const QString& fileName, const SimState& s, const QString& lesson, QByteArray& bytes)
{
    errno = 0;
    QTemporaryDir work;
    if (!work.isValid()) {
        const int cause = errno;
        return CannotWrite(fileName, FileErrorCause(cause, work.errorString()));
    }
    const QByteArray path = QFile::encodeName(work.filePath(QStringLiteral("werte.xlsx")));
    QByteArray tmpdir = QFile::encodeName(work.path());
    lxw_workbook_options options{};
    options.tmpdir = tmpdir.data();
    const LibraryQuiet quiet;
    errno = 0;
    lxw_workbook* book = workbook_new_opt(path.constData(), &options);
    if (book == nullptr) {
        const int cause = errno;
        return CannotWrite(fileName, FileErrorCause(cause, AppText("zu wenig Arbeitsspeicher")));
    }
    // Any failed call is remembered; the workbook is still closed, which frees it.
    lxw_error error = LXW_NO_ERROR;
    const auto check = [&error](lxw_error result) {
        if (error == LXW_NO_ERROR) {
            error = result;
        }
    };
    lxw_format* bold = workbook_add_format(book);
    // Indexed by the decimals of a column.
    const char* const patterns[] = {"0", "0.0", "0.00", "0.000"};
    lxw_format* numberFormats[std::size(patterns)] = {};
    bool formatsMade = bold != nullptr;
    for (std::size_t d = 0; d < std::size(patterns); ++d) {
        numberFormats[d] = workbook_add_format(book);
        formatsMade = formatsMade && numberFormats[d] != nullptr;
    }
    lxw_worksheet* table = workbook_add_worksheet(book, "Messwerte");
    lxw_worksheet* about = workbook_add_worksheet(book, "Kristall");
    if (!formatsMade || table == nullptr || about == nullptr) {
        check(LXW_ERROR_MEMORY_MALLOC_FAILED);
    } else {
        format_set_bold(bold);
        for (std::size_t d = 0; d < std::size(patterns); ++d) {
            format_set_num_format(numberFormats[d], patterns[d]);
        }
        for (std::size_t c = 0; c < kMeasuredColumns.size(); ++c) {
            const auto column = static_cast<lxw_col_t>(c);
            check(worksheet_write_string(table, 0, column, kMeasuredColumns[c].title, bold));
            check(worksheet_set_column(table, column, column, c < 3 ? 5 : 11, nullptr));
        }
        worksheet_freeze_panes(table, 1, 0);
        lxw_row_t row = 1;
        for (const MeasuredRow& values : MeasuredValues(s)) {
            for (std::size_t c = 0; c < values.size(); ++c) {
                check(worksheet_write_number(table, row, static_cast<lxw_col_t>(c), values[c],
                                             numberFormats[kMeasuredColumns[c].decimals]));
            }
            ++row;
        }

        const struct {
            const char* name;
            float value;
        } crystal[] = {{"a (pm)", s.Crystal.LatticeA},
                       {"b (pm)", s.Crystal.LatticeB},
                       {"γ (°)", s.Crystal.GammaDeg},
                       {"λ (pm)", s.Crystal.Lambda}};
        check(worksheet_set_column(about, 0, 0, 12, nullptr));
        check(worksheet_set_column(about, 1, 1, 40, nullptr));
        lxw_row_t line = 0;
        for (const auto& entry : crystal) {
            check(worksheet_write_string(about, line, 0, entry.name, bold));
            check(worksheet_write_number(about, line, 1, AsTyped(entry.value), nullptr));
            ++line;
        }
        check(worksheet_write_string(about, line, 0, "Lektion", bold));
        check(worksheet_write_string(about, line, 1, lesson.toUtf8().constData(), nullptr));
    }
    errno = 0;
    const lxw_error closed = workbook_close(book);
    const int cause = errno;
    check(closed);
    if (error != LXW_NO_ERROR) {
        // The library's own texts are English; a cause it does not leave in errno gets a German one.
        return CannotWrite(fileName,
                           FileErrorCause(cause, AppText("die Arbeitsmappe ließ sich nicht erzeugen")));
    }
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return CannotWrite(fileName, file.errorString());
    }
    bytes = file.readAll();
    return {};
}

}  // namespace

std::optional<ValuesFormat> ValuesFormatOf(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("csv")) {
        return ValuesFormat::Csv;
    }
    if (suffix == QLatin1String("xlsx")) {
        return ValuesFormat::Xlsx;
    }
    return std::nullopt;
}

QString SaveValuesFile(const QString& fileName, ValuesFormat format, const SimState& s,
                       const QString& decimalSeparator, const QString& lesson)
{
    if (format == ValuesFormat::Csv) {
        const std::string table = MeasuredValuesTable(s, decimalSeparator.toStdString());
        return SaveText(fileName, QByteArray::fromStdString(table), true);
    }
    QByteArray bytes;
    if (const QString problem = XlsxBytes(fileName, s, lesson, bytes); !problem.isEmpty()) {
        return problem;
    }
    return SaveBytes(fileName, bytes);
}

}  // namespace kb
