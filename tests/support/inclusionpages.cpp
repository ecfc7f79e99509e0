#include "tests/support/inclusionpages.h"

#include <QStringBuilder>

namespace testsupport {

QByteArray desktopPage(const QByteArray &inner)
{
    return QByteArray("<!DOCTYPE html>\n<html><head><meta "
                      "charset=\"utf-8\"><title>百度一下，你就知道</title></head>\n"
                      "<body><div id=\"content_left\">\n") +
           inner + "\n</div></body></html>\n";
}

QByteArray desktopHeading(const QByteArray &title)
{
    return QByteArray("<div class=\"result c-container\"><h3 class=\"t\"><a\n"
                      " href=\"http://www.baidu.com/link?url=q1\" target=\"_blank\">") +
           title + "</a></h3>\n";
}

QByteArray desktopDateSpan(const QByteArray &date)
{
    return QByteArray("<div class=\"c-abstract\"><span class=\" newTimeFactor_before_abs m\">") + date +
           "</span>摘要文字</div></div>\n";
}

QByteArray mobilePage(const QByteArray &inner)
{
    return QByteArray("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>百度</title></head>\n"
                      "<body><div id=\"results\">\n") +
           inner + "\n</div></body></html>\n";
}

QByteArray mobileFirstResult(const QByteArray &firstAddress)
{
    return QByteArray("<div class=\"c-result result\" order=\"1\" "
                      "data-log=\"{'ensrcid':'www_normal','order':'1','mu':'") +
           firstAddress +
           "'}\">\n<a class=\"c-blocka\" href=\"https://m.baidu.com/from=0/t=iphone/l=1/tc?order=1\" "
           "aria-label=\"搜索结果第1条.标题\">\n";
}

QByteArray mobileTitleSpan(const QByteArray &title)
{
    return QByteArray("<h3 class=\"c-title\"><span class=\"c-title-text\" data-a-5c2ab1e4>") + title +
           "</span></h3>\n";
}

QByteArray mobileDateSpan(const QByteArray &date)
{
    return QByteArray("<span data-a-09d7e76b>") + date + "</span>\n";
}

QByteArray mobileFooterSpan(const QByteArray &text)
{
    return QByteArray("<span class=\"c-gap-left c-footer-showurl\">") + text + "</span>\n";
}

} // namespace testsupport
