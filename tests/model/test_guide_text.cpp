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

std::string PoText(const std::vector<kb::PoEntry>& entries)
{
    std::string po;
    for (const kb::PoEntry& e : entries) {
        const auto quoted = [](std::string text) {
            for (std::size_t at = text.find('"'); at != std::string::npos; at = text.find('"', at + 2)) {
                text.insert(at, 1, '\\');
            }
            return '"' + text + '"';
        };
        po += "msgctxt " + quoted(e.context) + "\nmsgid " + quoted(e.id) + "\nmsgstr " +
              quoted(e.translation) + "\n\n";
    }
    return po;
}

std::vector<kb::PoEntry> GuideEntries(const std::vector<kb::PoEntry>& entries)
{
    std::vector<kb::PoEntry> guide;
    std::copy_if(entries.begin(), entries.end(), std::back_inserter(guide),
                 [](const kb::PoEntry& e) { return e.context == "guide"; });
    return guide;
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
    void germanIsTheGuideItself();
    void everyUnitInTheEnglishCatalogue();
    void englishGuideKeepsItsMarkup();
    void missingUnitStaysGerman_data();
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

void GuideTextTest::germanIsTheGuideItself()
{
    const std::string guide = Read("docs/guide.html");
    QVERIFY(guide.size() > 10000);
    QVERIFY(kb::TranslateGuide(guide) == guide);
}

void GuideTextTest::everyUnitInTheEnglishCatalogue()
{
    // The guide's entries, in its order: none missing, none stale.
    const std::vector<kb::PoEntry> english = GuideEntries(kb::ParsePo(Read("po/en.po")));
    std::vector<std::string> ids;
    for (const kb::PoEntry& e : english) {
        ids.push_back(e.id);
        QVERIFY2(!e.translation.empty(), e.id.c_str());
    }
    const std::vector<std::string> units = kb::GuideUnits(Read("docs/guide.html"));
    QVERIFY(units.size() > 80);
    for (std::size_t i = 0; i < std::max(units.size(), ids.size()); ++i) {
        const std::string unit = i < units.size() ? units[i] : "(none)";
        const std::string id = i < ids.size() ? ids[i] : "(none)";
        QVERIFY2(unit == id, qPrintable(QStringLiteral("guide: %1\nen.po: %2")
                                            .arg(QString::fromStdString(unit), QString::fromStdString(id))));
    }
}

void GuideTextTest::englishGuideKeepsItsMarkup()
{
    const std::string german = Read("docs/guide.html");
    QVERIFY(kb::SetLanguage("en"));
    const std::string english = kb::TranslateGuide(german);
    QStringList germanTags = TagsOf(german);
    germanTags.replaceInStrings(QStringLiteral("<html lang=\"de\">"), QStringLiteral("<html lang=\"en\">"));
    QCOMPARE(TagsOf(english), germanTags);
    // A translation whose markup differs from the German falls back, so any
    // German unit left here is one the reader would see.
    const std::vector<std::string> englishUnits = kb::GuideUnits(english);
    for (const std::string& unit : kb::GuideUnits(german)) {
        if (kb::Tr("guide", unit) != unit) {
            QVERIFY2(std::find(englishUnits.begin(), englishUnits.end(), unit) == englishUnits.end(),
                     unit.c_str());
        }
    }
}

void GuideTextTest::missingUnitStaysGerman_data()
{
    QTest::addColumn<int>("missing");
    QTest::newRow("title and heading") << 0;
    QTest::newRow("paragraph") << 1;
    QTest::newRow("list item") << 12;
    QTest::newRow("last") << -1;
}

void GuideTextTest::missingUnitStaysGerman()
{
    QFETCH(int, missing);
    const std::string german = Read("docs/guide.html");
    std::vector<kb::PoEntry> entries = GuideEntries(kb::ParsePo(Read("po/en.po")));
    const std::size_t index = missing < 0 ? entries.size() - 1 : std::size_t(missing);
    entries.erase(entries.begin() + std::ptrdiff_t(index));
    QVERIFY(kb::AddCatalogue("yy", PoText(entries)));
    QVERIFY(kb::SetLanguage("yy"));
    const std::vector<std::string> germanUnits = kb::GuideUnits(german);
    const std::vector<std::string> units = kb::GuideUnits(kb::TranslateGuide(german));
    QCOMPARE(units.size(), germanUnits.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        QVERIFY2(
            (units[i] == germanUnits[i]) == (i == index || kb::Tr("guide", germanUnits[i]) == germanUnits[i]),
            units[i].c_str());
    }
}

QTEST_GUILESS_MAIN(GuideTextTest)
#include "test_guide_text.moc"
