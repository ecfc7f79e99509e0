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
};

QTEST_GUILESS_MAIN(TestResultPage)
#include "tst_resultpage.moc"
