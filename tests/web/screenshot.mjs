// A screenshot of the page in headless chromium (or firefox with KB_ENGINE=firefox), with a lesson started and
// the crystal turned until a reflection is active; or with a class link
// ("#unbekannt=…") the lab, turned once all round, with the cursor on a peak
// and the lab's group in view.
//   node screenshot.mjs <kristallbeugung.html> <out.png> [width height ratio lesson|#link [touch]]
import { LaunchBrowser, OpenPage } from './browser.mjs';

const [pagePath, out, width = '792', height = '568', ratio = '1', lesson = '13', touch = ''] = process.argv.slice(2);
if (!pagePath || !out) {
    console.error('usage: node screenshot.mjs <kristallbeugung.html> <out.png> [width height ratio lesson|#link [touch]]');
    process.exit(2);
}
const link = lesson.startsWith('#');
const chromium = await LaunchBrowser();
try {
    const { tab, errors } = await OpenPage(chromium.browser, pagePath, {
        width: Number(width), height: Number(height), ratio: Number(ratio), touch: touch === 'touch',
        hash: link ? lesson : '',
    });
    await tab.evaluate((number, lab) => {
        const { session } = window.kb;
        if (lab) {
            for (let i = 0; i < 3000 && !session.MeasurementComplete(); ++i) {
                session.Timer1Timer();
            }
            session.Button10Click();
            document.getElementById('GroupBox8').scrollIntoView({ block: 'nearest' });
            return;
        }
        document.getElementById('Edit2').value = number;
        session.Button9Click();
        for (let i = 0; i < 4; ++i) {
            session.Button6Click();
        }
    }, lesson, link);
    await tab.screenshot({ path: out });
    if (errors.length > 0) {
        console.error(errors.join('\n'));
        process.exitCode = 1;
    }
} finally {
    await chromium.close();
}
