// The browser edition's start-up module: the panel of the page carried out
// for the core (the same handlers and passes as on the desktop), and the one
// painter, which replays each pass's draw list on the canvas. The lab's
// wiring lives in lab.js, which gets the session from here.

import { ShowNotice, WireExtras } from './extras.js';
import { WireLab } from './lab.js';
import { ApplyTexts, RememberLanguage, RememberTexts, StartLanguage, Tr, TrArgs, UseCore } from './language.js';
import { SaveTable, WireFormatDialog } from './workbook.js';

// Command codes of the encoded draw list (web/draw_list_encoding.h).
const kPen = 1, kBrush = 2, kFont = 3, kLine = 4, kEllipse = 5, kArc = 6, kPolygon = 7, kFillRect = 8, kText = 9;
const kPenSolid = 0, kPenDash = 1, kPenDot = 2, kPenClear = 3;
const kBrushSolid = 0;
const kFontFamily = '"KB Sans"';
// Character cell of the embedded face per em: ascent plus descent.
const kCellPerEm = (1854 + 434) / 2048;
// Dash patterns in pen widths, drawn then left out, as the desktop painter.
const kDash = [6, 3];
const kDot = [1, 2];

const cssColours = new Map();
function CssColour(colour) {
    let css = cssColours.get(colour);
    if (css === undefined) {
        css = '#' + colour.toString(16).padStart(6, '0');
        cssColours.set(colour, css);
    }
    return css;
}

// Angle in radians, counterclockwise on the screen, of the ellipse point that
// the ray from the box centre through (x, y) meets.
function RayAngle(cx, cy, rx, ry, x, y) {
    return Math.atan2((cy - y) / Math.max(ry, 1e-9), (x - cx) / Math.max(rx, 1e-9));
}

// Shapes that repeat (small ellipses, labels), drawn once per look, size and
// pixel ratio and then copied: a copy costs a fraction of drawing the shape.
// Only at whole ratios, where a copy falls on whole device pixels.
const kMaxStampedEllipsePx = 64;
const kMaxStamps = 4096;
const kStampPad = 2;  // px around the shape for its antialiased edge and overhangs

export class Stamps {
    constructor() {
        this.stamps = new Map();
    }

    // The stamp under `key`, made the first time: `sizeOf()` logical pixels
    // wide and high, drawn by `draw` on a context in logical pixels.
    Get(key, ratio, sizeOf, draw) {
        let stamp = this.stamps.get(key);
        if (stamp === undefined) {
            if (this.stamps.size >= kMaxStamps) {
                this.stamps.clear();
            }
            const [width, height] = sizeOf();
            stamp = document.createElement('canvas');
            stamp.width = width * ratio;
            stamp.height = height * ratio;
            const ctx = stamp.getContext('2d');
            ctx.setTransform(ratio, 0, 0, ratio, 0, 0);
            draw(ctx);
            stamp.logicalWidth = width;
            stamp.logicalHeight = height;
            this.stamps.set(key, stamp);
        }
        return stamp;
    }
}

