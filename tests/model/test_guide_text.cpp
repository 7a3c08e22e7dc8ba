// The guide in another language: what counts as a unit, the fallbacks that
// keep the page whole, and docs/guide.html against the English catalogue.

#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include "model/catalogue.h"
#include "model/guide_text.h"

namespace {

std::string Read(const char* relative)
{
    QFile file(QStringLiteral(KB_SOURCE_DIR "/") + QString::fromLatin1(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

// en.po's guide entries, in their order.
std::vector<kb::PoEntry> EnglishGuide()
{
    std::vector<kb::PoEntry> guide = kb::ParsePo(Read("po/en.po"));
    std::erase_if(guide, [](const kb::PoEntry& e) { return e.context != "guide"; });
    return guide;
}

std::string PoText(const std::vector<kb::PoEntry>& entries)
{
    const auto quoted = [](std::string text) {
        for (std::size_t at = text.find('"'); at != std::string::npos; at = text.find('"', at + 2)) {
            text.insert(at, 1, '\\');
        }
        return '"' + text + '"';
    };
    std::string po;
    for (const kb::PoEntry& e : entries) {
        po += "msgctxt \"guide\"\nmsgid " + quoted(e.id) + "\nmsgstr " + quoted(e.translation) + "\n\n";
    }
    return po;
}

QStringList TagsOf(const std::string& html)
{
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    QStringList tags;
    for (const QRegularExpressionMatch& m : tag.globalMatch(QString::fromStdString(html))) {
        tags << m.captured();
    }
    return tags;
}

}  // namespace

class GuideTextTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { kb::SetLanguage("de"); }
    void translatesUnits_data();
    void translatesUnits();
    void everyUnitInTheEnglishCatalogue();
    void germanAsItIsEnglishWithItsMarkup();
    void missingUnitStaysGerman();
};

void GuideTextTest::translatesUnits_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("expected");
    QTest::newRow("whitespace collapsed, lines around kept") << "<p>\n  Eins\n   zwei\n</p>"
                                                             << "<p>\n  One two\n</p>";
    QTest::newRow("inline markup and entities") << "<p>Mit <b>fett</b>\nund &amp;</p>"
                                                << "<p>With <b>bold</b> and &amp;</p>";
    QTest::newRow("li before its nested list") << "<ul><li>Liste:\n<ul><li>Punkt</li></ul></li></ul>"
                                               << "<ul><li>List:\n<ul><li>Item</li></ul></li></ul>";
    QTest::newRow("unit without translation") << "<h2>Fehlt</h2><p>Eins zwei</p>"
                                              << "<h2>Fehlt</h2><p>One two</p>";
    QTest::newRow("translation with other tags") << "<p>Kaputt <b>x</b></p><p>Punkt</p>"
                                                 << "<p>Kaputt <b>x</b></p><p>Item</p>";
    QTest::newRow("unknown tag in a unit") << "<p>Eins <img src=\"x\"> zwei</p><p>Punkt</p>"
                                           << "<p>Eins <img src=\"x\"> zwei</p><p>Item</p>";
    QTest::newRow("block left open") << "<p>Punkt</p><p>Eins zwei"
                                     << "<p>Item</p><p>Eins zwei";
    QTest::newRow("comment") << "<!-- <p>Punkt</p> --><p>Punkt</p>"
                             << "<!-- <p>Punkt</p> --><p>Item</p>";
    QTest::newRow("language of the page") << "<html lang=\"de\"><title>Titel</title></html>"
                                          << "<html lang=\"zz\"><title>Title</title></html>";
    QTest::newRow("nothing translated: still German") << "<html lang=\"de\"><p>Fehlt</p></html>"
                                                      << "<html lang=\"de\"><p>Fehlt</p></html>";
}

void GuideTextTest::translatesUnits()
{
    QFETCH(QString, html);
    QFETCH(QString, expected);
    QVERIFY(
        kb::AddCatalogue("zz", PoText({{"guide", "Eins zwei", "One two"},
                                       {"guide", "Mit <b>fett</b> und &amp;", "With <b>bold</b> and &amp;"},
                                       {"guide", "Liste:", "List:"},
                                       {"guide", "Punkt", "Item"},
                                       {"guide", "Kaputt <b>x</b>", "Broken x"},
                                       {"guide", "Titel", "Title"}})));
    QVERIFY(kb::SetLanguage("zz"));
    QCOMPARE(QString::fromStdString(kb::TranslateGuide(html.toStdString())), expected);
}

void GuideTextTest::everyUnitInTheEnglishCatalogue()
{
    // The guide's entries in its order: none missing, none stale (that each
    // has its translation, model_catalogue checks).
    QStringList ids;
    for (const kb::PoEntry& e : EnglishGuide()) {
        ids << QString::fromStdString(e.id);
    }
    QStringList units;
    for (const std::string& unit : kb::GuideUnits(Read("docs/guide.html"))) {
        units << QString::fromStdString(unit);
    }
    QVERIFY(units.size() > 80);
    QCOMPARE(ids, units);
}

void GuideTextTest::germanAsItIsEnglishWithItsMarkup()
{
    const std::string german = Read("docs/guide.html");
    QVERIFY(kb::TranslateGuide(german) == german);
    QVERIFY(kb::SetLanguage("en"));
    const std::string english = kb::TranslateGuide(german);
    QStringList germanTags = TagsOf(german);
    germanTags.replaceInStrings(QStringLiteral("<html lang=\"de\">"), QStringLiteral("<html lang=\"en\">"));
    QCOMPARE(TagsOf(english), germanTags);
    // A translation whose markup differs from the German's falls back, so a
    // German unit left here is one the reader would see.
    const std::vector<std::string> englishUnits = kb::GuideUnits(english);
    for (const std::string& unit : kb::GuideUnits(german)) {
        QVERIFY2(kb::Tr("guide", unit) == unit || std::ranges::find(englishUnits, unit) == englishUnits.end(),
                 unit.c_str());
    }
}

void GuideTextTest::missingUnitStaysGerman()
{
    const std::string german = Read("docs/guide.html");
    const std::vector<std::string> germanUnits = kb::GuideUnits(german);
    QVERIFY(kb::SetLanguage("en"));
    const std::vector<std::string> full = kb::GuideUnits(kb::TranslateGuide(german));
    const std::vector<kb::PoEntry> entries = EnglishGuide();
    // A list item; the title, which is the first heading too; the last.
    for (const std::size_t missing : {std::size_t(12), std::size_t(0), entries.size() - 1}) {
        std::vector<kb::PoEntry> lacking = entries;
        lacking.erase(lacking.begin() + std::ptrdiff_t(missing));
        QVERIFY(kb::AddCatalogue("yy", PoText(lacking)) && kb::SetLanguage("yy"));
        std::vector<std::string> expected = full;
        expected[missing] = germanUnits[missing];
        QCOMPARE(kb::GuideUnits(kb::TranslateGuide(german)), expected);
    }
}

QTEST_GUILESS_MAIN(GuideTextTest)
#include "test_guide_text.moc"
