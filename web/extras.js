// The page's extras beside the panel: the guide, the rotation keys, the
// picture copied to the clipboard. The start-up module hands in the canvas
// and what it needs; nothing here imports back from it.

import { Tr } from './language.js';

const $ = (id) => document.getElementById(id);

// The rotation keys: Alt+Shift and a key, which no engine keeps for itself
// (Ctrl+N, Ctrl+R and Ctrl+W stay the browser's). Each presses its button,
// so that a key does nothing its button could not do at that moment.
export const kRotationKeys = [
    { code: 'KeyS', shortcut: 'Alt+Shift+S', button: 'Button3' },          // Start/Stop
    { code: 'KeyR', shortcut: 'Alt+Shift+R', button: 'Button6' },          // nächsterReflex
    { code: 'KeyG', shortcut: 'Alt+Shift+G', button: 'Button5' },          // Grundposition
    { code: 'ArrowUp', shortcut: 'Alt+Shift+ArrowUp', button: 'Button2' },  // schneller
    { code: 'ArrowDown', shortcut: 'Alt+Shift+ArrowDown', button: 'Button8' },  // langsamer
    { code: 'KeyV', shortcut: 'Alt+Shift+V', button: 'FullScreenButton' },  // Vollbild
];

const kNoticeMs = 3000;

// A short notice over the picture, as the desktop shows one.
export function ShowNotice(text) {
    const notice = $('Notice');
    notice.textContent = text;
    notice.hidden = false;
    clearTimeout(ShowNotice.timer);
    ShowNotice.timer = setTimeout(() => { notice.hidden = true; }, kNoticeMs);
}

function Usable(button) {
    return button && button.offsetParent !== null && !button.disabled;
}

// The guide in the language in use: translated by the core each time it
// opens (a few milliseconds), so that it follows a switch of language.
function OpenGuide(core) {
    const dialog = $('GuideDialog');
    if (dialog.open) {
        return;
    }
    if (!OpenGuide.german) {
        const bytes = Uint8Array.from(atob($('GuideSource').dataset.source), (c) => c.charCodeAt(0));
        OpenGuide.german = new TextDecoder().decode(bytes);
    }
    $('GuideFrame').srcdoc = core.TranslateGuide(OpenGuide.german);
    dialog.showModal();
    $('GuideClose').focus();
}

async function CopyPicture(canvas) {
    const blob = await new Promise((resolve) => canvas.toBlob(resolve, 'image/png'));
    if (!blob || !navigator.clipboard || typeof ClipboardItem === 'undefined') {
        ShowNotice(Tr('Dieser Browser kann kein Bild in die Zwischenablage legen'));
        return;
    }
    try {
        await navigator.clipboard.write([new ClipboardItem({ 'image/png': blob })]);
        ShowNotice(Tr('Bild in die Zwischenablage kopiert'));
    } catch {
        ShowNotice(Tr('Dieser Browser kann kein Bild in die Zwischenablage legen'));
    }
}

export function WireExtras({ canvas, core }) {
    for (const { shortcut, button } of kRotationKeys) {
        $(button).setAttribute('aria-keyshortcuts', shortcut);
    }
    $('GuideButton').setAttribute('aria-keyshortcuts', 'F1');
    $('GuideButton').addEventListener('click', () => OpenGuide(core));
    $('GuideClose').addEventListener('click', () => $('GuideDialog').close());
    $('CopyPictureButton').addEventListener('click', () => CopyPicture(canvas));
    document.addEventListener('keydown', (event) => {
        if (event.key === 'F1') {
            event.preventDefault();
            OpenGuide(core);
            return;
        }
        if (!event.altKey || !event.shiftKey || event.ctrlKey || event.metaKey || document.querySelector('dialog[open]')) {
            return;
        }
        const key = kRotationKeys.find((k) => k.code === event.code);
        if (key && Usable($(key.button))) {
            event.preventDefault();
            $(key.button).click();
        }
    });
}