// Replays an encoded pass onto `ctx`, whose transform maps logical pixels to
// `ratio` device pixels each. One-pixel lines fall on whole device pixels at
// every ratio: odd widths are centred on pixel centres, even ones on pixel
// edges. With `stamps`, small ellipses and texts are copied from there.
export function ReplayDrawList(ctx, list, ratio = 1, stamps = null) {
    const stamping = stamps !== null && Number.isInteger(ratio);
    let penColour = 0, penWidth = 1, penStyle = kPenSolid;
    let brushColour = 0xffffff, brushStyle = kBrushSolid;
    let fontAscent = 0, fontCss = '#000000';
    let fillCss = null;
    const setFill = (css) => {
        if (css !== fillCss) {
            ctx.fillStyle = css;
            fillCss = css;
        }
    };
    let strokeSet = false;
    let inLines = false;
    let fontPx = 0;
    ctx.fontKerning = 'none';
    ctx.textBaseline = 'alphabetic';
    ctx.lineJoin = 'miter';
    ctx.imageSmoothingEnabled = false;

    const applyStroke = () => {
        if (strokeSet) {
            return;
        }
        ctx.strokeStyle = CssColour(penColour);
        ctx.lineWidth = penWidth;
        ctx.lineCap = penWidth > 1 ? 'square' : 'butt';
        const pattern = penStyle === kPenDash ? kDash : penStyle === kPenDot ? kDot : null;
        ctx.setLineDash(pattern ? pattern.map((n) => n * penWidth) : []);
        strokeSet = true;
    };
    // The last segment of a run waits here, so that a straight stretch made
    // of many segments becomes one.
    let ax = 0, ay = 0, bx = 0, by = 0;
    const emitSegment = () => {
        ctx.moveTo(ax, ay);
        ctx.lineTo(bx, by);
    };
    const flushLines = () => {
        if (inLines) {
            emitSegment();
            ctx.stroke();
            inLines = false;
        }
    };
    // The box of an ellipse or arc, shrunk so that its pen stays inside.
    const strokeBox = (x1, y1, x2, y2) => {
        const inset = penStyle === kPenClear ? 0 : penWidth / 2;
        const left = Math.min(x1, x2) + inset, top = Math.min(y1, y2) + inset;
        const width = Math.max(0, Math.abs(x2 - x1) - 2 * inset);
        const height = Math.max(0, Math.abs(y2 - y1) - 2 * inset);
        return [left + width / 2, top + height / 2, width / 2, height / 2];
    };

    // On `target`, which is `ctx` or a stamp's context: its pen and fill are
    // set afresh here.
    const drawEllipse = (target, x1, y1, x2, y2) => {
        const [cx, cy, rx, ry] = strokeBox(x1, y1, x2, y2);
        target.beginPath();
        target.ellipse(cx, cy, rx, ry, 0, 0, 2 * Math.PI);
        if (brushStyle === kBrushSolid) {
            target.fillStyle = CssColour(brushColour);
            target.fill();
        }
        if (penStyle !== kPenClear) {
            target.strokeStyle = CssColour(penColour);
            target.lineWidth = penWidth;
            const pattern = penStyle === kPenDash ? kDash : penStyle === kPenDot ? kDot : null;
            target.setLineDash(pattern ? pattern.map((n) => n * penWidth) : []);
            target.stroke();
        }
    };

    const n = list.length;
    let i = 0;
    while (i < n) {
        const command = list[i];
        if (command === kLine) {
            const x1 = list[i + 1], y1 = list[i + 2], x2 = list[i + 3], y2 = list[i + 4];
            i += 5;
            if (penStyle === kPenClear || (x1 === x2 && y1 === y2)) {
                continue;
            }
            // Moved onto pixel centres across the line's direction, and along
            // it too unless it is horizontal or vertical, so that such a line
            // covers exactly the pixels from its start up to its end.
            const off = penWidth % 2 === 1 ? 0.5 : 0;
            const offX = x1 === x2 || y1 !== y2 ? off : 0;
            const offY = y1 === y2 || x1 !== x2 ? off : 0;
            const sx = x1 + offX, sy = y1 + offY, ex = x2 + offX, ey = y2 + offY;
            if (!inLines) {
                applyStroke();
                ctx.beginPath();
                inLines = true;
            } else if (penStyle === kPenSolid && sx === bx && sy === by &&
                       (bx - ax) * (ey - sy) === (by - ay) * (ex - sx) && (bx - ax) * (ex - sx) + (by - ay) * (ey - sy) > 0) {
                bx = ex;
                by = ey;
                continue;
            } else {
                emitSegment();
            }
            ax = sx;
            ay = sy;
            bx = ex;
            by = ey;
            continue;
        }
        flushLines();
        switch (command) {
            case kPen:
                penColour = list[i + 1];
                penWidth = Math.max(1, list[i + 2]);
                penStyle = list[i + 3];
                strokeSet = false;
                i += 4;
                break;
            case kBrush:
                brushColour = list[i + 1];
                brushStyle = list[i + 2];
                i += 3;
                break;
            case kFont:
                fontPx = list[i + 1];
                ctx.font = `${fontPx}px ${kFontFamily}`;
                fontAscent = list[i + 2];
                fontCss = CssColour(list[i + 3]);
                i += 4;
                break;
            case kEllipse: {
                const x1 = list[i + 1], y1 = list[i + 2], x2 = list[i + 3], y2 = list[i + 4];
                i += 5;
                const width = Math.abs(x2 - x1), height = Math.abs(y2 - y1);
                const left = Math.min(x1, x2), top = Math.min(y1, y2);
                if (stamping && width <= kMaxStampedEllipsePx && height <= kMaxStampedEllipsePx) {
                    const key = `e${width},${height},${penColour},${penWidth},${penStyle},${brushColour},${brushStyle}|${ratio}`;
                    const pad = kStampPad;
                    const stamp = stamps.Get(key, ratio, () => [width + 2 * pad, height + 2 * pad], (s) => {
                        drawEllipse(s, pad, pad, pad + width, pad + height);
                    });
                    ctx.drawImage(stamp, left - pad, top - pad, width + 2 * pad, height + 2 * pad);
                } else {
                    drawEllipse(ctx, x1, y1, x2, y2);
                    strokeSet = false;
                    fillCss = null;
                }
                break;
            }
            case kArc: {
                const [cx, cy, rx, ry] = strokeBox(list[i + 1], list[i + 2], list[i + 3], list[i + 4]);
                const start = RayAngle(cx, cy, rx, ry, list[i + 5], list[i + 6]);
                let span = RayAngle(cx, cy, rx, ry, list[i + 7], list[i + 8]) - start;
                while (span <= 0) {
                    span += 2 * Math.PI;
                }
                i += 9;
                if (penStyle === kPenClear) {
                    break;
                }
                applyStroke();
                ctx.beginPath();
                // Canvas angles run clockwise on the screen.
                ctx.ellipse(cx, cy, rx, ry, 0, -start, -(start + span), true);
                ctx.stroke();
                break;
            }
            case kPolygon: {
                const count = list[i + 1];
                const off = penStyle === kPenClear ? 0 : penWidth % 2 === 1 ? 0.5 : 0;
                ctx.beginPath();
                for (let p = 0; p < count; ++p) {
                    const x = list[i + 2 + 2 * p] + off, y = list[i + 3 + 2 * p] + off;
                    if (p === 0) {
                        ctx.moveTo(x, y);
                    } else {
                        ctx.lineTo(x, y);
                    }
                }
                ctx.closePath();
                i += 2 + 2 * count;
                if (brushStyle === kBrushSolid) {
                    setFill(CssColour(brushColour));
                    ctx.fill('evenodd');
                }
                if (penStyle !== kPenClear) {
                    applyStroke();
                    ctx.stroke();
                }
                break;
            }
            case kFillRect: {
                const x1 = list[i + 1], y1 = list[i + 2], x2 = list[i + 3], y2 = list[i + 4];
                i += 5;
                if (brushStyle === kBrushSolid) {
                    setFill(CssColour(brushColour));
                    ctx.fillRect(Math.min(x1, x2), Math.min(y1, y2), Math.abs(x2 - x1), Math.abs(y2 - y1));
                }
                break;
            }
            case kText: {
                const x = list[i + 1], y = list[i + 2], count = list[i + 3];
                const text = String.fromCharCode.apply(null, list.subarray(i + 4, i + 4 + count));
                i += 4 + count;
                if (stamping) {
                    const key = `t${fontPx},${fontCss},${text}|${ratio}`;
                    const pad = kStampPad;
                    const sizeOf = () =>
                        [Math.ceil(ctx.measureText(text).width) + 2 * pad, Math.ceil(fontPx * kCellPerEm) + 2 * pad];
                    const stamp = stamps.Get(key, ratio, sizeOf, (s) => {
                        s.font = ctx.font;
                        s.fontKerning = 'none';
                        s.fillStyle = fontCss;
                        s.fillText(text, pad, pad + fontAscent);
                    });
                    ctx.drawImage(stamp, x - pad, y - pad, stamp.logicalWidth, stamp.logicalHeight);
                } else {
                    setFill(fontCss);
                    ctx.fillText(text, x, y + fontAscent);
                }
                break;
            }
            default:
                throw new Error(`draw list: unknown command ${command} at ${i}`);
        }
    }
    flushLines();
}

