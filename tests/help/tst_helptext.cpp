// SPDX-License-Identifier: GPL-3.0-or-later
// Reading help files' text: contents and index files, page text, full-text search.
#include "help/ChmFile.h"
#include "help/HtmlText.h"
#include "FlatSitemap.h"
#include "help/Sitemap.h"
#include "help/TextSearch.h"
#include "shared/QmrM.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// One line per entry: indentation by depth, the name, then "> page" for each page.
QString outline(const QList<help::SitemapEntry>& entries)
{
    QStringList lines;
    for (const FlatEntry& flat : flatten(entries)) {
        QString line = QString(flat.depth * 2, QLatin1Char(' ')) + flat.entry->name;
        for (const help::SitemapTopic& topic : flat.entry->topics)
            line += QStringLiteral(" > ") +
                    (topic.title == flat.entry->name ? QString() : topic.title + QLatin1Char('=')) + topic.local;
        for (const QString& other : flat.entry->seeAlso)
            line += QStringLiteral(" see ") + other;
        lines.append(line);
    }
    return lines.join(QLatin1Char('\n'));
}

QString object(const QString& params)
{
    return QStringLiteral("<OBJECT type=\"text/sitemap\">") + params + QStringLiteral("</OBJECT>");
}

QString entry(const QString& name, const QString& local)
{
    return QStringLiteral("<LI>") +
           object(QStringLiteral("<param name=\"Name\" value=\"%1\"><param name=\"Local\" value=\"%2\">")
                      .arg(name, local));
}

