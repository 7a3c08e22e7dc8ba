// The page in WebKitGTK, Safari's engine, through Debian's WebKitWebDriver
// (W3C WebDriver, spoken here with plain fetch calls): it loads from file://
// without an error, and lessons 0 and 12 give the native core's captions and
// a drawn picture. WebKitGTK needs a display: under CTest this runs in
// xvfb-run when no DISPLAY is set.
// KB_WEBKIT_SIZE=<w>x<h> sets the window, KB_WEBKIT_TOUCH=1 the touch layout,
// KB_WEBKIT_SHOT=<file.png> takes a screenshot.
// With KB_WEBKIT_FULL=1 (./kb.sh web-webkit), by hand: every lesson's panel
// against the native core's and the panel's look, as page.test.mjs checks
// them in Chromium and Firefox.
//   KB_WEB_PAGE=<page.html> KB_NATIVE_ANSWERS=<tool> [KB_WEBKIT_DRIVER=<driver>] node webkit_smoke.mjs
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import { existsSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:net';
import { after, before, test } from 'node:test';
import { pathToFileURL } from 'node:url';

const kDriver = process.env.KB_WEBKIT_DRIVER || '/usr/bin/WebKitWebDriver';
const kBrowserDirs = ['/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1', '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.0',
    '/usr/lib/aarch64-linux-gnu/webkit2gtk-4.1'];
const kMiniBrowser = kBrowserDirs.map((d) => `${d}/MiniBrowser`).find((p) => existsSync(p));

if (!existsSync(kDriver) || !kMiniBrowser) {
    if (process.env.CI) {
        console.error('webkit: WebKitWebDriver or MiniBrowser is missing; CI must run the WebKit smoke test');
        process.exit(1);
    }
    console.log('SKIP: webkit2gtk-driver is missing, the page is not tested in WebKit');
    process.exit(77);
}

function FreePort() {
    return new Promise((resolve) => {
        const server = createServer();
        server.listen(0, '127.0.0.1', () => {
            const { port } = server.address();
            server.close(() => resolve(port));
        });
    });
}

// The W3C WebDriver protocol as far as this test needs it.
class WebDriver {
    static async Start() {
        const port = await FreePort();
        // German as the browser's language: the page follows it, and the
        // captions checked are the German ones.
        const process_ = spawn(kDriver, [`--port=${port}`],
            { stdio: 'ignore', env: { ...process.env, LANGUAGE: 'de', LANG: 'de_DE.UTF-8' } });
        const driver = new WebDriver(`http://127.0.0.1:${port}`, process_);
        for (let i = 0; ; ++i) {
            try {
                await fetch(`${driver.base}/status`);
                break;
            } catch (error) {
                if (i > 100) {
                    throw error;
                }
                await new Promise((r) => setTimeout(r, 100));
            }
        }
        const { sessionId } = await driver.Send('POST', '/session', {
            capabilities: { alwaysMatch: { 'webkitgtk:browserOptions': { binary: kMiniBrowser, args: ['--automation'] } } },
        });
        driver.session = `/session/${sessionId}`;
        return driver;
    }
    constructor(base, process_) {
        this.base = base;
        this.process = process_;
    }
    async Send(method, path, body) {
        const response = await fetch(this.base + path, {
            method,
            headers: { 'Content-Type': 'application/json' },
            body: body === undefined ? undefined : JSON.stringify(body),
        });
        const { value } = await response.json();
        if (!response.ok) {
            throw new Error(`webkit: ${method} ${path}: ${value.error}: ${value.message}`);
        }
        return value;
    }
    Command(method, path, body) { return this.Send(method, this.session + path, body); }
    Script(source, ...args) { return this.Command('POST', '/execute/sync', { script: source, args }); }
    async Element(selector) {
        const found = await this.Command('POST', '/element', { using: 'css selector', value: selector });
        return Object.values(found)[0];
    }
    async WaitFor(source, timeoutMs = 20000) {
        const end = Date.now() + timeoutMs;
        while (!(await this.Script(source))) {
            if (Date.now() > end) {
                throw new Error(`webkit: timed out waiting for ${source}`);
            }
            await new Promise((r) => setTimeout(r, 100));
        }
    }
    async Quit() {
        try {
            await this.Command('DELETE', '');
        } finally {
            this.process.kill();
        }
    }
}

// Every control whose visibility or checked state a lesson sets (as page.test.mjs).
const kPanelControls = ['GroupBox1', 'GroupBox2', 'GroupBox3', 'GroupBox4', 'GroupBox5', 'GroupBox6', 'GroupBox7',
    'Button1', 'Button2', 'Button3', 'Button5', 'Button6', 'Button7', 'Button8', 'Button9', 'primaer',
    'gebeugtCheck', 'CheckBox1', 'CheckBox2', 'CheckBox3', 'CheckBox4', 'CheckBox5', 'CheckBox6', 'CheckBox7',
    'CheckBox8', 'CheckBox9', 'CheckBox10', 'CheckBox11', 'CheckBox12', 'RadioGroup1', 'Edit2', 'UpDown1', 'Edit3',
    'Edit4', 'ListBox1'];

async function Run() {
    const lessons = JSON.parse(execFileSync(process.env.KB_NATIVE_ANSWERS, ['--lessons']));
    let driver;
    before(async () => { driver = await WebDriver.Start(); });
    after(async () => { await driver.Quit(); });

    test('webkit: the page loads from file:// without an error, lessons 0 and 12 give their captions and a picture',
        async () => {
            const [width, height] = (process.env.KB_WEBKIT_SIZE || '1024x768').split('x').map(Number);
            await driver.Command('POST', '/window/rect', { width, height });
            await driver.Command('POST', '/url', { url: pathToFileURL(process.env.KB_WEB_PAGE).href });
            await driver.WaitFor('return Boolean(window.kb && window.kb.ready) || document.title.startsWith("Kristallbeugung:")');
            if (process.env.KB_WEBKIT_TOUCH) {
                // WebKitGTK's WebDriver has no touch screen to emulate: the
                // page's touch layout is applied by making its rules for a
                // coarse pointer hold for any.
                await driver.Script(`
                    for (const sheet of document.styleSheets) {
                        for (const rule of sheet.cssRules) {
                            if (rule.media && rule.media.mediaText.includes('pointer: coarse')) {
                                rule.media.mediaText = rule.media.mediaText
                                    .replace('(pointer: coarse) and ', '').replace('(pointer: coarse)', 'all');
                            }
                        }
                    }`);
            }
            assert.equal(await driver.Script('return document.title'), 'Kein Experiment aktiv');
            for (const lesson of ['0', '12']) {
                const edit = await driver.Element('#Edit2');
                await driver.Command('POST', `/element/${edit}/clear`, {});
                await driver.Command('POST', `/element/${edit}/value`, { text: lesson });
                await driver.Command('POST', `/element/${await driver.Element('#Button9')}/click`, {});
                assert.equal(await driver.Script('return document.title'), lessons[lesson].caption, `lesson ${lesson}`);
                // A drawn picture: a good share of the canvas is not white.
                const inked = await driver.Script(`
                    const canvas = document.getElementById('drawing-area');
                    const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
                    let inked = 0;
                    for (let i = 0; i < data.length; i += 4) {
                        inked += data[i] + data[i + 1] + data[i + 2] < 600 ? 1 : 0;
                    }
                    return inked / (canvas.width * canvas.height);`);
                assert.ok(inked > 0.001, `lesson ${lesson}: ${(inked * 100).toFixed(2)} % of the picture drawn`);
            }
            // No error message of the page's own (a failed start shows in the title).
            assert.equal(await driver.Script('return document.getElementById("MessageDialog").open'), false);
        });

    // With KB_WEBKIT_SHOT=<file.png>: the window as it stands, lesson 12 shown.
    if (process.env.KB_WEBKIT_SHOT) {
        test('webkit: screenshot', async () => {
            const png = await driver.Command('GET', '/screenshot');
            writeFileSync(process.env.KB_WEBKIT_SHOT, Buffer.from(png, 'base64'));
        });
    }
    if (!process.env.KB_WEBKIT_FULL) {
        return;
    }
    const sort = (o) => ({ ...o, hidden: [...o.hidden].sort(), checked: [...o.checked].sort() });
    test('webkit: every lesson\'s caption and panel as the native core gives them', async (t) => {
        for (const [input, expected] of Object.entries(lessons)) {
            await t.test(`Edit2 "${input}"`, async () => {
                await driver.Command('POST', `/element/${await driver.Element('#Button1')}/click`, {});
                const edit = await driver.Element('#Edit2');
                await driver.Command('POST', `/element/${edit}/clear`, {});
                if (input !== '') {
                    await driver.Command('POST', `/element/${edit}/value`, { text: input });
                }
                await driver.Command('POST', `/element/${await driver.Element('#Button9')}/click`, {});
                const state = await driver.Script(`
                    const names = arguments[0];
                    const $ = (id) => document.getElementById(id);
                    const shown = (n) => { const e = $(n); return e.type === 'checkbox' ? e.parentElement : e; };
                    const state = {
                        caption: document.title,
                        hidden: names.filter((n) => shown(n).hidden),
                        checked: names.filter((n) => $(n).type === 'checkbox' && $(n).checked),
                        radio: Number(document.querySelector('input[name=RadioGroup1]:checked').value),
                        message: $('MessageDialog').open ? $('MessageText').textContent : '',
                    };
                    if ($('MessageDialog').open) { $('MessageDialog').close(); }
                    return state;`, kPanelControls);
                assert.deepEqual(sort(state), sort(expected));
            });
        }
    });
    test('webkit: no caption clipped, no frame line through a caption, explicit colours', async () => {
        const faults = await driver.Script(`
            const found = [];
            for (const e of document.querySelectorAll('#Panel1 button, #Panel1 label, #Panel1 legend')) {
                if (e.getClientRects().length === 0) { continue; }
                const text = e.textContent.trim();
                if (e.scrollWidth > e.clientWidth + 0.5) { found.push('clipped: ' + text); }
                const style = getComputedStyle(e);
                if (e.tagName === 'LEGEND' && style.backgroundColor === 'rgba(0, 0, 0, 0)') { found.push('frame: ' + text); }
                if (e.tagName === 'BUTTON' && !e.disabled && style.color !== 'rgb(0, 0, 0)') { found.push('grey: ' + text); }
            }
            return found;`);
        assert.deepEqual(faults, []);
    });
}

if (!process.env.DISPLAY && !process.env.KB_IN_XVFB) {
    // Once more inside a virtual display of its own.
    const child = spawn('xvfb-run', ['-a', '-s', '-screen 0 1280x1024x24', process.execPath, ...process.argv.slice(1)],
        { stdio: 'inherit', env: { ...process.env, KB_IN_XVFB: '1' } });
    child.on('exit', (code) => process.exit(code ?? 1));
} else {
    await Run();
}
