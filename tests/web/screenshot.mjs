// A screenshot of the page in headless chromium, with a lesson started and
// the crystal turned until a reflection is active.
//   node screenshot.mjs <kristallbeugung.html> <out.png> [width height ratio lesson]
import { LaunchChromium, OpenPage } from './browser.mjs';

const [pagePath, out, width = '792', height = '568', ratio = '1', lesson = '13'] = process.argv.slice(2);
if (!pagePath || !out) {
    console.error('usage: node screenshot.mjs <kristallbeugung.html> <out.png> [width height ratio lesson]');
    process.exit(2);
}
const chromium = await LaunchChromium();
try {
    const { tab, errors } = await OpenPage(chromium.browser, pagePath,
        { width: Number(width), height: Number(height), ratio: Number(ratio) });
    await tab.evaluate((number) => {
        const { session } = window.kb;
        document.getElementById('Edit2').value = number;
        session.Button9Click();
        for (let i = 0; i < 4; ++i) {
            session.Button6Click();
        }
    }, lesson);
    await tab.screenshot({ path: out });
    if (errors.length > 0) {
        console.error(errors.join('\n'));
        process.exitCode = 1;
    }
} finally {
    await chromium.close();
}
