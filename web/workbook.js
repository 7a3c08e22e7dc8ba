// The tables as Excel workbooks, as the desktop writes them: the core
// describes the workbook (sheets, headers, decimals, widths, facts), the
// inlined write-excel-file library (globalThis.writeXlsxFile) writes it.

const kNumberFormats = ['0', '0.0', '0.00', '0.000', '0.0000'];  // by decimals

export function WorkbookBlob(book) {
    const bold = (value) => ({ value, fontWeight: 'bold' });
    const table = [book.titles.map(bold), ...book.rows.map((row) => row.map((value, c) => (
        { value, type: Number, format: kNumberFormats[book.decimals[c]] })))];
    const facts = book.facts.map(({ name, value }) => [bold(name),
        typeof value === 'number' ? { value, type: Number } : { value, type: String }]);
    return globalThis.writeXlsxFile([
        { data: table, sheet: book.tableSheet, columns: book.widths.map((width) => ({ width })), stickyRowsCount: 1 },
        { data: facts, sheet: book.factsSheet, columns: [{ width: 12 }, { width: 40 }] },
    ]).toBlob();
}

const $ = (id) => document.getElementById(id);

// "Messwerte speichern" and "Diffraktogramm speichern": the format asked for
// in a small dialog titled as the button, as the desktop's file dialog asks
// by its filter; the choice stays for the next time.
//   table: { title, name, csv: () => text, book: () => workbook description, download(blob, fileName) }
export function SaveTable(table) {
    const dialog = $('FormatDialog');
    $('FormatTitle').textContent = table.title;
    dialog.returnValue = '';
    dialog.addEventListener('close', async () => {
        if (dialog.returnValue !== 'save') {
            return;
        }
        if ($('formatXlsx').checked) {
            table.download(await WorkbookBlob(table.book()), `${table.name}.xlsx`);
        } else {
            // With a byte order mark, as the desktop writes it, so that a
            // spreadsheet reads the degree signs as UTF-8.
            table.download(new Blob(['\uFEFF', table.csv()], { type: 'text/csv;charset=utf-8' }), `${table.name}.csv`);
        }
    }, { once: true });
    dialog.showModal();
    $('formatSaveButton').focus();
}

export function WireFormatDialog() {
    $('formatCancelButton').addEventListener('click', () => $('FormatDialog').close());
}