// ---------------------------------------------------------------------------
// The page as the core's Panel.

const $ = (id) => document.getElementById(id);
const kDisplayChecks = ['CheckBox1', 'CheckBox2', 'CheckBox3', 'CheckBox4', 'CheckBox5', 'CheckBox6', 'CheckBox7',
    'CheckBox8', 'CheckBox9', 'CheckBox10', 'CheckBox11', 'CheckBox12', 'primaer', 'gebeugtCheck'];
const kSpinnerMin = 1, kSpinnerMax = 14;
// Text of a readout starts this far inside its box, left and right (border and
// padding), and the lines this far at top and bottom.
const kReadoutInsetX = 3, kReadoutInsetY = 2;
const kSmallestReadoutPx = 6;
const kReadoutLineHeight = 1.15;

const kFree = 'frei';
// Texts that the core or the page's code write; the rest of the page's texts
// are its static German, translated on every change of language.
const kWrittenTexts = ['Button3', 'Edit3', 'Edit4', 'ListBox1', 'drawing-description', 'Notice', 'lab-announcement',
    'reflex-announcement', 'MessageTitle', 'MessageText', 'checkMessage', 'labMessage', 'newCodeKey', 'solutionTable',
    'LanguageList'];

// The language's own separator: numbers follow the language, not the browser.
const separators = new Map();
function DecimalSeparatorOf(language) {
    if (!separators.has(language)) {
        separators.set(language, core.DecimalSeparatorOf(language));
    }
    return separators.get(language);
}

