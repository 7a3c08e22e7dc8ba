// The WebAssembly core against the native one: the same states give the
// same draw lists, command for command, and the same labs the same crystal,
// peaks, cursor and verdicts.
//   KB_WEB_CORE=<kristallbeugung_core.js> KB_NATIVE_ANSWERS=<tool> node --test draw_lists.test.mjs
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { test } from 'node:test';

const statesFile = new URL('./draw_list_states.json', import.meta.url).pathname;
const { states } = JSON.parse(readFileSync(statesFile, 'utf8'));
const createCore = createRequire(import.meta.url)(process.env.KB_WEB_CORE);
const native = JSON.parse(execFileSync(process.env.KB_NATIVE_ANSWERS, [statesFile], { maxBuffer: 1 << 28 }));
const nativeLabs = JSON.parse(execFileSync(process.env.KB_NATIVE_ANSWERS, ['--labs', statesFile]));
const core = await createCore();

// The panel as plain state, like the native tool's.
class StatePanel {
    constructor() {
        this.width = 615;
        this.height = 568;
        this.checked = new Map([['CheckBox5', true], ['CheckBox7', true]]);
        this.radio = 0;
        this.edit2 = '1';
        this.typed = new Map();
        this.caption = '';
        this.readouts = new Map();
        this.encoded = [];
    }
    ViewWidth() { return this.width; }
    ViewHeight() { return this.height; }
    DecimalSeparator() { return ','; }
    ShowControl() {}
    IsChecked(name) { return this.checked.get(name) === true; }
    SetChecked(name, on) { this.checked.set(name, on); }
    RadioItem() { return this.radio; }
    SelectRadioItem(item) { this.radio = item; }
    ControlText(name) { return this.typed.get(name) ?? this.edit2; }
    SetControlCaption() {}
    SetWindowCaption(caption) { this.caption = caption; }
    PanelChanged() {}
    StartTimer() {}
    StopTimer() {}
    SetTimerInterval() {}
    ShowMessage() {}
    FitReadoutFont() {}
    PlaceReadout() {}
    SetReadoutText(name, text) { this.readouts.set(name, text); }
    ShowPicture(list) { this.encoded = Array.from(list); }
}

// As the native tool: a full turn in at most this many ticks.
const kMaxTurnTicks = 3000;

// A cell value as typed, with the panel's separator.
const Typed = (value) => value.toFixed(1).replace('.', ',');

function Run(session, panel, step) {
    const [verb, ...args] = step.split(' ');
    const repeat = (n, f) => { for (let i = 0; i < n; ++i) f(); };
    switch (verb) {
        case 'experiment': panel.edit2 = args[0]; session.Button9Click(); break;
        case 'ticks': repeat(Number(args[0]), () => session.Timer1Timer()); break;
        case 'next': repeat(Number(args[0]), () => session.Button6Click()); break;
        case 'crystal': session.ApplyCrystal(...args.map(Number)); break;
        case 'check': panel.SetChecked(args[0], args[1] === 'on'); session.DisplayControlClick(); break;
        case 'size': panel.width = Number(args[0]); panel.height = Number(args[1]); session.FormResize(); break;
        case 'lab': {
            const level = args[2] === 'schiefwinklig' ? core.LabLevel.Oblique : core.LabLevel.Rectangular;
            session.StartLab({ code: args[0], seat: Number(args[1]), level });
            break;
        }
        case 'turn':
            for (let i = 0; i < kMaxTurnTicks && !session.MeasurementComplete(); ++i) {
                session.Timer1Timer();
            }
            break;
        case 'scale': session.SetMeasureScale(args[0] === 'on'); break;
        case 'pointer': session.PointerAt(Number(args[0]), Number(args[1])); break;
        case 'cursor': session.MoveCursor(Number(args[0])); break;
        case 'peak': session.Button10Click(); break;
        case 'guess': {
            const c = session.Crystal();
            const cell = args[0] === 'true' ? [c.LatticeA, c.LatticeB, c.GammaDeg].map(Typed) : args;
            ['Edit5', 'Edit6', 'Edit7'].forEach((name, k) => panel.typed.set(name, cell[k]));
            session.Button11Click();
            break;
        }
        default: throw new Error(`unknown step "${step}"`);
    }
}

// Where two encodings part, as a short description.
function FirstDifference(a, b) {
    const at = a.findIndex((v, i) => v !== b[i]);
    const where = at < 0 ? Math.min(a.length, b.length) : at;
    return `lengths ${a.length} and ${b.length}, first difference at ${where}: ` +
        `wasm ${JSON.stringify(a.slice(where, where + 8))}, native ${JSON.stringify(b.slice(where, where + 8))}`;
}

test('the WebAssembly core draws every state as the native one', async (t) => {
    for (const state of states) {
        await t.test(state.name, () => {
            const panel = new StatePanel();
            const session = new core.Session(panel);
            try {
                session.FormActivate();
                state.steps.forEach((step) => Run(session, panel, step));
            } finally {
                session.delete();
            }
            const expected = native[state.name];
            assert.ok(expected && expected.length > 0, `the native tool gave no list for ${state.name}`);
            const same = panel.encoded.length === expected.length && panel.encoded.every((v, i) => v === expected[i]);
            assert.ok(same, FirstDifference(panel.encoded, expected));
        });
    }
});

// Peaks come from the two C libraries' trigonometry, which may part in the
// last bit; everything else must be equal.
const kPeakSlackDeg = 1e-9;

test('the WebAssembly core gives every lab as the native one', async (t) => {
    const { labs } = JSON.parse(readFileSync(statesFile, 'utf8'));
    for (const lab of labs) {
        await t.test(lab.name, () => {
            const panel = new StatePanel();
            const session = new core.Session(panel);
            let seen;
            try {
                session.FormActivate();
                lab.steps.forEach((step) => Run(session, panel, step));
                const c = session.Crystal();
                seen = {
                    caption: panel.caption,
                    crystal: [c.LatticeA, c.LatticeB, c.GammaDeg, c.Lambda],
                    peaks: session.MeasuredPeaks(),
                    complete: session.MeasurementComplete(),
                    verdict: session.Verdict(),
                    guesses: session.GuessCount(),
                    cursor: session.CursorDeg(),
                    reading: session.CursorReading(),
                    readouts: ['Edit3', 'Edit4', 'ListBox1'].map((name) => panel.readouts.get(name) ?? ''),
                };
            } finally {
                session.delete();
            }
            const expected = nativeLabs[lab.name];
            assert.ok(expected, `the native tool gave no answer for ${lab.name}`);
            assert.equal(seen.peaks.length, expected.peaks.length, 'as many peaks');
            seen.peaks.forEach((deg, k) => assert.ok(Math.abs(deg - expected.peaks[k]) <= kPeakSlackDeg,
                `peak ${k}: ${deg} and ${expected.peaks[k]}`));
            assert.deepEqual({ ...seen, peaks: null }, { ...expected, peaks: null });
        });
    }
});
