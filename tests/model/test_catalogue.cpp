// The catalogue: the PO parser on what PO editors write, the lookup with its
// fallbacks and placeholders, a language that comes from a file alone, and
// the template kept in step with the English catalogue.

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include "model/catalogue.h"

namespace {

QString Joined(const std::vector<kb::PoEntry>& entries)
{
    QStringList lines;
    for (const kb::PoEntry& e : entries) {
        lines << QString::fromStdString(e.context + "|" + e.id + "=" + e.translation);
    }
    return lines.join(QLatin1Char('\n'));
}

std::string Read(const char* relative)
{
    QFile file(QStringLiteral(KB_SOURCE_DIR "/") + QString::fromLatin1(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

QSet<QString> Placeholders(const std::string& text)
{
    QSet<QString> found;
    static const QRegularExpression pattern(QStringLiteral("%[1-9]"));
    for (const QRegularExpressionMatch& m : pattern.globalMatch(QString::fromStdString(text))) {
        found << m.captured();
    }
    return found;
}

}  // namespace

class CatalogueTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { kb::SetLanguage("de"); }
    void parsePo_data();
    void parsePo();
    void lookupFallsBackAndReorders();
    void languageFromAFileAlone();
    void englishCompleteAndTemplateInStep();
};

void CatalogueTest::parsePo_data()
{
    QTest::addColumn<QString>("po");
    QTest::addColumn<QString>("entries");  // context|id=translation, one a line
    QTest::newRow("plain") << "msgctxt \"core\"\nmsgid \"Ja\"\nmsgstr \"Yes\"\n"
                           << "core|Ja=Yes";
    QTest::newRow("no context, two entries") << "msgid \"a\"\nmsgstr \"b\"\n\nmsgid \"c\"\nmsgstr \"d\""
                                             << "|a=b\n|c=d";
    QTest::newRow("header left out")
        << "msgid \"\"\nmsgstr \"\"\n\"Language: en\\n\"\n\nmsgid \"x\"\nmsgstr \"y\"\n"
        << "|x=y";
    QTest::newRow("strings over lines")
        << "msgid \"\"\n\"Zeile \"\n\"zwei\"\nmsgstr \"\"\n\"Line \"\n\"two\"\n"
        << "|Zeile zwei=Line two";
    QTest::newRow("escapes") << "msgid \"\\\"A\\\" \\\\ B\\tC\"\nmsgstr \"D\\nE\"\n"
                             << "|\"A\" \\ B\tC=D\nE";
    QTest::newRow("comments, fuzzy left out")
        << "# translator\n#. extracted\n#: app/x.cpp:3\n#, fuzzy, c-format\nmsgid \"alt\"\nmsgstr \"old\"\n\n"
           "#, c-format\nmsgid \"neu\"\nmsgstr \"new\"\n#~ msgid \"weg\"\n#~ msgstr \"gone\"\n"
        << "|neu=new";
    QTest::newRow("CRLF and indentation") << "msgctxt \"app\"\r\n  msgid \"Hilfe\"\r\nmsgstr \"Help\"\r\n"
                                          << "app|Hilfe=Help";
    QTest::newRow("plural: the first form")
        << "msgid \"Spitze\"\nmsgid_plural \"Spitzen\"\nmsgstr[0] \"peak\"\n"
           "msgstr[1] \"peaks\"\n"
        << "|Spitze=peak";
    QTest::newRow("untranslated kept empty") << "msgid \"leer\"\nmsgstr \"\"\n"
                                             << "|leer=";
    QTest::newRow("UTF-8") << "msgid \"λ muss zwischen „50“ liegen.\"\nmsgstr \"λ must lie “50”.\""
                           << "|λ muss zwischen „50“ liegen.=λ must lie “50”.";
}

void CatalogueTest::parsePo()
{
    QFETCH(QString, po);
    QFETCH(QString, entries);
    QCOMPARE(Joined(kb::ParsePo(po.toStdString())), entries);
}

void CatalogueTest::lookupFallsBackAndReorders()
{
    QVERIFY(kb::AddCatalogue("zz",
                             "msgctxt \"core\"\nmsgid \"%1 von %2\"\nmsgstr \"%2 zz %1\"\n\n"
                             "msgctxt \"core\"\nmsgid \"leer\"\nmsgstr \"\"\n\n"
                             "msgctxt \"app\"\nmsgid \"Hilfe\"\nmsgstr \"Zz\"\n"));
    QVERIFY(!kb::AddCatalogue("yy", "# nothing\n"));
    QVERIFY(!kb::SetLanguage("yy"));
    QCOMPARE(kb::CurrentLanguage(), std::string("de"));
    // German is the identity, with its placeholders filled in.
    QCOMPARE(kb::TrArgs("core", "%1 von %2", {"3", "9"}), std::string("3 von 9"));
    QVERIFY(kb::SetLanguage("zz"));
    QCOMPARE(kb::TrArgs("core", "%1 von %2", {"3", "9"}), std::string("9 zz 3"));
    // An argument's own placeholder stays as it is; a missing argument too.
    QCOMPARE(kb::TrArgs("core", "%1 von %2", {"%2", "x"}), std::string("x zz %2"));
    QCOMPARE(kb::TrArgs("core", "%1 von %2", {"a"}), std::string("%2 zz a"));
    // Empty, unknown and other-context entries give the German.
    QCOMPARE(kb::Tr("core", "leer"), std::string("leer"));
    QCOMPARE(kb::Tr("core", "Hilfe"), std::string("Hilfe"));
    QCOMPARE(kb::Tr("app", "Hilfe"), std::string("Zz"));
    // Without a name and a separator of its own, a language has German's.
    QCOMPARE(kb::LanguageName("zz"), std::string("Deutsch"));
    QCOMPARE(kb::DecimalSeparatorOf("zz"), std::string(","));
}

void CatalogueTest::languageFromAFileAlone()
{
    // tests/i18n/xx.po, embedded by the same build step as po/*.po.
    const std::vector<std::string> languages = kb::AvailableLanguages();
    QCOMPARE(languages.front(), std::string("de"));
    QVERIFY(std::find(languages.begin(), languages.end(), "en") != languages.end());
    QVERIFY(std::find(languages.begin(), languages.end(), "xx") != languages.end());
    QCOMPARE(kb::LanguageName("de"), std::string("Deutsch"));
    QCOMPARE(kb::LanguageName("en"), std::string("English"));
    QCOMPARE(kb::LanguageName("xx"), std::string("Xxisch"));
    QCOMPARE(kb::DecimalSeparatorOf("en"), std::string("."));
    QCOMPARE(kb::DecimalSeparatorOf("xx"), std::string("'"));
    QVERIFY(kb::SetLanguage("xx"));
    QCOMPARE(kb::Tr("core", "Kein Experiment aktiv"), std::string("Xx kein Xx"));
    QCOMPARE(kb::TrArgs("core", "Experiment %1 existiert nicht.", {"42"}), std::string("42: xx nix"));
    QCOMPARE(kb::Tr("core", "Unbekanntes Experiment"), std::string("Unbekanntes Experiment"));
}

void CatalogueTest::englishCompleteAndTemplateInStep()
{
    const std::vector<kb::PoEntry> english = kb::ParsePo(Read("po/en.po"));
    const std::vector<kb::PoEntry> templ = kb::ParsePo(Read("po/kristallbeugung.pot"));
    QVERIFY(english.size() > 100);
    QSet<QString> englishKeys;
    QSet<QString> templateKeys;
    for (const kb::PoEntry& e : english) {
        englishKeys << QString::fromStdString(e.context + "|" + e.id);
        QVERIFY2(!e.translation.empty(), e.id.c_str());
        // A translation uses exactly the German's placeholders.
        QVERIFY2(Placeholders(e.id) == Placeholders(e.translation), e.id.c_str());
    }
    for (const kb::PoEntry& e : templ) {
        templateKeys << QString::fromStdString(e.context + "|" + e.id);
        QVERIFY(e.translation.empty());
    }
    QCOMPARE(templateKeys, englishKeys);
}

QTEST_GUILESS_MAIN(CatalogueTest)
#include "test_catalogue.moc"
