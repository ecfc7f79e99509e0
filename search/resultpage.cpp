#include "search/resultpage.h"

#include "search/pagetext.h"

#include <QRegularExpression>
#include <QSet>
#include <QUrl>

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <cctype>
#include <cstring>
#include <functional>
#include <memory>

namespace {

// Where the results stand: the desktop page's left column, the mobile page's list.
constexpr char kLeftColumnId[] = "content_left";
constexpr char kMobileListId[] = "results";
constexpr char kBlockClass[] = "c-container";
// Mobile result blocks: "c-result result" in either order.
constexpr char kMobileBlockClass[] = "c-result";
constexpr char kMobileBlockOtherClass[] = "result";
constexpr char kTitleClass[] = "c-title";
constexpr char kTitleTextClass[] = "c-title-text";
// Newer pages show a result's site in a link whose class begins so (siteLink_9TPP3).
const QByteArray kSiteLinkClass = QByteArrayLiteral("sitelink");
// Ads: Baidu's classes for ad blocks, and the class of the 广告/推广 label inside one.
const QList<QByteArray> kAdClasses{QByteArrayLiteral("ec_result"), QByteArrayLiteral("ec-result"),
                                   QByteArrayLiteral("ec_wise_ad")};
const QByteArray kAdLabelClass = QByteArrayLiteral("tuiguang");
// Ad click links: desktop ads lead through baidu.php, mobile ads through other.php.
const QStringList kAdScripts{QStringLiteral("/baidu.php"), QStringLiteral("/other.php")};
constexpr char kRedirectPath[] = "/link?url=";
// The mobile page's own redirect: m.baidu.com/from=…/tc?…
constexpr char kTranscodePath[] = "/tc?";
// Trust marks linked inside a heading ("官方", "保障"), not part of its text.
constexpr char kBadgeHost[] = "trust.baidu.com";
const QString kPlaceholderHost = QStringLiteral("nourl.ubs.baidu.com");
const QString kBaiduDomain = QStringLiteral("baidu.com");
// Hidden copies of results, placed to trap scrapers, carry this in their class.
const QByteArray kHoneyJarClass = QByteArrayLiteral("honey");
// The card-wide link of a mobile result (2019 on), when its heading holds no anchor.
constexpr char kCardLinkAttribute[] = "rl-link-href";

// Baidu's word that it has nothing, standing outside any result block.
const QList<QByteArray> kNotFoundMarkers{
    QByteArrayLiteral("没有找到该URL"), QByteArrayLiteral("百度为您找到相关结果约0个"),
    QByteArrayLiteral("找到相关结果数约0个"), QByteArrayLiteral("抱歉，没有找到"),
    // The 2026 wording.
    QByteArrayLiteral("抱歉，未找到相关结果")};
// Titles of Baidu's robot check and of its old access-error page (verify.baidu.com).
// Exactly: a search for these words has them in its title too.
const QStringList kRobotCheckTitles{QStringLiteral("百度安全验证"), QStringLiteral("百度--您的访问出错了")};
// What the titles of a robot check and of the block page Baidu serves with
// status 200 ("页面不存在_百度搜索") hold, on a page without results.
const QStringList kBlockTitles{QStringLiteral("百度安全验证"), QStringLiteral("您的访问出错了"),
                               QStringLiteral("页面不存在")};
// What a robot check loads or posts to, whatever its title: the captcha
// hosts and the mkdjump scripts. Looked for only on pages without results,
// since result pages link the same hosts for logging in.
const QList<QByteArray> kRobotCheckMarkers{QByteArrayLiteral("wappass.baidu.com"),
                                           QByteArrayLiteral("verify.baidu.com"),
                                           QByteArrayLiteral("mkdjump")};
const char *const kLinkedAttributes[] = {"src", "action", "href"};

const QString kRelatedLabel = QStringLiteral("相关搜索");
const QStringList kAlsoSearchedLabels{QStringLiteral("大家还在搜"), QStringLiteral("其他人还在搜")};
// Headings of boxes that list searches, not pages.
const QStringList kBoxHeadings{QStringLiteral("相关搜索"), QStringLiteral("大家还在搜"),
                               QStringLiteral("其他人还在搜"), QStringLiteral("大家都在搜")};
// How far up from a related-search label its links are looked for: mobile
// pages put the label in the box's heading, five levels in.
constexpr int kRelatedBoxLevels = 6;
// A page shows one or two boxes of each kind; a hostile page's thousands of
// labels are not each followed up their levels.
constexpr int kMaxRelatedLabels = 4;
const QString kPublishedLabel = QStringLiteral("发布于");
const QStringList kTimeLabels{QStringLiteral("回答时间"), QStringLiteral("发布时间"),
                              QStringLiteral("时间：")};

// Classes of the spans that hold nothing but a date (the separator aside).
const QList<QByteArray> kDateOnlyClasses{QByteArrayLiteral("newTimeFactor_before_abs")};
// Classes of short grey texts that may hold a date beside other words.
const QList<QByteArray> kDateBearingClasses{
    QByteArrayLiteral("c-color-gray2"), QByteArrayLiteral("c-color-gray"), QByteArrayLiteral("c-gray"),
    QByteArrayLiteral("c-showurl"), QByteArrayLiteral("c-footer-showurl")};

// The date forms Baidu shows, standing apart from addresses and numbers around them.
const QString kDatePattern = QStringLiteral(
    "(?<![0-9A-Za-z/._-])(?:\\d{4}\\s*年\\s*\\d{1,2}\\s*月\\s*\\d{1,2}\\s*日|\\d{4}-\\d{1,2}-\\d{1,2}|"
    "\\d{4}/\\d{1,2}/\\d{1,2}|\\d{4}\\.\\d{1,2}\\.\\d{1,2}|\\d+\\s*(?:秒|分钟|小时|天|周|个月)前|"
    "(?:昨天|前天|今天)(?:\\s*\\d{1,2}:\\d{2})?|\\d{1,2}月\\d{1,2}日)(?![0-9A-Za-z/])");

// Scripts, styles and comments are most of a Baidu page (the 2022 page: 580 of
// 740 KB, the 2019 mobile page: 1.4 of 1.6 MB) and hold no entry; they are cut
// before parsing, and the markup left is read only this far, so a hostile page
// costs bounded time. Real pages leave about 160 to 250 KB.
constexpr int kMaxMarkupBytes = 1024 * 1024;
// The text outside the result blocks, where a not-found statement stands, is read this far.
constexpr int kMaxOutsideText = 256 * 1024;

bool startsWithNoCase(const char *at, const char *end, const char *word)
{
    for (; *word; ++word, ++at) {
        if (at >= end || std::tolower(static_cast<unsigned char>(*at)) != *word)
            return false;
    }
    return at >= end || std::isspace(static_cast<unsigned char>(*at)) || *at == '>' || *at == '/';
}

// The first "</name" at or after from, name in any letter case; end when none.
const char *closingTag(const char *from, const char *end, const char *name)
{
    while (from < end) {
        const auto *open = static_cast<const char *>(std::memchr(from, '<', std::size_t(end - from)));
        if (!open)
            return end;
        if (open + 1 < end && open[1] == '/' && startsWithNoCase(open + 2, end, name))
            return open;
        from = open + 1;
    }
    return end;
}

// The page without comments and without the contents of scripts and styles,
// at most kMaxMarkupBytes long. One pass: every byte is looked at once. Works
// on the raw bytes of any charset that keeps ASCII's '<', '-' and '>' (UTF-8, GB18030).
QByteArray markupOnly(const QByteArray &body)
{
    QByteArray markup;
    markup.reserve(qMin(body.size(), kMaxMarkupBytes));
    const char *at = body.constData();
    const char *const end = at + body.size();
    while (at < end && markup.size() < kMaxMarkupBytes) {
        const auto *open = static_cast<const char *>(std::memchr(at, '<', std::size_t(end - at)));
        const int room = kMaxMarkupBytes - markup.size();
        if (!open || open - at >= room) {
            markup.append(at, int(qMin<qint64>(end - at, room)));
            break;
        }
        markup.append(at, int(open - at));
        if (end - open >= 4 && std::memcmp(open, "<!--", 4) == 0) {
            const QByteArray rest = QByteArray::fromRawData(open + 4, int(end - open - 4));
            const int close = rest.indexOf("-->");
            if (close < 0)
                break;
            at = open + 4 + close + 3;
            continue;
        }
        const char *name = nullptr;
        if (startsWithNoCase(open + 1, end, "script"))
            name = "script";
        else if (startsWithNoCase(open + 1, end, "style"))
            name = "style";
        if (name) {
            const auto *tagEnd = static_cast<const char *>(std::memchr(open, '>', std::size_t(end - open)));
            if (!tagEnd)
                break;
            markup.append(open, int(tagEnd + 1 - open));
            at = closingTag(tagEnd + 1, end, name);
            continue;
        }
        markup.append('<');
        at = open + 1;
    }
    return markup.left(kMaxMarkupBytes);
}

// Baidu lists at most 50 results on a page; a page with more is no answer
// worth reading further, and each entry read costs.
constexpr int kMaxEntries = 50;

struct DocumentDeleter
{
    void operator()(xmlDoc *document) const { xmlFreeDoc(document); }
};
using Document = std::unique_ptr<xmlDoc, DocumentDeleter>;

bool aborted(const std::atomic<bool> *abortFlag)
{
    return abortFlag && abortFlag->load();
}

bool isElement(const xmlNode *node, const char *name = nullptr)
{
    return node && node->type == XML_ELEMENT_NODE &&
           (!name || std::strcmp(reinterpret_cast<const char *>(node->name), name) == 0);
}

// Text, scripts and styles hold no entry; a walk never enters them.
bool isOpaque(const xmlNode *node)
{
    return isElement(node, "script") || isElement(node, "style") || isElement(node, "textarea");
}

// The node after node in document order below root; its children are skipped unless descend.
xmlNode *nextNode(xmlNode *node, const xmlNode *root, bool descend)
{
    if (descend && node->children)
        return node->children;
    while (node && node != root) {
        if (node->next)
            return node->next;
        node = node->parent;
    }
    return nullptr;
}

const char *attribute(const xmlNode *node, const char *name)
{
    if (!node)
        return nullptr;
    for (const xmlAttr *property = node->properties; property; property = property->next) {
        if (std::strcmp(reinterpret_cast<const char *>(property->name), name) == 0) {
            const xmlNode *value = property->children;
            return value && value->content ? reinterpret_cast<const char *>(value->content) : "";
        }
    }
    return nullptr;
}

QByteArray attributeBytes(const xmlNode *node, const char *name)
{
    const char *value = attribute(node, name);
    return value ? QByteArray(value) : QByteArray();
}

QString attributeText(const xmlNode *node, const char *name)
{
    return QString::fromUtf8(attributeBytes(node, name)).trimmed();
}

bool hasClassWord(const xmlNode *node, const char *word)
{
    const char *value = attribute(node, "class");
    if (!value)
        return false;
    const std::size_t length = std::strlen(word);
    for (const char *at = std::strstr(value, word); at; at = std::strstr(at + 1, word)) {
        const bool startsWord = at == value || std::isspace(static_cast<unsigned char>(at[-1]));
        const bool endsWord = at[length] == '\0' || std::isspace(static_cast<unsigned char>(at[length]));
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

// part is lower case; the class in any case. No copy: it runs for every element of a walk.
bool classContains(const xmlNode *node, const QByteArray &part)
{
    const char *value = attribute(node, "class");
    return value && strcasestr(value, part.constData());
}

bool isNumber(const char *text)
{
    if (!text || !*text)
        return false;
    for (; *text; ++text) {
        if (*text < '0' || *text > '9')
            return false;
    }
    return true;
}

bool isNumberedBlock(const xmlNode *node)
{
    return isElement(node) && hasClassWord(node, kBlockClass) && isNumber(attribute(node, "id"));
}

bool isMobileBlock(const xmlNode *node)
{
    return isElement(node) && (hasClassWord(node, kMobileBlockClass) ||
                               (hasClassWord(node, kMobileBlockOtherClass) &&
                                (attribute(node, "data-log") || attribute(node, "order"))));
}

// Whether node starts a block of its own: a walk over one block's content does
// not enter the next (a block left unclosed holds the blocks after it).
bool isBlock(const xmlNode *node, bool mobile)
{
    return mobile ? isMobileBlock(node) : isNumberedBlock(node);
}

// Whether a walk over block's own content enters at.
bool entersWithinBlock(const xmlNode *at, const xmlNode *block, bool mobile = false)
{
    return !isOpaque(at) && (at == block || !isBlock(at, mobile));
}

// The visible text below node: no comments, scripts or styles; blanks collapsed.
QString textOf(xmlNode *node)
{
    if (!node)
        return QString();
    QByteArray text;
    for (xmlNode *at = node; at; at = nextNode(at, node, !isOpaque(at))) {
        if ((at->type == XML_TEXT_NODE || at->type == XML_CDATA_SECTION_NODE) && at->content)
            text += reinterpret_cast<const char *>(at->content);
    }
    return QString::fromUtf8(text).simplified();
}

// The same with a blank between the texts of different nodes: a shown address
// and the date beside it are separate spans without a blank between them.
QString spacedTextOf(xmlNode *node)
{
    QByteArray text;
    for (xmlNode *at = node; at; at = nextNode(at, node, !isOpaque(at))) {
        if ((at->type == XML_TEXT_NODE || at->type == XML_CDATA_SECTION_NODE) && at->content)
            text += reinterpret_cast<const char *>(at->content) + QByteArray(" ");
    }
    return QString::fromUtf8(text).simplified();
}

xmlNode *firstElement(xmlNode *block, bool mobile, const std::function<bool(const xmlNode *)> &wanted)
{
    for (xmlNode *at = block->children; at; at = nextNode(at, block, entersWithinBlock(at, block, mobile))) {
        if (isElement(at) && entersWithinBlock(at, block, mobile) && wanted(at))
            return at;
    }
    return nullptr;
}

bool isAbsoluteWebAddress(const QString &address)
{
    return address.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           address.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

// An address's host (lower case) and what follows it; a relative or
// protocol-relative link has the host it names, or none.
struct AddressParts
{
    QString host;
    QString rest; // path, query and fragment as written
};

AddressParts addressParts(const QString &address)
{
    QString text = address.trimmed();
    AddressParts parts;
    const int scheme = text.indexOf(QLatin1String("://"));
    if (scheme >= 0 && scheme < 10)
        text = text.mid(scheme + 3);
    else if (text.startsWith(QLatin1String("//")))
        text = text.mid(2);
    else if (text.startsWith(QLatin1Char('/')) || text.startsWith(QLatin1Char('?'))) {
        parts.rest = text;
        return parts;
    }
    int hostEnd = text.size();
    for (const QChar stop : {QLatin1Char('/'), QLatin1Char('?'), QLatin1Char('#')}) {
        const int at = text.indexOf(stop);
        if (at >= 0 && at < hostEnd)
            hostEnd = at;
    }
    parts.host = text.left(hostEnd).toLower();
    parts.rest = text.mid(hostEnd);
    return parts;
}

bool isBaiduHost(const QString &host)
{
    return host == kBaiduDomain || host.endsWith(QLatin1Char('.') + kBaiduDomain);
}

// A link into Baidu itself: relative, or on one of its hosts.
bool leadsIntoBaidu(const QString &link)
{
    const AddressParts parts = addressParts(link);
    return parts.host.isEmpty() || isBaiduHost(parts.host);
}

bool isAdLink(const QString &link)
{
    if (link.isEmpty() || !leadsIntoBaidu(link))
        return false;
    const QString rest = addressParts(link).rest;
    for (const QString &script : kAdScripts) {
        if (rest.startsWith(script + QLatin1Char('?'), Qt::CaseInsensitive) ||
            rest.compare(script, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool isTranscodeLink(const QString &link)
{
    return leadsIntoBaidu(link) && link.contains(QLatin1String(kTranscodePath));
}

// A link that leads nowhere: empty, "#" or a script.
bool leadsNowhere(const QString &href)
{
    return href.isEmpty() || href == QLatin1String("#") ||
           href.startsWith(QLatin1String("javascript:"), Qt::CaseInsensitive);
}

// A link to one of Baidu's own search pages ("/s?wd=…"): a related search, not a page.
bool isSearchLink(const QString &link)
{
    if (!leadsIntoBaidu(link))
        return false;
    const QString rest = addressParts(link).rest;
    return rest.startsWith(QLatin1String("/s?")) &&
           (rest.contains(QLatin1String("wd=")) || rest.contains(QLatin1String("word=")));
}

// The address of a box, not of a page: "http://28339.sigma.baidu.com",
// "http://34689.recommend_list.baidu.com" (Baidu's number of the box first).
bool isBoxAddress(const QString &address)
{
    const AddressParts parts = addressParts(address);
    if (!isBaiduHost(parts.host) || (parts.rest.size() > 1))
        return false;
    const QString first = parts.host.section(QLatin1Char('.'), 0, 0);
    bool number = false;
    first.toLongLong(&number);
    return number;
}

// Reads a JavaScript object literal as Baidu writes its data-log and
// data-tools attributes ({'mu':'…','order':'1'}, JSON, or bare keys) for the
// value of one top-level key; empty when it has none. Linear: nested values
// are skipped, quotes and escapes respected.
QString objectValue(const QByteArray &object, const QByteArray &wanted)
{
    const int size = object.size();
    int i = object.indexOf('{');
    if (i < 0)
        return QString();
    ++i;
    const auto skipBlanks = [&] {
        while (i < size && std::isspace(static_cast<unsigned char>(object.at(i))))
            ++i;
    };
    // A quoted text at i, unescaped; i ends after its closing quote.
    const auto quoted = [&] {
        const char quote = object.at(i++);
        QByteArray text;
        while (i < size && object.at(i) != quote) {
            if (object.at(i) == '\\' && i + 1 < size)
                ++i;
            text += object.at(i++);
        }
        ++i;
        return text;
    };
    while (i < size) {
        skipBlanks();
        if (i >= size || object.at(i) == '}')
            break;
        QByteArray key;
        if (object.at(i) == '\'' || object.at(i) == '"') {
            key = quoted();
        } else {
            while (i < size && object.at(i) != ':' && object.at(i) != ',' && object.at(i) != '}')
                key += object.at(i++);
            key = key.trimmed();
        }
        skipBlanks();
        if (i >= size || object.at(i) != ':') {
            // A key without a value: go on after it.
            if (i < size && object.at(i) == ',')
                ++i;
            continue;
        }
        ++i;
        skipBlanks();
        if (i >= size)
            break;
        QByteArray value;
        const char first = object.at(i);
        if (first == '\'' || first == '"') {
            value = quoted();
        } else if (first == '{' || first == '[') {
            int depth = 0;
            char quote = 0;
            for (; i < size; ++i) {
                const char c = object.at(i);
                if (quote) {
                    if (c == '\\')
                        ++i;
                    else if (c == quote)
                        quote = 0;
                } else if (c == '\'' || c == '"') {
                    quote = c;
                } else if (c == '{' || c == '[') {
                    ++depth;
                } else if ((c == '}' || c == ']') && --depth == 0) {
                    ++i;
                    break;
                }
            }
        } else {
            while (i < size && object.at(i) != ',' && object.at(i) != '}')
                value += object.at(i++);
            value = value.trimmed();
        }
        if (key == wanted)
            return QString::fromUtf8(value).trimmed();
        skipBlanks();
        if (i < size && object.at(i) == ',')
            ++i;
    }
    return QString();
}

// The heading of a block, the anchor that carries its link, and whether that
// anchor is the heading's own (inside it) or one around it.
struct Heading
{
    xmlNode *element = nullptr;
    xmlNode *anchor = nullptr;
    bool ownLink = false;
    // No anchor: the card-wide link of a mobile result, if any.
    QString cardLink;
};

bool isBadge(xmlNode *anchor)
{
    const char *href = attribute(anchor, "href");
    return href && std::strstr(href, kBadgeHost);
}

// The first anchor below heading with text that is no badge; else its first anchor.
xmlNode *headingAnchor(xmlNode *heading)
{
    xmlNode *first = nullptr;
    for (xmlNode *at = heading->children; at; at = nextNode(at, heading, !isOpaque(at))) {
        if (!isElement(at, "a"))
            continue;
        if (!first)
            first = at;
        if (!isBadge(at) && !textOf(at).isEmpty())
            return at;
    }
    return first;
}

xmlNode *enclosingAnchor(xmlNode *node, const xmlNode *stop)
{
    for (xmlNode *at = node->parent; at && at != stop; at = at->parent) {
        if (isElement(at, "a"))
            return at;
    }
    return nullptr;
}

Heading headingOf(xmlNode *block, bool mobile)
{
    Heading heading;
    heading.element = firstElement(block, mobile, [](const xmlNode *at) { return isElement(at, "h3"); });
    for (const char *titleClass : {kTitleClass, kTitleTextClass}) {
        if (heading.element)
            break;
        heading.element = firstElement(
            block, mobile, [titleClass](const xmlNode *at) { return hasClassWord(at, titleClass); });
    }
    if (!heading.element)
        return heading;
    heading.anchor = headingAnchor(heading.element);
    heading.ownLink = heading.anchor != nullptr;
    if (!heading.anchor)
        heading.anchor = enclosingAnchor(heading.element, block->parent);
    if (!heading.anchor && mobile) {
        for (xmlNode *at = heading.element->parent; at && at != block->parent; at = at->parent) {
            const QString link = attributeText(at, kCardLinkAttribute);
            if (!link.isEmpty()) {
                heading.cardLink = link;
                break;
            }
        }
    }
    return heading;
}

QString headingText(const Heading &heading, bool mobile)
{
    if (mobile) {
        // The title element proper, without the icons and labels beside it.
        for (xmlNode *at = heading.element; at; at = nextNode(at, heading.element, !isOpaque(at))) {
            if (isElement(at) && hasClassWord(at, kTitleTextClass))
                return textOf(at);
        }
    }
    // An anchor around the heading shows the heading's text; one inside it shows its own.
    const bool around = heading.anchor && !heading.ownLink;
    return textOf(around || !heading.anchor ? heading.element : heading.anchor);
}

// Whether the anchor around a heading also holds the text beside it: a card-wide link.
bool holdsMoreThanHeading(xmlNode *anchor, const xmlNode *heading)
{
    for (xmlNode *at = anchor->children; at; at = nextNode(at, anchor, !isOpaque(at) && at != heading)) {
        if (at == heading)
            continue;
        if (at->type == XML_TEXT_NODE && at->content &&
            !QByteArray(reinterpret_cast<const char *>(at->content)).trimmed().isEmpty())
            return true;
    }
    return false;
}

QString dateToken(const QString &text)
{
    thread_local const QRegularExpression date(kDatePattern);
    const QRegularExpressionMatch match = date.match(text);
    return match.hasMatch() ? match.captured(0) : QString();
}

// A date span's text without the " - " that separates it from the abstract.
QString withoutSeparator(QString text)
{
    while (!text.isEmpty() && (text.endsWith(QLatin1Char('-')) || text.endsWith(QChar(0x2014)) ||
                               text.at(text.size() - 1).isSpace()))
        text.chop(1);
    return text;
}

QString textAfterLabel(const QString &text, const QStringList &labels)
{
    for (const QString &label : labels) {
        const int at = text.indexOf(label);
        if (at >= 0)
            return dateToken(text.mid(at + label.size()));
    }
    return QString();
}

// The first date shown in the siblings from first up to until (exclusive),
// outside the heading, in document order.
QString shownDate(xmlNode *first, const xmlNode *until, const xmlNode *heading, bool mobile)
{
    for (xmlNode *sibling = first; sibling && sibling != until; sibling = sibling->next) {
        for (xmlNode *at = sibling; at;) {
            bool descend = !isOpaque(at) && at != heading && !isBlock(at, mobile);
            if (isElement(at) && descend) {
                for (const QByteArray &dateClass : kDateOnlyClasses) {
                    if (classContains(at, dateClass)) {
                        const QString text = withoutSeparator(textOf(at));
                        if (!text.isEmpty())
                            return text;
                    }
                }
                // "发布于：2小时前": the label says what the eye sees beside it.
                const char *label = attribute(at, "aria-label");
                if (label && *label) {
                    const QString date = textAfterLabel(QString::fromUtf8(label), {kPublishedLabel});
                    if (!date.isEmpty())
                        return date;
                }
                for (const QByteArray &dateClass : kDateBearingClasses) {
                    if (hasClassWord(at, dateClass.constData())) {
                        const QString date = dateToken(spacedTextOf(at));
                        if (!date.isEmpty())
                            return date;
                        descend = false;
                        break;
                    }
                }
            } else if (at->type == XML_TEXT_NODE && at->content) {
                const QString text =
                    QString::fromUtf8(reinterpret_cast<const char *>(at->content)).simplified();
                const QString labelled = textAfterLabel(text, kTimeLabels);
                if (!labelled.isEmpty())
                    return labelled;
                const QString bare = withoutSeparator(text);
                if (!bare.isEmpty() && dateToken(bare) == bare)
                    return bare;
            }
            at = nextNode(at, sibling, descend);
        }
    }
    return QString();
}

// The block's shown address: the innermost c-showurl text (a c-showurl box
// may hold the address beside a date), or on newer pages its site link's text.
QString shownAddress(xmlNode *block, const xmlNode *heading, bool mobile)
{
    xmlNode *siteLink = nullptr;
    xmlNode *shown = nullptr;
    for (xmlNode *at = block->children; at;
         at = nextNode(at, block, entersWithinBlock(at, block, mobile) && at != heading)) {
        if (!isElement(at) || at == heading || !entersWithinBlock(at, block, mobile))
            continue;
        if (hasClassWord(at, "c-showurl")) {
            shown = at;
            break;
        }
        if (!siteLink && isElement(at, "a") && classContains(at, kSiteLinkClass))
            siteLink = at;
    }
    // Real pages nest two; a hostile page's nesting is not followed further.
    xmlNode *inner = shown;
    for (int level = 0; inner && level < 3; ++level) {
        shown = inner;
        inner = firstElement(shown, mobile, [](const xmlNode *at) { return hasClassWord(at, "c-showurl"); });
    }
    if (shown)
        return withoutSeparator(textOf(shown));
    return siteLink ? withoutSeparator(textOf(siteLink)) : QString();
}

bool isAdBlock(xmlNode *block, bool mobile)
{
    for (const QByteArray &adClass : kAdClasses) {
        if (classContains(block, adClass))
            return true;
    }
    for (xmlNode *at = block->children; at; at = nextNode(at, block, entersWithinBlock(at, block, mobile))) {
        if (isElement(at) && entersWithinBlock(at, block, mobile) && classContains(at, kAdLabelClass))
            return true;
    }
    return false;
}

bool hidesItself(const xmlNode *node)
{
    if (attribute(node, "hidden") || classContains(node, kHoneyJarClass))
        return true;
    const char *value = attribute(node, "style");
    if (!value || (!strcasestr(value, "none") && !strcasestr(value, "hidden")))
        return false;
    QByteArray style = QByteArray(value).toLower();
    style.replace(' ', QByteArray());
    return style.contains("display:none") || style.contains("visibility:hidden");
}

// Not displayed: the block or a parent up to the column says so.
bool isHidden(const xmlNode *block, const xmlNode *column)
{
    for (const xmlNode *at = block; at && at != column; at = at->parent) {
        if (isElement(at) && hidesItself(at))
            return true;
    }
    return false;
}

void addTarget(QStringList *targets, const QString &address)
{
    if (isAbsoluteWebAddress(address) && !isRedirectLink(address) && !isAdLink(address) &&
        !isPlaceholderAddress(address) && !targets->contains(address))
        targets->append(address);
}

// The target a mobile block states: its data-log's mu, or that of the first
// element below it that has one.
QString mobileStatedTarget(xmlNode *block)
{
    const QString own = objectValue(attributeBytes(block, "data-log"), "mu");
    if (!own.isEmpty())
        return own;
    for (xmlNode *at = block->children; at; at = nextNode(at, block, entersWithinBlock(at, block, true))) {
        if (!isElement(at) || !entersWithinBlock(at, block, true) || !attribute(at, "data-log"))
            continue;
        const QString mu = objectValue(attributeBytes(at, "data-log"), "mu");
        if (!mu.isEmpty())
            return mu;
    }
    return QString();
}

// headingLink states a target when it is the heading's own, or leads out of Baidu.
QStringList statedTargets(xmlNode *block, const QString &headingLink, bool ownLink, bool mobile)
{
    QStringList targets;
    if (mobile) {
        addTarget(&targets, mobileStatedTarget(block));
    } else {
        for (xmlNode *at = block; at; at = nextNode(at, block, entersWithinBlock(at, block))) {
            if (isElement(at) && entersWithinBlock(at, block) && attribute(at, "data-tools")) {
                addTarget(&targets, objectValue(attributeBytes(at, "data-tools"), "url"));
                break;
            }
        }
    }
    addTarget(&targets, attributeText(block, "mu"));
    if (!isTranscodeLink(headingLink) && (ownLink || !leadsIntoBaidu(headingLink)))
        addTarget(&targets, headingLink);
    return targets;
}

bool statesPage(const QStringList &targets)
{
    for (const QString &target : targets) {
        if (!isBoxAddress(target))
            return true;
    }
    return false;
}

// What a block of the result list is to a reader.
enum class BlockRole
{
    Result, // a result: its heading leads to a page
    Widget, // a tool, a box of searches or entities, an AI answer card
    Ad,
    Hidden,   // not displayed
    Headless, // no heading: markup the reader does not know
};

BlockRole readBlock(xmlNode *block, const xmlNode *column, bool mobile, ResultEntry *entry)
{
    if (isHidden(block, column))
        return BlockRole::Hidden;
    if (isAdBlock(block, mobile))
        return BlockRole::Ad;
    const Heading heading = headingOf(block, mobile);
    if (!heading.element)
        return BlockRole::Headless;
    const char *href = attribute(heading.anchor, "href");
    entry->headingText = headingText(heading, mobile);
    entry->headingLink = href ? QString::fromUtf8(href).trimmed() : heading.cardLink;
    entry->statedTargets = statedTargets(block, entry->headingLink, heading.ownLink, mobile);
    // A link around the heading may be card-wide: only the heading itself is left out.
    entry->shownDate = shownDate(block->children, nullptr, heading.element, mobile);
    entry->shownAddress = shownAddress(block, heading.element, mobile);

    if (isAdLink(entry->headingLink) || isAdLink(attributeText(block, "mu")) ||
        (mobile && isAdLink(mobileStatedTarget(block))))
        return BlockRole::Ad;
    if (kBoxHeadings.contains(entry->headingText))
        return BlockRole::Widget;
    const bool statesAPage = statesPage(entry->statedTargets);
    if (!heading.anchor) {
        // A mobile card linked as a whole; a heading without any link is a box.
        return heading.cardLink.isEmpty() ? BlockRole::Widget : BlockRole::Result;
    }
    if (!href) {
        // An anchor without href: older desktop pages write their links so;
        // on mobile pages only a block that states its page is one.
        return !mobile || statesAPage ? BlockRole::Result : BlockRole::Widget;
    }
    if (leadsNowhere(entry->headingLink))
        return BlockRole::Widget; // a tool such as the calculator
    if (!statesAPage && isSearchLink(entry->headingLink))
        return BlockRole::Widget;
    // An AI answer card: no link of its own, but a card-wide one into Baidu's service.
    if (!heading.ownLink && !statesAPage && leadsIntoBaidu(entry->headingLink) &&
        !isRedirectLink(entry->headingLink) && holdsMoreThanHeading(heading.anchor, heading.element))
        return BlockRole::Widget;
    return BlockRole::Result;
}

// Result blocks of the list in document order; ads and unnumbered desktop
// containers (an ad's empty id, a block's inner card) are passed over whole.
QList<xmlNode *> resultBlocks(xmlNode *column, bool mobile)
{
    QList<xmlNode *> blocks;
    for (xmlNode *at = column->children; at;) {
        bool descend = !isOpaque(at);
        if (mobile && isMobileBlock(at)) {
            blocks.append(at);
            // Blocks left unclosed hold the next ones.
            descend = descend && !isHidden(at, column);
        } else if (!mobile && isElement(at) && hasClassWord(at, kBlockClass)) {
            descend = descend && isNumberedBlock(at) && !classContains(at, kAdClasses.first());
            if (descend)
                blocks.append(at);
        }
        at = nextNode(at, column, descend);
    }
    return blocks;
}

// Pages in the older minimal form: every heading with an anchor is an entry,
// the anchor's href (if any) its link, outside ad containers.
QList<ResultEntry> headingEntries(xmlNode *column)
{
    QList<ResultEntry> entries;
    for (xmlNode *at = column->children; at && entries.size() < kMaxEntries;) {
        bool descend = !isOpaque(at);
        if (isElement(at) && classContains(at, kAdClasses.first())) {
            descend = false;
        } else if (isElement(at, "h3")) {
            Heading heading;
            heading.element = at;
            heading.anchor = headingAnchor(at);
            heading.ownLink = heading.anchor != nullptr;
            if (!heading.anchor)
                heading.anchor = enclosingAnchor(at, nullptr);
            const char *href = attribute(heading.anchor, "href");
            const QString link = href ? QString::fromUtf8(href).trimmed() : QString();
            if (heading.anchor && !isAdLink(link) && (!href || !leadsNowhere(link))) {
                ResultEntry entry;
                entry.headingText = headingText(heading, false);
                entry.headingLink = link;
                addTarget(&entry.statedTargets, link);
                // Without blocks, a heading's date follows it, up to the next heading.
                const xmlNode *next = at->next;
                while (next && !isElement(next, "h3"))
                    next = next->next;
                entry.shownDate = shownDate(at->next, next, nullptr, false);
                entries.append(entry);
            }
            descend = false;
        }
        at = nextNode(at, column, descend);
    }
    return entries;
}

bool isRelatedSearchLink(const xmlNode *anchor)
{
    for (const char *name : {"href", "data-url"}) {
        const char *value = attribute(anchor, name);
        if (value && (std::strstr(value, "wd=") || std::strstr(value, "word=")))
            return true;
    }
    return false;
}

// Texts of a related-search box: the links beside its label. Mobile pages put
// the label in the box's heading, a few levels below its links: they are
// looked for further up, but never beyond the result block that holds the
// label, nor in a box that holds the result list.
void collectRelated(xmlNode *label, const QSet<const xmlNode *> &aroundList, QStringList *related)
{
    xmlNode *box = label->parent ? label->parent : label;
    for (int level = 0; level < kRelatedBoxLevels && box && !aroundList.contains(box); ++level) {
        bool found = false;
        for (xmlNode *at = box->children; at; at = nextNode(at, box, !isOpaque(at))) {
            if (!isElement(at, "a") || !isRelatedSearchLink(at))
                continue;
            QString text = textOf(at);
            if (text.isEmpty())
                text = attributeText(at, "title").simplified();
            if (text.isEmpty())
                continue;
            found = true;
            if (!related->contains(text))
                related->append(text);
        }
        if (found || isNumberedBlock(box) || isMobileBlock(box))
            return;
        box = box->parent;
    }
}

bool isBlockTitle(const QString &title)
{
    for (const QString &blockTitle : kBlockTitles) {
        if (title.contains(blockTitle))
            return true;
    }
    return false;
}

// An element that loads or posts to a robot check's host or script.
bool linksRobotCheck(const xmlNode *node)
{
    for (const char *name : kLinkedAttributes) {
        const char *value = attribute(node, name);
        if (!value || !*value)
            continue;
        for (const QByteArray &marker : kRobotCheckMarkers) {
            if (std::strstr(value, marker.constData()))
                return true;
        }
    }
    return false;
}

// The page's text outside its result blocks, where Baidu says that it has nothing.
QByteArray textOutside(xmlNode *root, const QSet<const xmlNode *> &blocks)
{
    QByteArray text;
    for (xmlNode *at = root; at && text.size() < kMaxOutsideText;) {
        const bool descend = !isOpaque(at) && !blocks.contains(at);
        if ((at->type == XML_TEXT_NODE || at->type == XML_CDATA_SECTION_NODE) && at->content)
            text += reinterpret_cast<const char *>(at->content);
        at = nextNode(at, root, descend);
    }
    return text;
}

bool holdsNotFoundMarker(const QByteArray &text)
{
    for (const QByteArray &marker : kNotFoundMarkers) {
        if (text.contains(marker))
            return true;
    }
    return false;
}

// Whether the blocks' own text says that nothing was found.
bool saysNothingFound(const QList<xmlNode *> &blocks, bool mobile)
{
    QByteArray text;
    for (xmlNode *block : blocks) {
        for (xmlNode *at = block; at && text.size() < kMaxOutsideText;
             at = nextNode(at, block, entersWithinBlock(at, block, mobile))) {
            if ((at->type == XML_TEXT_NODE || at->type == XML_CDATA_SECTION_NODE) && at->content)
                text += reinterpret_cast<const char *>(at->content);
        }
    }
    return holdsNotFoundMarker(text);
}

// "host/path?query" with the host lower-cased, percent-encoding decoded, one
// trailing "/" of the path and the fragment dropped; the scheme goes.
QString addressKey(const QString &address)
{
    QString rest = address.trimmed();
    const int schemeEnd = rest.indexOf(QLatin1String("://"));
    const QStringRef scheme = rest.leftRef(qMax(0, schemeEnd));
    if (scheme.compare(QLatin1String("http"), Qt::CaseInsensitive) == 0 ||
        scheme.compare(QLatin1String("https"), Qt::CaseInsensitive) == 0)
        rest = rest.mid(schemeEnd + 3);
    const int fragment = rest.indexOf(QLatin1Char('#'));
    if (fragment >= 0)
        rest.truncate(fragment);
    int hostEnd = rest.size();
    for (const QChar stop : {QLatin1Char('/'), QLatin1Char('?')}) {
        const int at = rest.indexOf(stop);
        if (at >= 0 && at < hostEnd)
            hostEnd = at;
    }
    const int queryAt = rest.indexOf(QLatin1Char('?'), hostEnd);
    QString path = rest.mid(hostEnd, queryAt < 0 ? -1 : queryAt - hostEnd);
    const QString query = queryAt < 0 ? QString() : rest.mid(queryAt);
    if (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    const QString decoded = QUrl::fromPercentEncoding((path + query).toUtf8());
    return rest.left(hostEnd).toLower() + decoded;
}

} // namespace

bool isRedirectLink(const QString &link)
{
    return link.contains(QLatin1String(kRedirectPath), Qt::CaseInsensitive) || isTranscodeLink(link);
}

bool isPlaceholderAddress(const QString &address)
{
    return addressParts(address).host == kPlaceholderHost;
}

bool sameAddress(const QString &a, const QString &b)
{
    if (a.trimmed().isEmpty() || b.trimmed().isEmpty() || isPlaceholderAddress(a) || isPlaceholderAddress(b))
        return false;
    return addressKey(a) == addressKey(b);
}

ShownMatch matchShownAddress(const QString &shown, const QString &address)
{
    // The shown text may carry a date or a site name after a blank.
    QString text = shown.trimmed().section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
    text.replace(QChar(0x2026), QLatin1String("..."));
    const AddressParts parts = addressParts(text);
    const int cut = text.indexOf(QLatin1String("..."));
    const QString target = addressKey(address);
    const QString targetHost = addressParts(address).host;
    if (cut >= 0) {
        // Cut short: what stands before and after the cut must agree.
        const QString before = addressKey(text.left(cut));
        const QString after = text.mid(cut + 3);
        if (before.isEmpty() || !before.contains(QLatin1Char('.')))
            return ShownMatch::Unknown;
        return target.startsWith(before, Qt::CaseSensitive) && target.endsWith(after) ? ShownMatch::Possible
                                                                                      : ShownMatch::Other;
    }
    if (parts.host.isEmpty() || !parts.host.contains(QLatin1Char('.')) ||
        parts.host.contains(QLatin1Char(' ')))
        return ShownMatch::Unknown;
    for (const QChar c : parts.host) {
        if (c.unicode() > 0x7f)
            return ShownMatch::Unknown; // a site name, not a host
    }
    if (parts.host != targetHost)
        return ShownMatch::Other;
    // A host alone (as mobile pages show every result) may stand for any page
    // of it; with its "/" it is the site's first page, as a longer path is shown whole.
    if (parts.rest.isEmpty())
        return ShownMatch::Possible;
    return addressKey(text) == target ? ShownMatch::Same : ShownMatch::Other;
}

ResultPage readResultPage(const QByteArray &body, const QByteArray &contentType,
                          const std::atomic<bool> *abortFlag)
{
    ResultPage page;
    const PageText text = decodePageBody(markupOnly(body), contentType);
    if (!text.readable || aborted(abortFlag))
        return page;
    const Document document(htmlReadMemory(text.utf8.constData(), text.utf8.size(), nullptr, "UTF-8",
                                           HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                               HTML_PARSE_NONET | HTML_PARSE_COMPACT));
    if (!document || aborted(abortFlag))
        return page;
    xmlNode *root = xmlDocGetRootElement(document.get());
    if (!root)
        return page;

    // One walk for what the whole page tells: title, result list, related-search
    // labels, what a robot check loads.
    xmlNode *column = nullptr;
    xmlNode *mobileList = nullptr;
    bool anyMobileBlock = false;
    bool robotCheckLinks = false;
    QList<xmlNode *> relatedLabels;
    QList<xmlNode *> alsoSearchedLabels;
    for (xmlNode *at = root; at; at = nextNode(at, root, !isOpaque(at))) {
        if (isElement(at, "title") && page.title.isEmpty()) {
            page.title = textOf(at);
        } else if (isElement(at)) {
            const char *id = attribute(at, "id");
            if (id && !column && std::strcmp(id, kLeftColumnId) == 0)
                column = at;
            else if (id && !mobileList && std::strcmp(id, kMobileListId) == 0)
                mobileList = at;
            anyMobileBlock = anyMobileBlock || hasClassWord(at, kMobileBlockClass);
            robotCheckLinks = robotCheckLinks || linksRobotCheck(at);
        } else if (at->type == XML_TEXT_NODE && at->content && at->parent && !isOpaque(at->parent) &&
                   std::strlen(reinterpret_cast<const char *>(at->content)) < 64) {
            const QString label = QString::fromUtf8(reinterpret_cast<const char *>(at->content)).trimmed();
            if (label == kRelatedLabel)
                relatedLabels.append(at->parent);
            else if (kAlsoSearchedLabels.contains(label))
                alsoSearchedLabels.append(at->parent);
        }
    }
    if (aborted(abortFlag))
        return page;

    if (kRobotCheckTitles.contains(page.title)) {
        page.kind = PageKind::Blocked;
        page.robotCheck = true;
        return page;
    }
    page.mobile = !column && (mobileList || anyMobileBlock);
    xmlNode *list = column ? column : page.mobile && mobileList ? mobileList : root;
    const QList<xmlNode *> blocks = resultBlocks(list, page.mobile);
    QSet<const xmlNode *> aroundList;
    const xmlNode *const lists[] = {column, mobileList, blocks.isEmpty() ? nullptr : blocks.first()->parent};
    for (const xmlNode *held : lists) {
        for (const xmlNode *at = held; at; at = at->parent)
            aroundList.insert(at);
    }
    for (xmlNode *label : relatedLabels.mid(0, kMaxRelatedLabels))
        collectRelated(label, aroundList, &page.relatedSearches);
    for (xmlNode *label : alsoSearchedLabels.mid(0, kMaxRelatedLabels))
        collectRelated(label, aroundList, &page.alsoSearched);
    // A page that holds no results but loads a robot check's scripts or posts to
    // its host is one, whatever its title says (or fails to say); so is a page
    // without results that the block page's title names.
    const bool container = column || mobileList || !blocks.isEmpty();
    if (!container && (robotCheckLinks || isBlockTitle(page.title))) {
        page.kind = PageKind::Blocked;
        page.robotCheck = robotCheckLinks && !isBlockTitle(page.title);
        return page;
    }
    const QSet<const xmlNode *> blockSet(blocks.cbegin(), blocks.cend());
    if (holdsNotFoundMarker(textOutside(root, blockSet))) {
        page.kind = PageKind::NotFound;
        return page;
    }
    page.kind = PageKind::Results;
    if (aborted(abortFlag))
        return page;

    if (blocks.isEmpty()) {
        page.entries = headingEntries(list);
        page.layoutUnknown = page.entries.isEmpty();
    } else {
        bool headed = false;
        QList<xmlNode *> shown;
        for (xmlNode *block : blocks) {
            if (page.entries.size() == kMaxEntries)
                break;
            ResultEntry entry;
            const BlockRole role = readBlock(block, list, page.mobile, &entry);
            headed = headed || (role != BlockRole::Headless && role != BlockRole::Hidden);
            if (role == BlockRole::Result)
                page.entries.append(entry);
            if (role != BlockRole::Hidden)
                shown.append(block);
        }
        page.layoutUnknown = !headed;
        // A page without a result may say that it has none inside a block of its own.
        if (page.entries.isEmpty() && saysNothingFound(shown, page.mobile)) {
            page.kind = PageKind::NotFound;
            page.layoutUnknown = false;
        }
    }
    for (int i = 0; i < page.entries.size(); ++i)
        page.entries[i].position = i + 1;
    return page;
}

SerpEntry serpEntryOf(const ResultEntry &entry, int before)
{
    SerpEntry kept{before + entry.position, entry.headingText, entry.shownAddress, QString(), 0};
    for (const QString &target : entry.statedTargets) {
        if (!isPlaceholderAddress(target)) {
            kept.address = target;
            break;
        }
    }
    return kept;
}
