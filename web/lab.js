// The lab on the page: the "Unbekannter Kristall" dialog with the teacher's
// part, the class link, the measuring scale and cursor on the drawing area,
// the lab's group and the saved diffractogram. The core decides everything;
// this only wires controls and events to it.

import { Tr, TrArgs } from './language.js';
import { SaveTable } from './workbook.js';

const $ = (id) => document.getElementById(id);

const kLevelNames = ['rechtwinklig', 'schiefwinklig'];
// The cursor's keys on the drawing area, as a screen reader names them.
const kCursorKeys = 'ArrowLeft ArrowRight Shift+ArrowLeft Shift+ArrowRight S';
// Controls that would give the unknown crystal away.
const kRevealingTools = ['CrystalButton', 'SaveValuesButton'];

// `context`: core (the module), page (the panel), session() (the session in
// use; "Aufhören" makes a new one), Download(blob, name), SuggestedName().
export function WireLab(context) {
    const { core, page } = context;
    const session = () => context.session();
    const canvas = $('drawing-area');
    const separator = () => page.DecimalSeparator();
    const level = (name) => (name === kLevelNames[1] ? core.LabLevel.Oblique : core.LabLevel.Rectangular);
    const invalidCode = (typed) => TrArgs('Der Klassencode „%1“ ist ungültig.', typed);
    // The seat as typed, or null unless it is one of the seats.
    const seatOf = (text) => {
        const seat = Number(text);
        return /^\d+$/.test(text) && seat >= core.kLabFirstSeat && seat <= core.kLabLastSeat ? seat : null;
    };

    // What the page last showed of the session's lab state.
    let shown = { inLab: null, scale: null };
    let dragging = null;

    function Announce(text) {
        if (text) {
            $('lab-announcement').textContent = text;
        }
    }

    // After every pass: the extras and the drawing area follow the session.
    function Sync() {
        const s = session();
        const inLab = s.InLab();
        const scale = s.MeasureScale();
        if (inLab !== shown.inLab) {
            for (const id of kRevealingTools) {
                $(id).disabled = inLab;
            }
        }
        if (scale !== shown.scale) {
            $('ScaleButton').setAttribute('aria-pressed', String(scale));
            canvas.classList.toggle('measuring', scale);
            if (scale) {
                canvas.tabIndex = 0;
                canvas.setAttribute('aria-keyshortcuts', kCursorKeys);
            } else {
                canvas.removeAttribute('tabindex');
                canvas.removeAttribute('aria-keyshortcuts');
                dragging = null;
            }
        }
        shown = { inLab, scale };
    }

    function ClearGuess() {
        for (const id of ['Edit5', 'Edit6', 'Edit7']) {
            $(id).value = '';
        }
    }

    // "Aufhören": the controls as the page starts.
    function Reset() {
        $('GroupBox8').hidden = true;
        ClearGuess();
        $('lab-announcement').textContent = '';
        shown = { inLab: null, scale: null };
        dragging = null;
    }

    // Pointer and keys on the drawing area, in its logical pixels.
    function ViewPoint(event) {
        const box = canvas.getBoundingClientRect();
        return [Math.round(event.clientX - box.left), Math.round(event.clientY - box.top)];
    }
    canvas.addEventListener('pointerdown', (event) => {
        if (!event.isPrimary || event.button !== 0 || !session().MeasureScale()) {
            return;
        }
        // The core takes only points in the diffractogram's band; the drag
        // is followed from anywhere, so that it may start beside the band.
        canvas.focus({ preventScroll: true });
        dragging = event.pointerId;
        canvas.setPointerCapture(event.pointerId);
        session().PointerAt(...ViewPoint(event));
    });
    canvas.addEventListener('pointermove', (event) => {
        if (event.pointerId === dragging) {
            session().PointerAt(...ViewPoint(event));
        }
    });
    const release = (event) => {
        if (event.pointerId === dragging) {
            dragging = null;
            Announce(session().CursorReading());
        }
    };
    canvas.addEventListener('pointerup', release);
    canvas.addEventListener('pointercancel', release);
    canvas.addEventListener('keydown', (event) => {
        const s = session();
        if (!s.MeasureScale() || event.altKey || event.ctrlKey || event.metaKey) {
            return;
        }
        const step = event.shiftKey ? core.kCursorBigStepDeg : core.kCursorStepDeg;
        if (event.key === 'ArrowRight' || event.key === 'ArrowUp') {
            s.MoveCursor(step);
        } else if (event.key === 'ArrowLeft' || event.key === 'ArrowDown') {
            s.MoveCursor(-step);
        } else if (event.key === 's' || event.key === 'S') {
            s.Button10Click();
        } else {
            return;
        }
        event.preventDefault();
        Announce(s.CursorReading());
    });

    $('Button10').addEventListener('click', () => {
        session().Button10Click();
        Announce(session().CursorReading());
    });
    $('Button11').addEventListener('click', () => {
        session().Button11Click();
        Announce(session().Verdict());
    });
    for (const id of ['Edit5', 'Edit6', 'Edit7']) {
        $(id).addEventListener('keydown', (event) => {
            if (event.key === 'Enter') {
                event.preventDefault();
                $('Button11').click();
            }
        });
    }

    $('ScaleButton').addEventListener('click', () => session().SetMeasureScale(!session().MeasureScale()));
    $('SaveDiffractogramButton').addEventListener('click', () => SaveTable({
        title: $('SaveDiffractogramButton').textContent, name: `${context.SuggestedName()} - ${Tr('Diffraktogramm')}`,
        download: context.Download, csv: () => session().DiffractogramTable(separator()),
        book: () => session().DiffractogramWorkbook(),
    }));

    // "Unbekannter Kristall": class code, seat, level; the teacher's key.
    const dialog = $('LabDialog');
    const form = dialog.querySelector('form');

    function FillDialog(code, seat, levelName) {
        $('labCode').value = code;
        $('labSeat').value = seat;
        $(levelName === kLevelNames[1] ? 'labOblique' : 'labRectangular').checked = true;
        $('labMessage').textContent = '';
        $('newCodeKey').textContent = '';
        $('labKey').value = '';
        $('solutionTable').hidden = true;
        $('solutionTable').textContent = '';
        $('teacherPart').open = false;
    }

    // The dialog's choice, or a message on what is wrong with it.
    function ReadChoice() {
        const typed = $('labCode').value.trim();
        const code = core.NormaliseClassCode(typed);
        if (code === null) {
            return { message: invalidCode(typed), field: 'labCode' };
        }
        const seat = seatOf($('labSeat').value.trim());
        if (seat === null) {
            return { message: TrArgs('Der Platz muss zwischen %1 und %2 liegen.', core.kLabFirstSeat, core.kLabLastSeat),
                field: 'labSeat' };
        }
        const levelName = form.querySelector('input[name=labLevel]:checked').value;
        return { choice: { code, seat, level: level(levelName) } };
    }

    // Another crystal: the last one's guess goes with it.
    function StartLab(choice) {
        ClearGuess();
        session().StartLab(choice);
        Sync();
    }

    // Opens the dialog with these values, the focus on `focus` (the first
    // one missing).
    function OpenDialog(code, seat, levelName, focus = 'labCode', message = '') {
        FillDialog(code, seat, levelName);
        $('labMessage').textContent = message;
        dialog.showModal();
        $(focus).focus();
    }

    $('LabButton').addEventListener('click', () => {
        const s = session();
        if (s.InLab()) {
            const lab = s.Lab();
            OpenDialog(lab.code, String(lab.seat), kLevelNames[lab.level === core.LabLevel.Oblique ? 1 : 0]);
        } else {
            OpenDialog('', '', kLevelNames[0]);
        }
    });
    form.addEventListener('submit', (event) => {
        event.preventDefault();
        const read = ReadChoice();
        if (read.message) {
            $('labMessage').textContent = read.message;
            $(read.field).focus();
            return;
        }
        dialog.close();
        StartLab(read.choice);
    });
    $('labCancelButton').addEventListener('click', () => dialog.close());
    $('newCodeButton').addEventListener('click', () => {
        const [high, low] = crypto.getRandomValues(new Uint32Array(2));
        const code = core.NewClassCode(high, low);
        $('labCode').value = code;
        $('labMessage').textContent = '';
        $('newCodeKey').textContent = TrArgs('Schlüssel für die Lösungen: %1', core.TeacherKey(code));
    });
    $('solutionButton').addEventListener('click', () => {
        const typed = $('labCode').value.trim();
        const code = core.NormaliseClassCode(typed);
        const table = $('solutionTable');
        table.hidden = true;
        if (code === null) {
            $('labMessage').textContent = invalidCode(typed);
        } else if (!core.IsTeacherKey(code, $('labKey').value)) {
            $('labMessage').textContent = Tr('Der Schlüssel gehört nicht zu diesem Klassencode.');
        } else {
            $('labMessage').textContent = '';
            table.textContent = core.SolutionTable(code, separator());
            table.hidden = false;
        }
    });

    // The class link: #unbekannt=CODE[&platz=N][&stufe=rechtwinklig|schiefwinklig].
    // Complete and valid, it starts the lab; otherwise the dialog asks for the rest.
    function FollowLink() {
        const params = new URLSearchParams(location.hash.replace(/^#/, ''));
        if (!params.has('unbekannt')) {
            return;
        }
        const typed = params.get('unbekannt').trim();
        const seatText = (params.get('platz') || '').trim();
        const levelName = params.get('stufe');
        const code = core.NormaliseClassCode(typed);
        const seat = seatOf(seatText);
        const levelValid = kLevelNames.includes(levelName);
        for (const open of document.querySelectorAll('dialog[open]')) {
            open.close();
        }
        if (code !== null && seat !== null && levelValid) {
            StartLab({ code, seat, level: level(levelName) });
        } else if (code === null) {
            OpenDialog(typed, seatText, levelName, 'labCode', invalidCode(typed));
        } else {
            OpenDialog(code, seat ?? '', levelName, seat === null ? 'labSeat' : 'labRectangular');
        }
    }
    window.addEventListener('hashchange', FollowLink);

    return { Sync, Reset, FollowLink };
}
