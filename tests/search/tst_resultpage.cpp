#include "search/resultpage.h"
#include "tests/support/loopbackbaidu.h"

#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextCodec>

using testsupport::readTestData;

Q_DECLARE_METATYPE(PageKind)

namespace {

const QByteArray kUtf8Html = "text/html; charset=utf-8";

QByteArray page(const QByteArray &head, const QByteArray &body)
{
    return "<!DOCTYPE html><html><head>" + head + "</head><body>" + body + "</body></html>";
}

} // namespace

// The result-page reader on Baidu's real pages against their hand-read truth,
// and on the page forms and encodings real answers come in.
class TestResultPage : public QObject
{
    Q_OBJECT

private slots:
    void readsRealPages_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("truth"); // the truth file's suffix
        // The related searches: first and last text of "相关搜索", then of "大家还在搜" / "其他人还在搜".
        QTest::addColumn<QStringList>("related");
        QTest::addColumn<QStringList>("alsoSearched");
        const QString desktop = QStringLiteral(".truth.json");
        QTest::newRow("2017") << QStringLiteral("desktop_2017_435236402_day01_baidu_nba.html") << desktop
                              << QStringList{QStringLiteral("nba新浪"), QStringLiteral("nba中文网")}
                              << QStringList();
        QTest::newRow("2020") << QStringLiteral("desktop_2020_BaiduSpider_test_web_normal.html") << desktop
                              << QStringList{QStringLiteral("python有什么用"), QStringLiteral("Python安装")}
                              << QStringList();
        QTest::newRow("2022") << QStringLiteral("desktop_2022_DogInNoSense_agt_wodeip.html") << desktop
                              << QStringList{QStringLiteral("我的网络ip地址"),
                                             QStringLiteral("怎样查询电脑ip地址")}
                              << QStringList{QStringLiteral("免费代理ip"),
                                             QStringLiteral("手机ip地址怎么切换")};
        QTest::newRow("site: answer 2019")
            << QStringLiteral("siteq_2019_muyun001_capakj.html") << QStringLiteral(".siteq-truth.json")
            << QStringList{QStringLiteral("capcom"), QStringLiteral("118kj")} << QStringList();
        QTest::newRow("mobile 2019") << QStringLiteral("mobile_2019_muyun001_rua_bianpofanghuwang.html")
                                     << QStringLiteral(".mobile-truth.json")
                                     << QStringList{QStringLiteral("成都防护网"),
                                                    QStringLiteral("边坡工程公司")}
                                     << QStringList{QStringLiteral("边坡防护网施工队"),
                                                    QStringLiteral("越琪边坡防护网")};
    }

    void readsRealPages()
    {
        QFETCH(QString, name);
        QFETCH(QString, truth);
        const QJsonObject truthFile =
            QJsonDocument::fromJson(
                readTestData(qPrintable(QStringLiteral("real-pages/truth/") + name + truth)))
                .object();
        const ResultPage result =
            readResultPage(readTestData(qPrintable(QStringLiteral("real-pages/") + name)));
        QFETCH(QStringList, related);
        QFETCH(QStringList, alsoSearched);
        QCOMPARE(result.kind, PageKind::Results);
        QVERIFY(!result.layoutUnknown);
        const auto ends = [](const QStringList &texts) {
            return texts.isEmpty() ? QStringList() : QStringList{texts.first(), texts.last()};
        };
        QCOMPARE(ends(result.relatedSearches), related);
        QCOMPARE(ends(result.alsoSearched), alsoSearched);

        QList<QJsonObject> counted;
        for (const QJsonValue &entry : truthFile.value(QStringLiteral("entries")).toArray()) {
            if (entry.toObject().value(QStringLiteral("counted")).toBool())
                counted.append(entry.toObject());
        }
        QCOMPARE(result.entries.size(), counted.size());
        for (int i = 0; i < counted.size(); ++i) {
            const ResultEntry &entry = result.entries.at(i);
            const QJsonObject &expected = counted.at(i);
            QCOMPARE(entry.position, expected.value(QStringLiteral("position")).toInt());
            QCOMPARE(entry.headingText, expected.value(QStringLiteral("heading_text")).toString());
            QCOMPARE(entry.headingLink, expected.value(QStringLiteral("href")).toString());
            QCOMPARE(entry.statedTarget(), expected.value(QStringLiteral("real_target")).toString());
            // The desktop truths give the dates of cards' inner items as none.
            if (!name.startsWith(QLatin1String("desktop")))
                QCOMPARE(entry.shownDate, expected.value(QStringLiteral("date_shown")).toString());
        }
        const QJsonObject first = truthFile.value(QStringLiteral("first_result")).toObject();
        QCOMPARE(result.entries.first().headingText, first.value(QStringLiteral("title")).toString());
        QCOMPARE(result.entries.first().shownDate, first.value(QStringLiteral("date")).toString());
    }

    void readsPageForms_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QStringList>("headings"); // "text|link|target|date" per entry
        const QByteArray l = "http://www.baidu.com/link?url=";
        QTest::newRow("heading and anchor on different lines, several-word class")
            << page("", "<div id=\"content_left\"><div class=\"result c-container new-pmd\" id=\"1\"><h3 "
                        "class=\"c-title t t tts-title\" >\n<a\n href=\"" +
                            l +
                            "a\">A <em>B</em></a></h3></div><div class=\"result c-container\" id=\"2\"><h3 "
                            "class=\"t\"><a href=\"" +
                            l + "b\">C</a></h3></div></div>")
            << QStringList{QStringLiteral("A B|") + QString::fromLatin1(l) + QStringLiteral("a||"),
                           QStringLiteral("C|") + QString::fromLatin1(l) + QStringLiteral("b||")};
        QTest::newRow("badge link, comment wrapper, mu, date label")
            << page("", "<div id=\"content_left\"><div class=\"c-container\" id=\"1\" "
                        "mu=\"https://a.cn/\"><h3><a href=\"" +
                            l +
                            "a\"><!--s-text-->标题<!--/s-text--> &amp; 文</a><a "
                            "href=\"https://trust.baidu.com/vstar\">官方</a></h3>"
                            "<span aria-label=\"发布于：2小时前\">2小时前</span></div></div>")
            << QStringList{QStringLiteral("标题 & 文|") + QString::fromLatin1(l) +
                           QStringLiteral("a|https://a.cn/|2小时前")};
        QTest::newRow("anchor around heading, direct link, footer date, ad and widget skipped")
            << page("",
                    "<div id=\"content_left\"><div class=\"c-container EC_result\" id=\"\"><h3><a "
                    "href=\"http://www.baidu.com/baidu.php?url=x\">广告</a></h3></div>"
                    "<div class=\"c-container\" id=\"1\"><a href=\"https://b.cn/p\"><h3>B 站</h3></a><div "
                    "class=\"c-color-gray2\">回答时间: 2011年4月2日</div></div>"
                    "<div class=\"c-container\" id=\"2\"><div>大家还在搜</div><a href=\"/s?wd=x\">x</a></div>"
                    "<div class=\"c-container\" id=\"3\"><h3><a href=\"" +
                        l +
                        "c\">C</a></h3><span class=\"c-showurl\">c.cn  2017-12-16 </span></div></div>"
                        "<div id=\"content_right\"><div class=\"c-container\" id=\"9\"><h3><a href=\"" +
                        l + "r\">R</a></h3></div></div>")
            << QStringList{QStringLiteral("B 站|https://b.cn/p|https://b.cn/p|2011年4月2日"),
                           QStringLiteral("C|") + QString::fromLatin1(l) + QStringLiteral("c||2017-12-16")};
        QTest::newRow("data-tools url beats mu; the first date belongs to its own block")
            << page("", "<div class=\"c-container\" id=\"1\" mu=\"http://m.cn/\" "
                        "data-tools='{\"title\":\"t\",\"url\":\"http:\\/\\/d.cn\\/x\"}'><h3><a href=\"" +
                            l +
                            "a\">A</a></h3></div>"
                            "<div class=\"c-container\" id=\"2\"><h3><a href=\"" +
                            l +
                            "b\">B</a></h3><span class=\" newTimeFactor_before_abs  "
                            "m\">2021-05-06&nbsp;-&nbsp;</span></div>")
            << QStringList{QStringLiteral("A|") + QString::fromLatin1(l) + QStringLiteral("a|http://d.cn/x|"),
                           QStringLiteral("B|") + QString::fromLatin1(l) + QStringLiteral("b||2021-05-06")};
        // What never counts: a tool with an empty link, an AI answer card, boxes of searches, ads by their
        // label.
        const QByteArray card = "<div class=\"c-container\" id=\"%1\" mu=\"http://nourl.ubs.baidu.com/5\">";
        QTest::newRow("widgets left out, cards heading a site's own result kept")
            << page("",
                    "<div id=\"content_left\">"
                    "<div class=\"c-container\" id=\"1\"><h3><a href=\"\">计算器</a></h3></div>" +
                        QByteArray(card).replace("%1", "2") +
                        "<a href=\"https://chat.baidu.com/search?word=x\"><h3>AI "
                        "回答</h3><p>回答的文字</p></a></div>"
                        "<div class=\"c-container\" id=\"3\"><h3><a href=\"/s?wd=x&rsf=1\">相关 "
                        "x</a></h3></div>"
                        "<div class=\"c-container\" id=\"4\"><h3 class=\"t\">大家还在搜</h3>"
                        "<a href=\"/s?wd=y\">y</a></div>"
                        "<div class=\"c-container\" id=\"5\"><h3><a href=\"" +
                        l +
                        "ad\">推广</a></h3><span class=\"ec-tuiguang\">广告</span></div>"
                        "<div class=\"c-container\" id=\"6\" mu=\"https://baike.baidu.com/item/x\"><h3><a "
                        "href=\"" +
                        l +
                        "bk\">x_百度百科</a></h3></div>"
                        "<div class=\"c-container\" id=\"7\" style=\"display:none\"><h3><a href=\"" +
                        l + "h\">隐藏</a></h3></div></div>")
            << QStringList{QStringLiteral("x_百度百科|") + QString::fromLatin1(l) +
                           QStringLiteral("bk|https://baike.baidu.com/item/x|")};
        QTest::newRow("mobile: data-log as data, boxes, copies and ads left out, title element, date")
            << page("",
                    "<div id=\"results\"><div class=\"c-result result\" "
                    "data-log=\"{'mu':'https://www.baidu.com/other.php?url=1'}\">"
                    "<a href=\"https://m.baidu.com/from=0/tc?a\"><h3 class=\"c-title\">广告</h3></a></div>"
                    "<div class=\"result c-result wnor-honey-jar\"><a "
                    "href=\"https://m.baidu.com/from=0/tc?honeyJar=1\">"
                    "<h3 class=\"c-title\">副本</h3></a></div>"
                    "<div class=\"c-result result\" data-log=\"{'mu':'http://28339.sigma.baidu.com'}\">"
                    "<div role=\"button\"><h3 class=\"c-title\">x_相关设备</h3></div></div>"
                    "<div class=\"c-result result\" order=\"4\" data-log=\"{&quot;order&quot;:&quot;4&quot;,"
                    "&quot;mu&quot;:&quot;http:\\/\\/m.a.cn\\/p&quot;,'tpl':{'x':'}'}}\"><a "
                    "href=\"https://m.baidu.com/from=0/tc?b\"><h3 class=\"c-title\"><span "
                    "class=\"c-title-text\"><em>标</em>题</span><i class=\"c-icon\">&#xe734;</i></h3></a>"
                    "<div class=\"c-showurl\"><span class=\"c-showurl\">m.a.cn</span><span>3天前</span></div>"
                    "</div></div>")
            << QStringList{QStringLiteral("标题|https://m.baidu.com/from=0/tc?b|http://m.a.cn/p|3天前")};
        QTest::newRow("minimal form: headings without blocks, one without href")
            << page("", "<h3 class=\"t\"><a href = \"x\">一...</a></h3><p>2020-01-01</p><h3 class=\"t\"><a "
                        "data-click=\"\">二</a></h3>")
            << QStringList{QStringLiteral("一...|x||2020-01-01"), QStringLiteral("二|||")};
    }

    void readsPageForms()
    {
        QFETCH(QByteArray, body);
        QFETCH(QStringList, headings);
        const ResultPage result = readResultPage(body, kUtf8Html);
        QCOMPARE(result.kind, PageKind::Results);
        QStringList read;
        for (const ResultEntry &entry : result.entries)
            read << entry.headingText + QLatin1Char('|') + entry.headingLink + QLatin1Char('|') +
                        entry.statedTarget() + QLatin1Char('|') + entry.shownDate;
        QCOMPARE(read, headings);
    }

    void tellsPageKinds_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<PageKind>("kind");
        QTest::addColumn<int>("entries");
        QTextCodec *gbk = QTextCodec::codecForName("GBK");
        const QByteArray result =
            "<div class=\"c-container\" id=\"1\"><h3><a href=\"http://a.cn/\">中文标题</a></h3></div>";
        QTest::newRow("real robot check") << readTestData("real-pages/captcha_2022_DogInNoSense_agt1.html")
                                          << kUtf8Html << PageKind::Blocked << 0;
        QTest::newRow("block page served with 200")
            << page("<title>页面不存在_百度搜索</title>", "<p>很抱歉，没有找到与您的搜索相关的页面</p>")
            << kUtf8Html << PageKind::Blocked << 0;
        QTest::newRow("not found") << page("", "很抱歉，没有找到该URL。" + result) << kUtf8Html
                                   << PageKind::NotFound << 0;
        QTest::newRow("no entries, no not-found text")
            << page("<title>百度一下</title>", "<p>x</p>") << kUtf8Html << PageKind::Results << 0;
        QTest::newRow("GBK by header") << gbk->fromUnicode(QString::fromUtf8(page("", "没有找到该URL")))
                                       << QByteArray("text/html; charset=GBK") << PageKind::NotFound << 0;
        QTest::newRow("GBK by meta")
            << gbk->fromUnicode(QString::fromUtf8(
                   page("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">", result)))
            << QByteArray("text/html") << PageKind::Results << 1;
        QTest::newRow("still compressed")
            << QByteArray("\x1f\x8b\x08\x00\x00\x00\x00\x00", 8) + QByteArray(500, '\x90') << kUtf8Html
            << PageKind::Unreadable << 0;
        QTest::newRow("binary declared UTF-8")
            << QByteArray(2000, '\xff') << kUtf8Html << PageKind::Unreadable << 0;
        QTest::newRow("empty") << QByteArray() << kUtf8Html << PageKind::Unreadable << 0;
        QTest::newRow("real robot check of 2026")
            << readTestData("real-pages/captcha_2026_ourlyg_baidu_raw.html") << kUtf8Html << PageKind::Blocked
            << 0;
        QTest::newRow("access-error page in GB2312")
            << gbk->fromUnicode(QString::fromUtf8(
                   page("<meta http-equiv=\"Content-Type\" content=\"text/html; "
                        "charset=gb2312\"><title>百度--您的访问出错了</title>",
                        "<form action=\"https://verify.baidu.com/verify\"><input name=\"vcode\"></form>")))
            << QByteArray("text/html") << PageKind::Blocked << 0;
        QTest::newRow("robot check whose title does not read")
            << page("<title>\xef\xbf\xbd\xef\xbf\xbd</title>",
                    "<div class=\"timeout\">x</div><script "
                    "src=\"https://ppui-static-wap.cdn.bcebos.com/static/"
                    "touch/js/mkdjump_v2_21d1ae1.js\"></script>")
            << kUtf8Html << PageKind::Blocked << 0;
        QTest::newRow("a search for the robot check's words")
            << page("<title>百度安全验证_百度搜索</title><script "
                    "src=\"https://wappass.baidu.com/x.js\"></script>",
                    "<div id=\"content_left\">" + result + "</div>")
            << kUtf8Html << PageKind::Results << 1;
        QTest::newRow("2026 not-found wording")
            << page("", "<div class=\"nors\"><p>抱歉，未找到相关结果。</p></div>") << kUtf8Html
            << PageKind::NotFound << 0;
        QTest::newRow("the not-found statement in a block of its own")
            << page("", "<div id=\"content_left\"><div class=\"result c-container\" id=\"1\"><div "
                        "class=\"nors\"><p>抱歉，未找到相关结果。</p></div></div></div>")
            << kUtf8Html << PageKind::NotFound << 0;
        QTest::newRow("a result quoting a not-found text is a result")
            << page("", "<div id=\"content_left\"><div class=\"c-container\" id=\"1\"><h3><a "
                        "href=\"http://a.cn/\">中文标题</a></h3><p>抱歉，没有找到您要的页面</p></div></div>")
            << kUtf8Html << PageKind::Results << 1;
        QTest::newRow("declared UTF-8, re-encoded as GB18030 on its way")
            << QTextCodec::codecForName("GB18030")->fromUnicode(QString::fromUtf8(page("", result)))
            << kUtf8Html << PageKind::Results << 1;
        QTest::newRow("UTF-8 with one broken byte stays UTF-8")
            << page("", "<p>\xe4\xb8</p><p>" + QByteArray("正文").repeated(30) + "</p>" + result) << kUtf8Html
            << PageKind::Results << 1;
    }

    void tellsPageKinds()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, contentType);
        const ResultPage result = readResultPage(body, contentType);
        QTEST(result.kind, "kind");
        QTEST(int(result.entries.size()), "entries");
        if (!result.entries.isEmpty())
            QCOMPARE(result.entries.first().headingText, QStringLiteral("中文标题"));
    }

    // What a change of Baidu's markup looks like to the reader, and what does not.
    void tellsUnknownLayouts_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("unknown");
        QTest::newRow("no result container")
            << page("<title>x_百度搜索</title>", "<div id=\"wrapper_new\"><div class=\"res-item\"><a "
                                                 "href=\"http://a.cn/\">A</a></div></div>")
            << true;
        QTest::newRow("desktop blocks without headings")
            << page("", "<div id=\"content_left\"><div class=\"c-container\" id=\"1\"><div class=\"tt\"><a "
                        "href=\"http://a.cn/\">A</a></div></div></div>")
            << true;
        QTest::newRow("mobile blocks without headings")
            << page("",
                    "<div id=\"results\"><div class=\"c-result result\" data-log=\"{'mu':'http://a.cn/'}\">"
                    "<div class=\"new-title\"><a href=\"http://a.cn/\">A</a></div></div></div>")
            << true;
        QTest::newRow("widgets only") << page("", "<div id=\"content_left\"><div class=\"c-container\" "
                                                  "id=\"1\"><h3><a href=\"\">计算器</a></h3></div></div>")
                                      << false;
        QTest::newRow("real mobile page")
            << readTestData("real-pages/mobile_2019_muyun001_rua_bianpofanghuwang.html") << false;
    }
    void tellsUnknownLayouts()
    {
        QFETCH(QByteArray, body);
        const ResultPage result = readResultPage(body, kUtf8Html);
        QCOMPARE(result.kind, PageKind::Results);
        QTEST(result.layoutUnknown, "unknown");
    }

    void comparesAddresses_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("scheme, host case, trailing slash")
            << QStringLiteral("https://WWW.A.cn/x/") << QStringLiteral("http://www.a.cn/x") << true;
        QTest::newRow("bare host") << QStringLiteral("http://a.cn") << QStringLiteral("https://a.cn/")
                                   << true;
        QTest::newRow("path case") << QStringLiteral("http://a.cn/X") << QStringLiteral("http://a.cn/x")
                                   << false;
        QTest::newRow("m. is another host")
            << QStringLiteral("http://m.a.cn/x") << QStringLiteral("http://www.a.cn/x") << false;
        QTest::newRow("query kept whole") << QStringLiteral("http://a.cn/x?u=http%3A%2F%2Fb.cn&xthttps=0")
                                          << QStringLiteral("http://a.cn/x?u=http://b.cn&xthttps=0") << true;
        QTest::newRow("query differs")
            << QStringLiteral("http://a.cn/x?p=1") << QStringLiteral("http://a.cn/x?p=2") << false;
        QTest::newRow("fragment ignored")
            << QStringLiteral("http://a.cn/x#top") << QStringLiteral("http://a.cn/x") << true;
        QTest::newRow("a placeholder is no address")
            << QStringLiteral("http://nourl.ubs.baidu.com/1")
            << QStringLiteral("http://nourl.ubs.baidu.com/1") << false;
        QTest::newRow("empty") << QString() << QString() << false;
    }
    void comparesAddresses()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QTEST(sameAddress(a, b), "same");
        QTEST(sameAddress(b, a), "same");
    }

    void matchesShownAddresses_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("match"); // ShownMatch, against https://www.a.cn/news/2021/x.html
        QTest::newRow("whole") << QStringLiteral("www.a.cn/news/2021/x.html  2021-05-06")
                               << int(ShownMatch::Same);
        QTest::newRow("cut, agreeing") << QStringLiteral("www.a.cn/news/20...") << int(ShownMatch::Possible);
        QTest::newRow("cut in the middle, agreeing")
            << QStringLiteral("www.a.cn/news...x.html") << int(ShownMatch::Possible);
        QTest::newRow("cut, disagreeing") << QStringLiteral("www.a.cn/blog/...") << int(ShownMatch::Other);
        QTest::newRow("host only") << QStringLiteral("www.a.cn") << int(ShownMatch::Possible);
        QTest::newRow("root only") << QStringLiteral("https://www.a.cn/") << int(ShownMatch::Other);
        QTest::newRow("another page") << QStringLiteral("www.a.cn/other.html") << int(ShownMatch::Other);
        QTest::newRow("another host") << QStringLiteral("a.cn/news/2021/x.html") << int(ShownMatch::Other);
        QTest::newRow("a site name") << QStringLiteral("知乎") << int(ShownMatch::Unknown);
        QTest::newRow("nothing") << QString() << int(ShownMatch::Unknown);
        QTest::newRow("host cut short") << QStringLiteral("www.a.c...") << int(ShownMatch::Possible);
    }
    void matchesShownAddresses()
    {
        QFETCH(QString, shown);
        QFETCH(int, match);
        QCOMPARE(int(matchShownAddress(shown, QStringLiteral("https://www.a.cn/news/2021/x.html"))), match);
    }
};

QTEST_GUILESS_MAIN(TestResultPage)
#include "tst_resultpage.moc"
