#include "workbook.h"

#include <xlsxwriter.h>

#include <QFile>
#include <QTemporaryDir>
#include <array>
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

#include "app_language.h"
#include "paint/picture_export.h"

namespace kb {
namespace {

// libxlsxwriter reports a failure (a full disk for its temporary files) in
// English lines of its own on standard error, and the caller reports it once
// more in the user's language. While the library works, standard error is
// /dev/null.
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

// Indexed by a column's decimals.
constexpr std::array<const char*, 5> kNumberPatterns{"0", "0.0", "0.00", "0.000", "0.0000"};

}  // namespace

// libxlsxwriter writes only to a named file: into a private temporary folder,
// which goes whatever happens; the caller then writes the bytes to the target
// like every other file, which is checked in one place.
QString WorkbookBytes(const QString& fileName, const WorkbookContent& book, QByteArray& bytes)
{
    bytes.clear();
    errno = 0;
    QTemporaryDir work;
    if (!work.isValid()) {
        const int cause = errno;
        return CannotWrite(fileName, FileErrorCause(cause, work.errorString()));
    }
    const QByteArray path = QFile::encodeName(work.filePath(QStringLiteral("workbook.xlsx")));
    QByteArray tmpdir = QFile::encodeName(work.path());
    lxw_workbook_options options{};
    options.tmpdir = tmpdir.data();
    const LibraryQuiet quiet;
    errno = 0;
    lxw_workbook* workbook = workbook_new_opt(path.constData(), &options);
    if (workbook == nullptr) {
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
    lxw_format* bold = workbook_add_format(workbook);
    std::array<lxw_format*, kNumberPatterns.size()> numberFormats{};
    bool formatsMade = bold != nullptr;
    for (std::size_t d = 0; d < kNumberPatterns.size(); ++d) {
        numberFormats[d] = workbook_add_format(workbook);
        formatsMade = formatsMade && numberFormats[d] != nullptr;
    }
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, book.tableSheet.c_str());
    lxw_worksheet* about = workbook_add_worksheet(workbook, book.factsSheet.c_str());
    if (!formatsMade || sheet == nullptr || about == nullptr) {
        check(LXW_ERROR_MEMORY_MALLOC_FAILED);
    } else {
        format_set_bold(bold);
        for (std::size_t d = 0; d < kNumberPatterns.size(); ++d) {
            format_set_num_format(numberFormats[d], kNumberPatterns[d]);
        }
        for (std::size_t c = 0; c < book.titles.size(); ++c) {
            const auto column = static_cast<lxw_col_t>(c);
            check(worksheet_write_string(sheet, 0, column, book.titles[c].c_str(), bold));
            check(worksheet_set_column(sheet, column, column, book.widths[c], nullptr));
        }
        worksheet_freeze_panes(sheet, 1, 0);
        lxw_row_t row = 1;
        for (const std::vector<double>& values : book.rows) {
            for (std::size_t c = 0; c < values.size(); ++c) {
                check(worksheet_write_number(sheet, row, static_cast<lxw_col_t>(c), values[c],
                                             numberFormats[static_cast<std::size_t>(book.decimals[c])]));
            }
            ++row;
        }
        check(worksheet_set_column(about, 0, 0, 12, nullptr));
        check(worksheet_set_column(about, 1, 1, 40, nullptr));
        lxw_row_t line = 0;
        for (const WorkbookFact& fact : book.facts) {
            check(worksheet_write_string(about, line, 0, fact.name.c_str(), bold));
            if (fact.number) {
                check(worksheet_write_number(about, line, 1, *fact.number, nullptr));
            } else {
                check(worksheet_write_string(about, line, 1, fact.text.c_str(), nullptr));
            }
            ++line;
        }
    }
    errno = 0;
    const lxw_error closed = workbook_close(workbook);
    const int cause = errno;
    check(closed);
    if (error != LXW_NO_ERROR) {
        // The library's own texts are English; a cause it does not leave in
        // errno gets one of ours.
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

}  // namespace kb