QByteArray readSource(const QString& name)
{
    QFile file(QStringLiteral(QUILLMORA_HELP_SOURCES "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestHelpText : public QObject {
    Q_OBJECT

private slots:
    void sitemapStructure_data();
    void sitemapStructure();
    void parametersInAnyOrderCaseAndQuoting();
    void shiftJisNamesAreDecoded();
    void builtContentsAndIndexMatchTheirSources();
    void everyPageOfTheContentsIsLinkedFromTheStartAndOverview();
    void helpTellsWhatTheProgramOffers();
    void pageTextIsWhatAReaderSees();
    void searchFindsPagesWithTheirCounts();
    void matchingIgnoresCaseWidthAndKana_data();
    void matchingIgnoresCaseWidthAndKana();
};

void TestHelpText::sitemapStructure_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("expected");
    QTest::newRow("nesting") << "<UL>" + entry("A", "a.html") + "<UL>" + entry("A1", "a1.html") + "<UL>" +
                                    entry("A1x", "x.html") + "</UL></UL>" + entry("B", "b.html") + "</UL>"
                             << "A > a.html\n  A1 > a1.html\n    A1x > x.html\nB > b.html";
    // No </OBJECT>, </LI> or </UL> at all: each entry ends where the next tag of the list begins.
    QTest::newRow("closing tags missing") << "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" "
                                             "value=\"A\"><param name=\"Local\" value=\"a.html\">"
                                             "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" "
                                             "value=\"A1\"><param name=\"Local\" value=\"a1.html\">"
                                          << "A > a.html\n  A1 > a1.html";
    QTest::newRow("end tags too many") << "<UL>" + entry("A", "a.html") + "</UL></UL></UL>" + entry("B", "b.html")
                                       << "A > a.html\nB > b.html";
    QTest::newRow("list before any entry")
        << "<UL><UL>" + entry("A", "a.html") + "</UL>" + entry("B", "b.html") << "A > a.html\nB > b.html";
    QTest::newRow("unknown tags and text")
        << "<UL><FONT size=2>" + entry("A", "a.html") + "<blink>loose text</blink><LI><IMG src=x.png><TABLE><TR><TD>" +
               entry("B", "b.html") + "</UL>"
        << "A > a.html\nB > b.html";
    QTest::newRow("site properties and unnamed objects")
        << "<OBJECT type=\"text/site properties\"><param name=\"Name\" value=\"not an entry\"></OBJECT><UL>" +
               entry("A", "a.html") + "<LI>" + object("<param name=\"ImageNumber\" value=\"1\">") + "</UL>"
        << "A > a.html";
    QTest::newRow("book without a page") << "<UL><LI>" + object("<param name=\"Name\" value=\"Book\">") + "<UL>" +
                                                entry("Page", "p.html") + "</UL></UL>"
                                         << "Book\n  Page > p.html";
    QTest::newRow("comment hides an entry")
        << "<UL><!-- " + entry("Old", "old.html") + " -->" + entry("A", "a.html") << "A > a.html";
    QTest::newRow("keyword with several pages")
        << "<UL><LI>" +
               object(
                   "<param name=\"Name\" value=\"Key\"><param name=\"Name\" value=\"First\">"
                   "<param name=\"Local\" value=\"1.html\"><param name=\"Name\" value=\"Second\">"
                   "<param name=\"Local\" value=\"2.html\">") +
               "<LI>" + object("<param name=\"Name\" value=\"Other\"><param name=\"See Also\" value=\"Key\">") + "</UL>"
        << "Key > First=1.html > Second=2.html\nOther see Key";
    QTest::newRow("empty") << "<HTML><BODY><UL></UL></BODY></HTML>"
                           << "";
    QTest::newRow("cut off inside a tag")
        << "<UL>" + entry("A", "a.html") + "<LI><OBJECT type=\"text/sitemap\"><param nam"
        << "A > a.html";
}

void TestHelpText::sitemapStructure()
{
    QFETCH(QString, html);
    QFETCH(QString, expected);
    QCOMPARE(outline(help::readSitemap(html)), expected);
}

void TestHelpText::parametersInAnyOrderCaseAndQuoting()
{
    const QString html = QStringLiteral(
        "<ul><li><object TYPE='TEXT/SITEMAP'><PARAM VALUE=\"a.html#top\" NAME=\"LOCAL\"><Param Name='name' Value='A "
        "&amp; B'>"
        "</object><li><object type=text/sitemap><param name=Name value=&#x3042;&#12356;&lt;&gt;><param name=Local "
        "value=b.html>"
        "</object><li><object type=\"text/sitemap\"><param name=\"Name\" value=\"  spaced  &unknown; &nbsp;\">"
        "<param name=\"Local\" value=\"c.html\"></object></ul>");
    QCOMPARE(outline(help::readSitemap(html)),
             QStringLiteral("A & B > a.html#top\nあい<> > b.html\nspaced  &unknown; > c.html"));
}

void TestHelpText::shiftJisNamesAreDecoded()
{
    // "項目の登録" in Shift-JIS; 目 and 録 both have trail bytes that are ASCII letters.
    const QByteArray name("\x8d\x80\x96\xda\x82\xcc\x93\x6f\x98\x5e");
    const QByteArray undeclared = "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"" + name +
                                  "\"><param name=\"Local\" value=\"register.html\"></OBJECT></UL>";
    QCOMPARE(outline(help::readSitemap(help::decodeHtmlPage(undeclared))),
             QStringLiteral("項目の登録 > register.html"));
}

void TestHelpText::builtContentsAndIndexMatchTheirSources()
{
    help::ChmFile chm;
    QVERIFY(chm.open(QStringLiteral(QUILLMORA_HELP_CHM)));
    QCOMPARE(chm.title(), QStringLiteral("Quillmora ヘルプ"));
    // The build stores the contents and index in CP932 without declaring it.
    const struct {
        QString inFile;
        const char* source;
        int entries;
    } files[] = {{chm.contentsFile(), "KvHelp.hhc", 11}, {chm.indexFile(), "KvHelp.hhk", 41}};
    for (const auto& file : files) {
        bool ok = false;
        const QByteArray stored = chm.read(file.inFile, &ok);
        QVERIFY2(ok, qPrintable(file.inFile));
        const auto fromFile = help::readSitemap(help::decodeHtmlPage(stored));
        const auto fromSource = help::readSitemap(help::decodeHtmlPage(readSource(QLatin1String(file.source))));
        // Every entry of the source arrives (the pages and keywords grow; at least those of today).
        QCOMPARE(flatten(fromFile).size(), flatten(fromSource).size());
        QVERIFY(flatten(fromFile).size() >= file.entries);
        QCOMPARE(outline(fromFile), outline(fromSource));
    }
}

void TestHelpText::everyPageOfTheContentsIsLinkedFromTheStartAndOverview()
{
    const auto contents = help::readSitemap(help::decodeHtmlPage(readSource(QStringLiteral("KvHelp.hhc"))));
    for (const QString& from : {QStringLiteral("index.html"), QStringLiteral("overview.html")}) {
        const QString page = help::decodeHtmlPage(readSource(from));
        for (const FlatEntry& flat : flatten(contents)) {
            const QString target = flat.entry->topics.value(0).local;
            QVERIFY2(target == from || target == QLatin1String("index.html") ||
                         page.contains(QStringLiteral("href=\"%1").arg(target)),
                     qPrintable(from + QStringLiteral(" does not link ") + target));
        }
    }
}

void TestHelpText::helpTellsWhatTheProgramOffers()
{
    const auto text = [](const char* name) { return help::pageText(help::decodeHtmlPage(readSource(name))).text; };
    const QString keywords = help::decodeHtmlPage(readSource(QStringLiteral("KvHelp.hhk")));
    // Every entry of the tray's menu: in the page's table, the overview, the contents and the keywords.
    const QString start = help::decodeHtmlPage(readSource(QStringLiteral("start.html")));
    for (const QString entry : {"今すぐ始める", "待機をやめる", "5 分後に"}) {
        QVERIFY2(start.contains(QStringLiteral("<tr><td><span class=\"ui\">%1</span></td>").arg(entry)),
                 qPrintable(entry));
        for (const QString& where : {text("overview.html"), text("index.html"), keywords})
            QVERIFY2(where.contains(entry), qPrintable(entry));
    }
    // The icon stays through the pass, where it offers 5 分後に.
    QVERIFY(!start.contains(QStringLiteral("アイコンは待ち時間が終わると消えます")));
    // The wait before the options are first saved.
    QTemporaryDir empty;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(empty.path());
    QmrM::LoadSettings();
    QDir::setCurrent(previous);
    const QString firstWait = QStringLiteral("はじめて使うときは %1 分").arg(QmrM::gWaitJikan);
    QVERIFY2(text("options.html").contains(firstWait), qPrintable(firstWait));
}

void TestHelpText::pageTextIsWhatAReaderSees()
{
    const help::PageText page =
        help::pageText(QStringLiteral("<html><head><title> 開始 &amp; 終了 </title><style>p { color: red }</style>"
                                      "<script>if (a < b) document.write('隠れた');</script></head>"
                                      "<body><h1>見出し</h1><p>一行目\n  <b>ト</b>レーニング&nbsp;&lt;開始&gt;</p><!-- "
                                      "メモ --><p>二つ目<br>三つ目</p>"
                                      "<img alt=\"代替\" src=\"a.png\">a < b</body></html>"));
    QCOMPARE(page.title, QStringLiteral("開始 & 終了"));
    QCOMPARE(page.text, QStringLiteral("見出し\n一行目 トレーニング\u00a0<開始>\n二つ目\n三つ目\na < b"));
}

void TestHelpText::searchFindsPagesWithTheirCounts()
{
    const QString hidden = QStringLiteral(
        "<html><head><title>トレーニング</title></head><body><!-- トレーニング --><img alt=\"トレーニング\" "
        "title='トレーニング' src=\"x.png\"><a "
        "href=\"トレーニング.html\">リンク</a><p>トレー</p><p>ニング</p></body></html>");
    const QStringList pages = {
        QStringLiteral("<p>トレーニングと<b>ト</b>レーニング</p>"),
        hidden,
        QStringLiteral("<p>ﾄﾚｰﾆﾝｸﾞ画面</p>"),
        QStringLiteral("<p>トレーニング、トレーニング、<i>トレーニ</i>ング</p>"),
    };
    help::SearchIndex index;
    for (int i = 0; i < pages.size(); ++i) {
        const help::PageText text = help::pageText(pages[i]);
        index.addPage(QStringLiteral("/p%1.html").arg(i), QStringLiteral("P%1").arg(i), text.text);
    }
    QStringList found;
    for (const help::SearchIndex::Hit& hit : index.search(QStringLiteral(" トレーニング ")))
        found.append(QStringLiteral("%1:%2").arg(hit.title).arg(hit.count));
    QCOMPARE(found, QStringList({QStringLiteral("P3:3"), QStringLiteral("P0:2"), QStringLiteral("P2:1")}));
    QVERIFY(index.search(QStringLiteral("   ")).isEmpty());

    // An index holds as much folded text as it has room for: the beginning of the page that fills
    // it (13 characters folded, ten kept), none of a later page.
    help::SearchIndex small(10);
    small.addPage(QStringLiteral("/a.html"), QStringLiteral("A"), QStringLiteral("スクロール、トレーニング"));
    small.addPage(QStringLiteral("/b.html"), QStringLiteral("B"), QStringLiteral("トレーニング"));
    QVERIFY(small.isFull());
    QCOMPARE(small.search(QStringLiteral("スクロール")).size(), 1);
    QVERIFY(small.search(QStringLiteral("トレーニング")).isEmpty());
}

void TestHelpText::matchingIgnoresCaseWidthAndKana_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("word");
    // Where each match lies in the original text, "start+length"; empty when none.
    QTest::addColumn<QStringList>("matches");
    QTest::newRow("case") << "Enter キーと ENTER"
                          << "enter" << QStringList{"0+5", "10+5"};
    QTest::newRow("full-width letters") << "Ｓｈｉｆｔ-JIS"
                                        << "shift-jis" << QStringList{"0+9"};
    QTest::newRow("half-width kana in the text") << "xｶﾞｲﾄﾞy"
                                                 << "ガイド" << QStringList{"1+5"};
    QTest::newRow("half-width kana in the word") << "ガイドとガイド"
                                                 << "ｶﾞｲﾄﾞ" << QStringList{"0+3", "4+3"};
    QTest::newRow("hiragana word, katakana of both widths") << "グラフとｸﾞﾗﾌ"
                                                            << "ぐらふ" << QStringList{"0+3", "4+4"};
    QTest::newRow("katakana word, hiragana text") << "ゞひらがなー"
                                                  << "ヾヒラガナー" << QStringList{"0+6"};
    QTest::newRow("no match inside a voiced kana") << "バス"
                                                   << "ハ" << QStringList{};
    QTest::newRow("voiced kana itself") << "バス"
                                        << "バ" << QStringList{"0+1"};
    QTest::newRow("ideographic space") << "開始\u3000ボタン"
                                       << "開始 ボタン" << QStringList{"0+6"};
    QTest::newRow("beyond the basic plane") << "𠮷野家と𠮷"
                                            << "𠮷" << QStringList{"0+2", "5+2"};
}

void TestHelpText::matchingIgnoresCaseWidthAndKana()
{
    QFETCH(QString, text);
    QFETCH(QString, word);
    QFETCH(QStringList, matches);
    QStringList found;
    for (const help::TextMatch& m : help::findAll(help::foldText(text), help::foldKey(word)))
        found.append(QStringLiteral("%1+%2").arg(m.start).arg(m.length));
    QCOMPARE(found, matches);
}

QTEST_MAIN(TestHelpText)
#include "tst_helptext.moc"