// The core's name for a control whose caption another one shares ("Start:
// Kristall drehen"); the visible caption stays.
function NameControl(name, caption = '') {
    const label = core.AccessibleName(name, caption);
    if (label) {
        $(name).setAttribute('aria-label', label);
    }
}

// The element a control's visibility is set on: a check box with its caption.
function ShownElement(name) {
    const element = $(name);
    return element.type === 'checkbox' ? element.parentElement : element;
}

class Page {
    constructor() {
        this.canvas = $('drawing-area');
        this.ctx = this.canvas.getContext('2d', { alpha: false });
        this.measure = document.createElement('canvas').getContext('2d');
        this.timer = 0;
        this.readoutFonts = new Map();
        this.stamps = new Stamps();
        this.reflexText = null;
        this.firstPictureAt = 0;
        this.passListener = null;
        this.MeasureView();
    }

    MeasureView() {
        const view = $('view');
        this.viewWidth = Math.max(1, view.clientWidth);
        this.viewHeight = Math.max(1, view.clientHeight);
    }

    // The canvas's backing store at the device pixel ratio, so that a
    // logical pixel is a whole number of device pixels and nothing is scaled.
    FitCanvas() {
        const ratio = window.devicePixelRatio || 1;
        const width = Math.round(this.viewWidth * ratio);
        const height = Math.round(this.viewHeight * ratio);
        if (this.canvas.width !== width || this.canvas.height !== height) {
            this.canvas.width = width;
            this.canvas.height = height;
        }
        this.ratio = ratio;
    }

    ViewWidth() { return this.viewWidth; }
    ViewHeight() { return this.viewHeight; }
    DecimalSeparator() { return DecimalSeparatorOf(core.CurrentLanguage()); }

    ShowControl(name, shown) {
        const element = ShownElement(name);
        element.hidden = !shown;
    }
    IsChecked(name) { return $(name).checked; }
    // Setting a control from script raises no event: the core runs the handler.
    SetChecked(name, checked) { $(name).checked = checked; }
    RadioItem() {
        const checked = document.querySelector('input[name=RadioGroup1]:checked');
        return checked ? Number(checked.value) : 0;
    }
    SelectRadioItem(item) { $(`RadioGroup1Item${item}`).checked = true; }
    ControlText(name) { return $(name).value; }
    SetControlText(name, text) {
        $(name).value = text;
        if (name === 'Edit2' && /^-?\d+$/.test(text)) {
            $('UpDown1').setAttribute('aria-valuenow', text);
        }
    }
    SetControlCaption(name, caption) {
        $(name).textContent = caption;
        NameControl(name, caption);
    }
    SetWindowCaption(caption) { document.title = caption; }
    // Focus on a control that the lesson hid goes back to the lesson number.
    PanelChanged() {
        const focused = document.activeElement;
        if (focused && focused !== document.body && $('Panel1').contains(focused) && focused.offsetParent === null) {
            $('Edit2').focus();
        }
    }

    StartTimer(intervalMs) {
        this.StopTimer();
        this.timer = setInterval(() => session.Timer1Timer(), intervalMs);
    }
    StopTimer() {
        if (this.timer) {
            clearInterval(this.timer);
            this.timer = 0;
        }
    }
    SetTimerInterval(intervalMs) {
        if (this.timer) {
            this.StartTimer(intervalMs);
        }
    }

    ShowMessage(title, text) {
        $('MessageTitle').textContent = title;
        $('MessageText').textContent = text;
        const dialog = $('MessageDialog');
        if (!dialog.open) {
            dialog.showModal();
        }
        $('MessageOk').focus();
    }

    // The largest font, from the cell height down, in which every text fits
    // the box, measured as the box will draw it.
    FitReadoutFont(name, cellHeightPx, boxWidth, boxHeight, texts, lines) {
        const candidates = texts.split('\n');
        let px = Math.max(kSmallestReadoutPx, Math.round(cellHeightPx / kCellPerEm));
        for (; px > kSmallestReadoutPx; --px) {
            this.measure.font = `${px}px ${kFontFamily}`;
            const widest = Math.max(0, ...candidates.map((t) => this.measure.measureText(t).width));
            const tall = Math.max(1, lines) * px * kReadoutLineHeight;
            if (widest <= boxWidth - 2 * kReadoutInsetX && tall <= boxHeight - 2 * kReadoutInsetY) {
                break;
            }
        }
        this.readoutFonts.set(name, px);
    }
    PlaceReadout(name, left, top, width, height) {
        const box = $(name);
        box.style.left = `${left}px`;
        box.style.top = `${top}px`;
        box.style.width = `${width}px`;
        box.style.height = `${height}px`;
        const px = this.readoutFonts.get(name);
        if (px !== undefined) {
            box.style.fontSize = `${px}px`;
        }
    }
    SetReadoutText(name, text) {
        const box = $(name);
        if (name === 'ListBox1') {
            const lines = text === '' ? [] : text.split('\n');
            const shown = Array.from(box.children, (c) => c.textContent);
            if (shown.length !== lines.length || shown.some((t, k) => t !== lines[k])) {
                box.replaceChildren(...lines.map((line) => {
                    const item = document.createElement('div');
                    item.setAttribute('role', 'listitem');
                    item.textContent = line;
                    return item;
                }));
            }
            return;
        }
        if (box.textContent !== text) {
            box.textContent = text;
        }
        // The reflex is announced when it changes, not on every tick, and
        // only while its box is shown.
        if (name === 'Edit4' && text !== this.reflexText && !box.hidden) {
            this.reflexText = text;
            $('reflex-announcement').textContent = text;
        }
    }

