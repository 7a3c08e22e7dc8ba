// Debian's chromium, headless and cut off from every network service, with a
// fresh profile, driving the single page from file://.
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import puppeteer from 'puppeteer-core';

export const kChromium = process.env.KB_CHROMIUM || '/usr/bin/chromium';

export async function LaunchChromium() {
    const profile = mkdtempSync(join(tmpdir(), 'kb-chromium-'));
    const browser = await puppeteer.launch({
        executablePath: kChromium,
        headless: true,
        userDataDir: profile,
        args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
            '--disable-component-update', '--disable-sync', '--disable-extensions', '--mute-audio'],
    });
    return {
        browser,
        async close() {
            await browser.close();
            rmSync(profile, { recursive: true, force: true });
        },
    };
}

// A tab on the page at `width`×`height` CSS pixels and `ratio`, in `locale`,
// with a touch screen for `touch`, opened with `hash` (e.g. a class link);
// console errors, uncaught exceptions and requests beyond the file are
// collected in `errors`.
export async function OpenPage(browser, pagePath,
    { width, height, ratio = 1, locale = 'de-DE', touch = false, hash = '' }) {
    const tab = await browser.newPage();
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
    const cdp = await tab.createCDPSession();
    await cdp.send('Emulation.setLocaleOverride', { locale });
    await tab.setExtraHTTPHeaders({ 'Accept-Language': locale });
    await tab.evaluateOnNewDocument((language) => {
        Object.defineProperty(navigator, 'language', { get: () => language });
    }, locale);
    await tab.setViewport({ width, height, deviceScaleFactor: ratio, hasTouch: touch, isLandscape: width > height });
    await tab.goto(pathToFileURL(pagePath).href + hash, { waitUntil: 'load' });
    await tab.waitForFunction(() => window.kb && window.kb.ready, { timeout: 20000 });
    return { tab, errors };
}
