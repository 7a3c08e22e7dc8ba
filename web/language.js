// The page's own texts in the language chosen, from the core's catalogue.
// German is the source: a text's key is its German wording, and German needs
// no lookup. A page text is looked up in "page", then in the desktop's "app",
// then in "core": a text the desktop shows with the same German has its one
// translation there, and only the page's own texts are "page" entries.

let core = null;

// The module's catalogue: the core, once it has loaded.
export function UseCore(loaded) {
    core = loaded;
}

const kContexts = ['page', 'app', 'core'];

export function Tr(german) {
    if (core === null || german === '' || core.CurrentLanguage() === 'de') {
        return german;
    }
    for (const context of kContexts) {
        const text = core.Tr(context, german);
        if (text !== german) {
            return text;
        }
    }
    return german;
}

// Tr, then %1 to %9 replaced in one pass, so that a translation may reorder
// them and an argument's own "%2" stays.
export function TrArgs(german, ...args) {
    return Tr(german).replace(/%([1-9])/g, (all, n) => (Number(n) <= args.length ? String(args[n - 1]) : all));
}

// The static texts of the page: each text node and named attribute with its
// German, taken once before anything changes them, and set again from it on
// every change of language, so that German comes back byte for byte.
const kAttributes = ['aria-label', 'title', 'placeholder'];
const remembered = [];

// `dynamic`: ids whose content the core or the page's code write; their
// attributes are still the page's.
export function RememberTexts(root, dynamic) {
    const walker = document.createTreeWalker(root, NodeFilter.SHOW_ELEMENT | NodeFilter.SHOW_TEXT, {
        acceptNode(node) {
            if (node.nodeType === Node.ELEMENT_NODE) {
                return ['SCRIPT', 'STYLE', 'TEMPLATE'].includes(node.tagName) ? NodeFilter.FILTER_REJECT
                    : NodeFilter.FILTER_ACCEPT;
            }
            return node.nodeValue.trim() === '' || dynamic.includes(node.parentElement.id) ? NodeFilter.FILTER_SKIP
                : NodeFilter.FILTER_ACCEPT;
        },
    });
    for (let node = walker.currentNode; node !== null; node = walker.nextNode()) {
        if (node.nodeType === Node.TEXT_NODE) {
            // "Gitterkonstante a: " before its field: the spaces stay around the words.
            const [, before, german, after] = node.nodeValue.match(/^(\s*)(.*?)(\s*)$/s);
            remembered.push({ set: (text) => { node.nodeValue = before + text + after; }, german });
            continue;
        }
        for (const name of kAttributes) {
            const german = node.getAttribute(name);
            if (german !== null) {
                remembered.push({ set: (text) => node.setAttribute(name, text), german });
            }
        }
    }
}

export function ApplyTexts() {
    for (const { set, german } of remembered) {
        set(Tr(german));
    }
}

// The language to start in: the one remembered, else the first of the
// browser's the program has ("en-GB" is "en"), else German.
const kStoreKey = 'kristallbeugung.language';

export function StartLanguage(available) {
    let stored = null;
    try {
        stored = localStorage.getItem(kStoreKey);
    } catch {
        // file:// or a private window may refuse the storage: the browser's choice counts.
    }
    if (available.includes(stored)) {
        return stored;
    }
    const wanted = navigator.languages?.length ? navigator.languages : [navigator.language];
    for (const tag of wanted) {
        const primary = String(tag).split(/[-_]/)[0].toLowerCase();
        if (available.includes(primary)) {
            return primary;
        }
    }
    return available[0];
}

export function RememberLanguage(code) {
    try {
        localStorage.setItem(kStoreKey, code);
    } catch {
        // Not remembered where the storage is refused; the choice holds for this page.
    }
}