    ShowPicture(list) {
        this.FitCanvas();
        const ctx = this.ctx;
        ctx.setTransform(this.ratio, 0, 0, this.ratio, 0, 0);
        ReplayDrawList(ctx, list, this.ratio, this.stamps);
        // The description in words changes only every few ticks; a screen
        // reader is told only then. The session's very first pass comes
        // before the page holds the session.
        if (session) {
            const description = session.Description();
            if (description !== this.description) {
                this.description = description;
                $('drawing-description').textContent = description;
            }
            lab.Sync();
        }
        if (!this.firstPictureAt) {
            this.firstPictureAt = performance.now();
        }
        if (this.passListener) {
            this.passListener(list);
        }
    }
}

// ---------------------------------------------------------------------------
// Start-up, the controls' events, the classroom tools.

let core = null;
let session = null;
let crystalChoices = null;  // presets and ranges, from the core
let page = null;
let lab = null;

// Every control as the window is created.
function ResetControls() {
    for (const name of kDisplayChecks) {
        $(name).checked = name === 'CheckBox5' || name === 'CheckBox7';
    }
    $('RadioGroup1Item0').checked = true;
    for (const element of $('Panel1').querySelectorAll('[hidden]')) {
        element.hidden = false;
    }
    for (const name of ['Edit4', 'ListBox1']) {
        $(name).hidden = false;
    }
    $('Edit2').value = '1';
    $('UpDown1').setAttribute('aria-valuenow', '1');
    $('Button3').textContent = 'Start';
    $('Edit3').textContent = 'Edit3';
    $('Edit4').textContent = 'Edit4';
    $('ListBox1').replaceChildren();
    $('Edit3').removeAttribute('style');
    $('Edit4').removeAttribute('style');
    $('ListBox1').removeAttribute('style');
}

function StartSession(language = core.CurrentLanguage()) {
    page.StopTimer();
    page.reflexText = null;
    page.readoutFonts.clear();
    $('reflex-announcement').textContent = '';
    page.MeasureView();
    session = new core.Session(page);
    // Before the first pass, so that no text is shown in another language.
    session.SetLanguage(language);
    session.FormActivate();
    const edit = $('Edit2');
    edit.focus();
    edit.select();
}

// "Aufhören": a page cannot close its tab, so it returns to its start state.
function Quit() {
    page.StopTimer();
    for (const dialog of document.querySelectorAll('dialog[open]')) {
        dialog.close();
    }
    if (document.fullscreenElement) {
        document.exitFullscreen().catch(() => {});
    }
    session.delete();
    session = null;
    ResetControls();
    lab.Reset();
    StartSession();
}

// "Start" of "Experiment Nr.", and Enter in its field: the lesson whose
// number the field holds. Leaving the lab this way frees the tools it locked.
function StartLesson(byEnter = false) {
    if (byEnter) {
        session.Edit2Enter();
    } else {
        session.Button9Click();
    }
    lab.Sync();
}

function StepSpinner(steps) {
    const edit = $('Edit2');
    const spinner = $('UpDown1');
    let position = Number(spinner.getAttribute('aria-valuenow'));
    // A number typed into the box is where the step starts from.
    const typed = edit.value.trim();
    if (/^[+-]?\d+$/.test(typed)) {
        position = Math.min(kSpinnerMax, Math.max(kSpinnerMin, Number(typed)));
    }
    position = Math.min(kSpinnerMax, Math.max(kSpinnerMin, position + steps));
    spinner.setAttribute('aria-valuenow', String(position));
    edit.value = String(position);
}

function SuggestedName() {
    const name = document.title.split(':')[0].trim();
    return name || Tr('Kristallbeugung');
}

