#include "diffractogram_export.h"

#include <xlsxwriter.h>

#include <QFile>
#include <QTemporaryDir>
#include <cerrno>

#include "app_language.h"
#include "paint/picture_export.h"
#include "render/measured_values.h"

namespace kb {
namespace {

// As the values table's workbook: built by libxlsxwriter in a private
// temporary folder, then written to the target like every other file.
QString XlsxBytes(const QString& fileName, const SimState& s, const QString& lesson, QByteArray& bytes)
{
    errno = 0;
    QTemporaryDir work;
    if (!work.isValid()) {
        const int cause = errno;
        return CannotWrite(fileName, FileErrorCause(cause, work.errorString()));
    }
    const QByteArray path = QFile::encodeName(work.filePath(AppText("diffraktogramm.xlsx")));
    QByteArray tmpdir = QFile::encodeName(work.path());
    lxw_workbook_options options{};
    options.tmpdir = tmpdir.data();
    errno = 0;
    lxw_workbook* book = workbook_new_opt(path.constData(), &options);
    if (book == nullptr) {
        const int cause = errno;
        return CannotWrite(fileName, FileErrorCause(cause, AppText("zu wenig Arbeitsspeicher")));
    }
    lxw_error error = LXW_NO_ERROR;
    const auto check = [&error](lxw_error result) {
        if (error == LXW_NO_ERROR) {
            error = result;
        }
    };
    lxw_format* bold = workbook_add_format(book);
    lxw_format* angle = workbook_add_format(book);
    lxw_format* intensity = workbook_add_format(book);
    lxw_worksheet* curve = workbook_add_worksheet(book, "Diffraktogramm");
    lxw_worksheet* about = workbook_add_worksheet(book, "Messung");
    if (bold == nullptr || angle == nullptr || intensity == nullptr || curve == nullptr || about == nullptr) {
        check(LXW_ERROR_MEMORY_MALLOC_FAILED);
    } else {
        format_set_bold(bold);
        format_set_num_format(angle, "0.0");
        format_set_num_format(intensity, "0.0000");
        lxw_format* const formats[] = {angle, intensity};
        for (lxw_col_t c = 0; c < kDiffractogramColumns.size(); ++c) {
            check(worksheet_write_string(curve, 0, c, kDiffractogramColumns[c].title, bold));
            check(worksheet_set_column(curve, c, c, 12, nullptr));
        }
        worksheet_freeze_panes(curve, 1, 0);
        lxw_row_t row = 1;
        for (const auto& values : DiffractogramRows(s)) {
            for (lxw_col_t c = 0; c < values.size(); ++c) {
                check(worksheet_write_number(curve, row, c, values[c], formats[c]));
            }
            ++row;
        }
        check(worksheet_set_column(about, 0, 0, 12, nullptr));
        check(worksheet_set_column(about, 1, 1, 40, nullptr));
        check(worksheet_write_string(about, 0, 0, "λ (pm)", bold));
        check(worksheet_write_number(about, 0, 1, AsTyped(s.Crystal.Lambda), nullptr));
        check(worksheet_write_string(about, 1, 0, "Lektion", bold));
        check(worksheet_write_string(about, 1, 1, lesson.toUtf8().constData(), nullptr));
    }
    errno = 0;
    const lxw_error closed = workbook_close(book);
    const int cause = errno;
    check(closed);
    if (error != LXW_NO_ERROR) {
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

QString SaveDiffractogramFile(const QString& fileName, ValuesFormat format, const SimState& s,
                              const QString& decimalSeparator, const QString& lesson)
{
    if (format == ValuesFormat::Csv) {
        return SaveText(
            fileName, QByteArray::fromStdString(DiffractogramTable(s, decimalSeparator.toStdString())), true);
    }
    QByteArray bytes;
    if (const QString problem = XlsxBytes(fileName, s, lesson, bytes); !problem.isEmpty()) {
        return problem;
    }
    return SaveBytes(fileName, bytes);
}

}  // namespace kb
