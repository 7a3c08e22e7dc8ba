// The WebAssembly core against the native one: the same states give the
// same draw lists, command for command.
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
const core = await createCore();

// The panel as plain state, like the native tool's.
class StatePanel {
    constructor() {
        this.width = 615;
        this.height = 568;
        this.checked = new Map([['CheckBox5', true], ['CheckBox7', true]]);
        this.radio = 0;
        this.edit2 = '1';
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
    ControlText() { return this.edit2; }
    SetControlCaption() {}
    SetWindowCaption() {}
    PanelChanged() {}
    StartTimer() {}
    StopTimer() {}
    SetTimerInterval() {}
    ShowMessage() {}
    FitReadoutFont() {}
    PlaceReadout() {}
    SetReadoutText() {}
    ShowPicture(list) { this.encoded = Array.from(list); }
}

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