function Download(blob, fileName) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = fileName;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

// The canvas as it stands: the pass shown, at device pixels.
function SavePicture() {
    page.canvas.toBlob((blob) => {
        if (blob) {
            Download(blob, `${SuggestedName()}.png`);
        }
    }, 'image/png');
}

function SaveValues() {
    SaveTable({
        title: $('SaveValuesButton').textContent, name: SuggestedName(), download: Download,
        csv: () => session.MeasuredValues(page.DecimalSeparator()), book: () => session.ValuesWorkbook(),
    });
}

// A link's state: "#experiment=12&lattice=300,300,90&wavelength=70.93&omega=25.5&speed=70".
// A bad value gives the command line's message and changes nothing. The
// lab's class link is lab.js's.
function OpenStateLink() {
    let fragment = location.hash.replace(/^#/, '');
    const params = new URLSearchParams(fragment);
    if (params.has('unbekannt')) {
        // A class link may name the language too; the rest is the lab's.
        if (!params.has('lang')) {
            return;
        }
        fragment = `lang=${encodeURIComponent(params.get('lang'))}`;
    }
    if (fragment === '') {
        return;
    }
    const message = session.OpenState(fragment);
    lab.Sync();
    // "lang" is the core's to check, as every name of a link.
    if (core.CurrentLanguage() !== document.documentElement.lang) {
        ShowLanguage();
    }
    if (message) {
        page.ShowMessage(Tr('Kristallbeugung'), message);
    }
}

// "Link kopieren": this page's address with the state shown now.
async function CopyLink() {
    const link = `${location.href.split('#')[0]}#${session.StateFragment()}`;
    try {
        await navigator.clipboard.writeText(link);
        ShowNotice(Tr('Link in die Zwischenablage kopiert'));
    } catch {
        page.ShowMessage(Tr('Kristallbeugung'), link);
    }
}

function ToggleFullScreen() {
    if (document.fullscreenElement) {
        document.exitFullscreen().catch(() => {});
    } else {
        document.documentElement.requestFullscreen().catch(() => {});
    }
}

// "Kristall und Strahlung": presets and free values, checked by the core.
// Numbers in the fields with the readouts' separator; either separator is read.
function CrystalNumber(value) {
    return String(Math.round(value * 1000) / 1000).replace('.', page.DecimalSeparator());
}

function FieldNumber(text) {
    const trimmed = text.trim().replace(',', '.');
    return /^[+-]?(\d+\.?\d*|\.\d+)$/.test(trimmed) ? Number(trimmed) : NaN;
}

function ReadCrystalFields() {
    return ['aSpin', 'bSpin', 'gammaSpin', 'lambdaSpin'].map((id) => FieldNumber($(id).value));
}

function SyncCrystalChoices() {
    const { lattices, radiations } = crystalChoices;
    const [a, b, gamma, lambda] = ReadCrystalFields();
    // The fields hold what the core stores in single precision.
    const single = Math.fround;
    const lattice = lattices.findIndex((p) => p[1] === single(a) && p[2] === single(b) && p[3] === single(gamma));
    $('latticeChoice').selectedIndex = lattice >= 0 ? lattice : lattices.length;
    const radiation = radiations.findIndex((p) => p[1] === single(lambda));
    $('radiationChoice').selectedIndex = radiation >= 0 ? radiation : radiations.length;
}

function CheckCrystalFields() {
    const [a, b, gamma, lambda] = ReadCrystalFields();
    const check = session.CheckCrystal(a, b, gamma, lambda);
    // As the desktop's dialog: the count of reflections once the values hold.
    $('checkMessage').textContent = check.accepted ? TrArgs('%1 Reflexe', check.reflexCount) : check.message;
    $('checkMessage').classList.toggle('accepted', check.accepted);
    const { lattice, gamma: gammaRange, lambda: lambdaRange } = crystalChoices.ranges;
    const ranges = [['aSpin', lattice], ['bSpin', lattice], ['gammaSpin', gammaRange], ['lambdaSpin', lambdaRange]];
    for (const [id, [low, high]] of ranges) {
        const value = FieldNumber($(id).value);
        $(id).setAttribute('aria-invalid', String(!(value >= low && value <= high)));
    }
    $('okButton').disabled = !check.accepted;
    return check;
}

function SetCrystalFields(a, b, gamma, lambda) {
    $('aSpin').value = CrystalNumber(a);
    $('bSpin').value = CrystalNumber(b);
    $('gammaSpin').value = CrystalNumber(gamma);
    $('lambdaSpin').value = CrystalNumber(lambda);
    SyncCrystalChoices();
    CheckCrystalFields();
}

function OpenCrystalDialog() {
    const crystal = session.Crystal();
    SetCrystalFields(crystal.LatticeA, crystal.LatticeB, crystal.GammaDeg, crystal.Lambda);
    $('CrystalDialog').showModal();
    $('latticeChoice').focus();
}

// Resolves true when the recorded peaks may go: at once while none are
// recorded, otherwise when the user chooses "Verwerfen".
function ConfirmDiscardPeaks() {
    if (!session.AnyPeakRecorded()) {
        return Promise.resolve(true);
    }
    const dialog = $('DiscardDialog');
    return new Promise((resolve) => {
        dialog.returnValue = 'keep';
        dialog.addEventListener('close', () => resolve(dialog.returnValue === 'discard'), { once: true });
        dialog.showModal();
        $('keepButton').focus();
    });
}

function WireCrystalDialog() {
    const { lattices, radiations } = crystalChoices;
    // The German name is the value, the text is in the language shown.
    for (const [name] of lattices) {
        $('latticeChoice').add(new Option(Tr(name), name));
    }
    $('latticeChoice').add(new Option(Tr(kFree), kFree));
    for (const [name] of radiations) {
        $('radiationChoice').add(new Option(Tr(name), name));
    }
    $('radiationChoice').add(new Option(Tr(kFree), kFree));
    $('latticeChoice').addEventListener('change', () => {
        const preset = lattices[$('latticeChoice').selectedIndex];
        if (preset) {
            const [, , , lambda] = ReadCrystalFields();
            SetCrystalFields(preset[1], preset[2], preset[3], lambda);
        }
    });
    $('radiationChoice').addEventListener('change', () => {
        const preset = radiations[$('radiationChoice').selectedIndex];
        if (preset) {
            const [a, b, gamma] = ReadCrystalFields();
            SetCrystalFields(a, b, gamma, preset[1]);
        }
    });
    for (const id of ['aSpin', 'bSpin', 'gammaSpin', 'lambdaSpin']) {
        const field = $(id);
        field.addEventListener('input', () => {
            SyncCrystalChoices();
            CheckCrystalFields();
        });
        // The arrows step as a spin box's do.
        field.addEventListener('keydown', (event) => {
            if (event.key !== 'ArrowUp' && event.key !== 'ArrowDown') {
                return;
            }
            event.preventDefault();
            const value = FieldNumber(field.value);
            const step = Number(field.dataset.step) * (event.key === 'ArrowUp' ? 1 : -1);
            field.value = CrystalNumber(Math.max(0, (Number.isNaN(value) ? 0 : value) + step));
            SyncCrystalChoices();
            CheckCrystalFields();
        });
    }
    const dialog = $('CrystalDialog');
    // "OK" (and Enter in a field) applies and closes; the crystal in use
    // changes nothing, another one asks first while peaks are recorded.
    dialog.querySelector('form').addEventListener('submit', async (event) => {
        event.preventDefault();
        if (!CheckCrystalFields().accepted) {
            return;
        }
        const [a, b, gamma, lambda] = ReadCrystalFields();
        const now = session.Crystal();
        const single = Math.fround;
        const same = single(a) === now.LatticeA && single(b) === now.LatticeB && single(gamma) === now.GammaDeg &&
            single(lambda) === now.Lambda;
        if (!same && !(await ConfirmDiscardPeaks())) {
            return;
        }
        const result = session.ApplyCrystal(a, b, gamma, lambda);
        if (result.accepted) {
            dialog.close();
        } else {
            $('checkMessage').textContent = result.message;
        }
    });
    // Enter on a choice list applies too, as on the desktop's default button.
    dialog.addEventListener('keydown', (event) => {
        if (event.key === 'Enter' && event.target.tagName === 'SELECT') {
            event.preventDefault();
            dialog.querySelector('form').requestSubmit($('okButton'));
        }
    });
    $('cancelButton').addEventListener('click', () => dialog.close());
    $('standardButton').addEventListener('click', () => {
        const [, a, b, gamma] = lattices[0];
        SetCrystalFields(a, b, gamma, radiations[0][1]);
    });
}

function WireControls() {
    const handlers = {
        Button2: 'Button2Click', Button3: 'Button3Click', Button5: 'Button5Click', Button6: 'Button6Click',
        Button7: 'Button7Click', Button8: 'Button8Click', Button9: 'Button9Click',
    };
    for (const [id, handler] of Object.entries(handlers)) {
        if (id !== 'Button9') {
            $(id).addEventListener('click', () => session[handler]());
        }
    }
    $('Button9').addEventListener('click', StartLesson);
    $('Button1').addEventListener('click', Quit);
    // A change by the user raises the display handler once; the core's own
    // changes raise none, it runs the handlers itself.
    for (const name of kDisplayChecks) {
        $(name).addEventListener('change', () => session.DisplayControlClick());
    }
    for (const item of document.querySelectorAll('input[name=RadioGroup1]')) {
        item.addEventListener('change', () => session.DisplayControlClick());
    }
    $('Edit2').addEventListener('keydown', (event) => {
        if (event.key === 'Enter') {
            event.preventDefault();
            StartLesson(true);
        } else if (event.key === 'ArrowUp' || event.key === 'ArrowDown') {
            StepSpinner(event.key === 'ArrowUp' ? 1 : -1);
            event.preventDefault();
        }
    });
    for (const button of $('UpDown1').querySelectorAll('button')) {
        button.addEventListener('click', () => StepSpinner(Number(button.dataset.step)));
    }
    // The lessons by name: choosing one starts it as its number and "Start" do.
    const list = $('ExperimentList');
    FillExperimentList();
    list.addEventListener('change', () => {
        if (list.value !== '') {
            session.StartExperiment(Number(list.value));
            lab.Sync();
            list.value = '';
        }
    });
    for (const code of core.AvailableLanguages()) {
        // Each language by its own name, spoken in it.
        const option = new Option(core.LanguageName(code), code);
        option.lang = code;
        $('LanguageList').add(option);
    }
    $('LanguageList').addEventListener('change', () => {
        const code = $('LanguageList').value;
        if (session.SetLanguage(code)) {
            RememberLanguage(code);
            ShowLanguage();
        }
    });
    $('CopyLinkButton').addEventListener('click', CopyLink);
    $('CrystalButton').addEventListener('click', OpenCrystalDialog);
    $('SavePictureButton').addEventListener('click', SavePicture);
    $('SaveValuesButton').addEventListener('click', SaveValues);
    $('PrintButton').addEventListener('click', () => window.print());
    $('FullScreenButton').addEventListener('click', ToggleFullScreen);
    document.addEventListener('fullscreenchange', () => {
        $('FullScreenButton').setAttribute('aria-pressed', String(Boolean(document.fullscreenElement)));
    });
    WireCrystalDialog();

    // Resize and a change of the pixel ratio (zoom, another screen) redraw.
    let resizePending = false;
    const resized = () => {
        if (resizePending) {
            return;
        }
        resizePending = true;
        requestAnimationFrame(() => {
            resizePending = false;
            page.MeasureView();
            session.FormResize();
        });
    };
    new ResizeObserver(resized).observe($('view'));
    const watchRatio = () => {
        matchMedia(`(resolution: ${window.devicePixelRatio}dppx)`).addEventListener('change', () => {
            resized();
            watchRatio();
        }, { once: true });
    };
    watchRatio();
}

// The lessons' titles in the language shown, after "Experiment wählen …".
function FillExperimentList() {
    const list = $('ExperimentList');
    list.length = 1;
    for (const [number, text] of core.ExperimentList()) {
        list.add(new Option(text, String(number)));
    }
}

// The page's own texts in the core's language; the core has written its
// texts (caption, readouts, picture, Button3) already. Lesson, crystal,
// Omega, peaks and the lab stay as they are.
function ShowLanguage() {
    const code = core.CurrentLanguage();
    document.documentElement.lang = code;
    ApplyTexts();
    for (const element of $('Panel1').querySelectorAll('[id]')) {
        NameControl(element.id, element.id === 'Button3' ? element.textContent : '');
    }
    FillExperimentList();
    for (const option of [...$('latticeChoice').options, ...$('radiationChoice').options]) {
        option.text = Tr(option.value);
    }
    $('LanguageList').value = code;
    // The guide is written out again, in this language, when it opens next.
    $('GuideFrame').removeAttribute('srcdoc');
}

async function Main() {
    const fontReady = document.fonts.load(`16px ${kFontFamily}`);
    core = await createKristallbeugung();
    UseCore(core);
    crystalChoices = core.CrystalChoices();
    await fontReady;
    RememberTexts(document.body, kWrittenTexts);
    page = new Page();
    WireControls();
    lab = WireLab({ core, page, session: () => session, Download, SuggestedName });
    WireExtras({ canvas: page.canvas, core });
    WireFormatDialog();
    // The link, which may ask for another language, comes after.
    StartSession(StartLanguage(core.AvailableLanguages()));
    ShowLanguage();
    lab.FollowLink();
    OpenStateLink();
    window.addEventListener('hashchange', OpenStateLink);
    window.kb = { core, page, get session() { return session; }, ReplayDrawList, ready: true };
}

Main().catch((error) => {
    console.error(error);
    document.title = `Kristallbeugung: ${error.message}`;
});
