// Debian's chromium, headless and cut off from every network service, with a
// fresh profile, driving the single page from file://.
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import puppeteer from 'puppeteer-core';

// The engine under test: "chromium" (Debian's chromium over CDP) or
// "firefox" (Debian's firefox-esr over WebDriver BiDi).
export const kEngine = process.env.KB_ENGINE || 'chromium';
export const kChromium = process.env.KB_CHROMIUM || '/usr/bin/chromium';
export const kFirefox = process.env.KB_FIREFOX || '/usr/bin/firefox-esr';
export const kBrowserPath = kEngine === 'firefox' ? kFirefox : kChromium;
export const LaunchChromium = () => LaunchBrowser('chromium');

function LaunchFirefox(profile, prefs = {}) {
    return puppeteer.launch({
        browser: 'firefox', protocol: 'webDriverBiDi', executablePath: kFirefox, headless: true, userDataDir: profile,
        extraPrefsFirefox: { 'browser.shell.checkDefaultBrowser': false, ...prefs },
    });
}

export async function LaunchBrowser(engine = kEngine) {
    const profiles = [mkdtempSync(join(tmpdir(), `kb-${engine}-`))];
    const browser = engine === 'firefox'
        ? await LaunchFirefox(profiles[0])
        : await puppeteer.launch({
            executablePath: kChromium,
            headless: true,
            userDataDir: profiles[0],
            args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
                '--disable-component-update', '--disable-sync', '--disable-extensions', '--mute-audio'],
        });
    // Firefox emulates no touch screen over BiDi; a second instance whose
    // only pointer is coarse (a finger) serves the tablet's tabs.
    let touchTwin = null;
    if (engine === 'firefox') {
        browser.kbTouchBrowser = async () => {
            if (!touchTwin) {
                profiles.push(mkdtempSync(join(tmpdir(), `kb-${engine}-touch-`)));
                touchTwin = await LaunchFirefox(profiles.at(-1),
                    { 'ui.primaryPointerCapabilities': 1, 'ui.allPointerCapabilities': 1, 'dom.w3c_touch_events.enabled': 1 });
            }
            return touchTwin;
        };
    }
    return {
        browser,
        async close() {
            await browser.close();
            await touchTwin?.close();
            for (const profile of profiles) {
                rmSync(profile, { recursive: true, force: true });
            }
        },
    };
}

// A tab on the page at `width`×`height` CSS pixels and `ratio`, in `locale`
// (the browser's languages `languages`, by default `locale` alone), with a
// touch screen for `touch`, opened with `hash` (e.g. a class link);
// console errors, uncaught exceptions and requests beyond the file are
// collected in `errors`.
export async function OpenPage(browser, pagePath,
    { width, height, ratio = 1, locale = 'de-DE', languages = [locale], touch = false, hash = '' }) {
    const tab = await (touch && browser.kbTouchBrowser ? await browser.kbTouchBrowser() : browser).newPage();
    const errors = [];
    tab.on('console', (message) => {
        if (message.type() === 'error') {
            errors.push(message.text());
        }
    });
    tab.on('pageerror', (error) => errors.push(String(error)));
    // The page needs nothing beside itself: no request leaves it.
    tab.on('request', (request) => {
        if (!/^(file|data|blob):/.test(request.url())) {
            errors.push(`request for ${request.url()}`);
        }
    });
    if (browser.protocol === 'cdp') {
        const cdp = await tab.createCDPSession();
        await cdp.send('Emulation.setLocaleOverride', { locale });
        await tab.setExtraHTTPHeaders({ 'Accept-Language': locale });
    }
    await tab.evaluateOnNewDocument((language, list) => {
        Object.defineProperty(navigator, 'language', { get: () => language });
        Object.defineProperty(navigator, 'languages', { get: () => list });
    }, locale, languages);
    await tab.setViewport({ width, height, deviceScaleFactor: ratio, hasTouch: touch, isLandscape: width > height });
    await tab.goto(pathToFileURL(pagePath).href + hash, { waitUntil: 'load' });
    await tab.waitForFunction(() => window.kb && window.kb.ready, { timeout: 20000 });
    return { tab, errors };
}
