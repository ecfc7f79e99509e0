#include "tests/support/rankingpages.h"

namespace testsupport {

namespace {

const QByteArray kPageHead = QByteArrayLiteral(
    "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>百度搜索</title></head>\n<body>\n");
const QByteArray kPageTail = QByteArrayLiteral("</body></html>\n");

// Markup that sits between results on a real page: attributes, quotes, tags
// that open and close, Chinese text; none of it forms a heading or an entry.
const QByteArray kFillerBlock = QByteArrayLiteral(
    "<div class=\"c-abstract\" data-tools='{\"title\":\"x\"}'><span "
    "class=\"c-color-gray\">2021年3月4日</span>"
    "这是一段摘要文字，说明页面的内容 <a class=\"c-tools\" href=\"/x\">www.example.com/</a></div>\n");

QByteArray filler(int bytes)
{
    QByteArray text;
    while (text.size() < bytes)
        text += kFillerBlock;
    return text;
}

} // namespace

QByteArray desktopRankingSitePage(const QByteArray &title, const QByteArray &date)
{
    // The anchor's attributes end on the line before the title, as Baidu writes them.
    return kPageHead +
           "<div class=\"result c-container\" id=\"1\"><h3 class=\"t\"><a\n"
           " href = \"http://www.baidu.com/link?url=site\" target=\"_blank\"\n>" +
           title + "</a></h3>\n<span class=\" newTimeFactor_before_abs m\">" + date +
           "&nbsp;-&nbsp;</span>\n</div>\n" + kPageTail;
}

QByteArray desktopRankingNotFoundPage()
{
    return kPageHead + "<div class=\"nors\"><p>很抱歉，没有找到该URL。您可以直接访问：</p></div>\n" +
           kPageTail;
}

QByteArray desktopKeywordPage(const QList<DesktopHeading> &headings, int fillerBytes)
{
    const QByteArray between = filler(fillerBytes / (headings.size() + 1));
    QByteArray page = kPageHead + between;
    int id = 1;
    for (const DesktopHeading &heading : headings) {
        const QByteArray attributes = heading.link.isEmpty()
                                          ? QByteArray(" data-click=\"{'F':'778317EA'}\"")
                                          : " href = \"" + heading.link + "\" target=\"_blank\"";
        const QByteArray shown =
            heading.shown.isEmpty() ? QByteArray() : "<a class=\"c-showurl\">" + heading.shown + "</a>";
        page += "<div class=\"result c-container\" id=\"" + QByteArray::number(id++) +
                "\"><h3 class=\"t\"><a" + attributes + ">" + heading.text + "</a></h3>" + shown + "\n" +
                between;
    }
    return page + kPageTail;
}

QByteArray mobileRankingSitePage(const QByteArray &firstAddress, const QByteArray &date)
{
    return kPageHead + "<div class=\"c-result\" data-log=\"{'ensrcid':'www_normal','order':'1','mu':'" +
           firstAddress +
           "','pos':'1'}\"><a aria-label=\"搜索结果第1条.标题：示例\"><span class=\"c-title-text\" "
           "data-a-1>示例</span></a><span data-a-09d7e76b>" +
           date + "</span></div>\n" + kPageTail;
}

QByteArray mobileRankingNoAddressPage()
{
    return kPageHead +
           "<div class=\"c-result\"><a href=\"https://m.baidu.com/from=0/tc?order=1\"><h3 class=\"c-title\">"
           "<span class=\"c-title-text\">示例</span></h3></a></div>\n" +
           kPageTail;
}

QByteArray mobileRankingNotFoundPage()
{
    return kPageHead + "<div class=\"no-result\">抱歉，没有找到与此相关的结果</div>\n" + kPageTail;
}

QByteArray mobileKeywordPage(const QList<QByteArray> &entryAddresses)
{
    QByteArray page = kPageHead;
    int order = 1;
    for (const QByteArray &address : entryAddresses) {
        const QByteArray number = QByteArray::number(order++);
        page += "<div class=\"c-result result\" data-log=\"{'ensrcid':'www_normal','order':'" + number +
                "','tpl':'www_normal','mu':'" + address +
                "','pos':'x'}\"><a class=\"c-blocka\" href=\"https://m.baidu.com/from=0/tc?order=" + number +
                "\"><h3 class=\"c-title\"><span class=\"c-title-text\">结果 " + number + "</span></h3></a>" +
                kFillerBlock + "</div>\n";
    }
    return page + kPageTail;
}

QByteArray robotCheckPage()
{
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>百度安全验证</title></head>"
           "<body><div class=\"timeout-title\">网络不给力，请稍后重试</div></body></html>";
}

} // namespace testsupport
