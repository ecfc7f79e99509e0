#include "search/resultpage.h"

#include "search/pagetext.h"

#include <QRegularExpression>

#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <cctype>
#include <cstring>
#include <memory>

namespace {

constexpr char kLeftColumnId[] = "content_left";
constexpr char kBlockClass[] = "c-container";
constexpr char kTitleClass[] = "c-title";
// Newer pages show a result's site in a link whose class begins so (siteLink_9TPP3).
const QByteArray kSiteLinkClass = QByteArrayLiteral("sitelink");
// Ads: Baidu's own class for them and its ad click links.
constexpr char kAdClass[] = "ec_result";
constexpr char kAdLink[] = "baidu.php";
constexpr char kRedirectPath[] = "/link?url=";
// Trust marks linked inside a heading ("官方", "保障"), not part of its text.
constexpr char kBadgeHost[] = "trust.baidu.com";

const QList<QByteArray> kNotFoundMarkers{QByteArrayLiteral("没有找到该URL"),
                                         QByteArrayLiteral("百度为您找到相关结果约0个"),
                                         QByteArrayLiteral("很抱歉，没有找到与")};
// Titles of Baidu's robot check and of the block page it serves with status 200.
const QStringList kBlockTitles{QStringLiteral("百度安全验证"), QStringLiteral("页面不存在")};
const QString kRelatedLabel = QStringLiteral("相关搜索");
const QString kAlsoSearchedLabel = QStringLiteral("大家还在搜");
const QString kPublishedLabel = QStringLiteral("发布于");
const QStringList kTimeLabels{QStringLiteral("回答时间"), QStringLiteral("发布时间"),
                              QStringLiteral("时间：")};

// Classes of the spans that hold nothing but a date (the separator aside).
const QList<QByteArray> kDateOnlyClasses{QByteArrayLiteral("newTimeFactor_before_abs")};
// Classes of short grey texts that may hold a date beside other words.
const QList<QByteArray> kDateBearingClasses{QByteArrayLiteral("c-color-gray2"),
                                            QByteArrayLiteral("c-color-gray"), QByteArrayLiteral("c-gray"),
                                            QByteArrayLiteral("c-showurl")};

// The date forms Baidu shows, standing apart from addresses and numbers around them.
const QString kDatePattern = QStringLiteral(
    "(?<![0-9A-Za-z/._-])(?:\\d{4}\\s*年\\s*\\d{1,2}\\s*月\\s*\\d{1,2}\\s*日|\\d{4}-\\d{1,2}-\\d{1,2}|"
    "\\d{4}/\\d{1,2}/\\d{1,2}|\\d{4}\\.\\d{1,2}\\.\\d{1,2}|\\d+\\s*(?:秒|分钟|小时|天|周|个月)前|"
    "(?:昨天|前天|今天)(?:\\s*\\d{1,2}:\\d{2})?|\\d{1,2}月\\d{1,2}日)(?![0-9A-Za-z/])");

// Scripts, styles and comments are most of a Baidu page (the 2022 page: 580 of
// 740 KB) and hold no entry; they are cut before parsing, and the markup left
// is read only this far, so a hostile page costs bounded time. Real pages
// leave about 160 KB.
constexpr int kMaxMarkupBytes = 1024 * 1024;

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

bool classContains(const xmlNode *node, const QByteArray &part)
{
    const char *value = attribute(node, "class");
    return value && QByteArray(value).toLower().contains(part.toLower());
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

// Whether a walk over block's own content enters at: a block left unclosed
// holds the blocks after it, which are entries of their own.
bool entersWithinBlock(const xmlNode *at, const xmlNode *block)
{
    return !isOpaque(at) && (at == block || !isNumberedBlock(at));
}

// The visible text below node: no comments, scripts or styles; blanks collapsed.
QString textOf(xmlNode *node)
{
    QByteArray text;
    for (xmlNode *at = node; at; at = nextNode(at, node, !isOpaque(at))) {
        if ((at->type == XML_TEXT_NODE || at->type == XML_CDATA_SECTION_NODE) && at->content)
            text += reinterpret_cast<const char *>(at->content);
    }
    return QString::fromUtf8(text).simplified();
}

xmlNode *firstElement(xmlNode *block, const char *name)
{
    for (xmlNode *at = block->children; at; at = nextNode(at, block, entersWithinBlock(at, block))) {
        if (isElement(at, name) && entersWithinBlock(at, block))
            return at;
    }
    return nullptr;
}

bool isAbsoluteWebAddress(const QString &address)
{
    return address.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           address.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

bool isAdLink(const QString &link)
{
    return link.contains(QLatin1String(kAdLink), Qt::CaseInsensitive);
}

// The value of the "url" key of a data-tools attribute, which Baidu writes as
// JSON, as a JavaScript object with single quotes, or with bare keys.
QString dataToolsUrl(const QByteArray &tools)
{
    for (int at = tools.indexOf("url"); at >= 0; at = tools.indexOf("url", at + 3)) {
        const char before = at > 0 ? tools.at(at - 1) : '{';
        if (!std::strchr("{,'\" \t\r\n", before))
            continue;
        int i = at + 3;
        if (i < tools.size() && (tools.at(i) == '\'' || tools.at(i) == '"'))
            ++i;
        while (i < tools.size() && std::isspace(static_cast<unsigned char>(tools.at(i))))
            ++i;
        if (i >= tools.size() || tools.at(i) != ':')
            continue;
        ++i;
        while (i < tools.size() && std::isspace(static_cast<unsigned char>(tools.at(i))))
            ++i;
        if (i >= tools.size() || (tools.at(i) != '\'' && tools.at(i) != '"'))
            continue;
        const char quote = tools.at(i);
        const int end = tools.indexOf(quote, i + 1);
        if (end < 0)
            return QString();
        QByteArray value = tools.mid(i + 1, end - i - 1);
        value.replace("\\/", "/");
        return QString::fromUtf8(value).trimmed();
    }
    return QString();
}

// The heading of a block, the anchor that carries its link, and whether the
// anchor is around the heading.
struct Heading
{
    xmlNode *element = nullptr;
    xmlNode *anchor = nullptr;
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

Heading headingOf(xmlNode *block)
{
    Heading heading;
    heading.element = firstElement(block, "h3");
    if (!heading.element) {
        for (xmlNode *at = block->children; at; at = nextNode(at, block, entersWithinBlock(at, block))) {
            if (isElement(at) && hasClassWord(at, kTitleClass) && entersWithinBlock(at, block)) {
                heading.element = at;
                break;
            }
        }
    }
    if (!heading.element)
        return heading;
    heading.anchor = headingAnchor(heading.element);
    if (!heading.anchor)
        heading.anchor = enclosingAnchor(heading.element, block->parent);
    return heading;
}

QString headingText(const Heading &heading)
{
    // An anchor around the heading shows the heading's text; one inside it shows its own.
    const bool around = heading.anchor && heading.element && heading.anchor != heading.element &&
                        enclosingAnchor(heading.element, nullptr) == heading.anchor;
    return textOf(around || !heading.anchor ? heading.element : heading.anchor);
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
QString shownDate(xmlNode *first, const xmlNode *until, const xmlNode *heading)
{
    for (xmlNode *sibling = first; sibling && sibling != until; sibling = sibling->next) {
        for (xmlNode *at = sibling; at;) {
            bool descend = !isOpaque(at) && at != heading && !isNumberedBlock(at);
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
                        const QString date = dateToken(textOf(at));
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

// The block's shown address: the c-showurl text, or on newer pages the text of its site link.
QString shownAddress(xmlNode *block, const xmlNode *heading)
{
    xmlNode *siteLink = nullptr;
    for (xmlNode *at = block->children; at;
         at = nextNode(at, block, entersWithinBlock(at, block) && at != heading)) {
        if (!isElement(at) || at == heading || !entersWithinBlock(at, block))
            continue;
        if (hasClassWord(at, "c-showurl"))
            return withoutSeparator(textOf(at));
        if (!siteLink && isElement(at, "a") && classContains(at, kSiteLinkClass))
            siteLink = at;
    }
    return siteLink ? withoutSeparator(textOf(siteLink)) : QString();
}

QStringList statedTargets(xmlNode *block, const QString &headingLink)
{
    QStringList targets;
    const auto add = [&targets](const QString &address) {
        if (isAbsoluteWebAddress(address) && !isRedirectLink(address) && !isAdLink(address) &&
            !targets.contains(address))
            targets.append(address);
    };
    for (xmlNode *at = block; at; at = nextNode(at, block, entersWithinBlock(at, block))) {
        if (isElement(at) && entersWithinBlock(at, block) && attribute(at, "data-tools")) {
            add(dataToolsUrl(attributeBytes(at, "data-tools")));
            break;
        }
    }
    add(QString::fromUtf8(attributeBytes(block, "mu")).trimmed());
    add(headingLink.trimmed());
    return targets;
}

bool isAdBlock(const xmlNode *block)
{
    return classContains(block, kAdClass);
}

// Numbered result blocks of the column in document order; ads and unnumbered
// containers (an ad's empty id, a block's inner card) are passed over whole.
QList<xmlNode *> resultBlocks(xmlNode *column)
{
    QList<xmlNode *> blocks;
    for (xmlNode *at = column->children; at;) {
        bool descend = !isOpaque(at);
        if (isElement(at) && (hasClassWord(at, kBlockClass) || isAdBlock(at))) {
            // Blocks left unclosed hold the next ones: look inside numbered blocks too.
            descend = descend && isNumberedBlock(at) && !isAdBlock(at);
            if (descend)
                blocks.append(at);
        }
        at = nextNode(at, column, descend);
    }
    return blocks;
}

ResultEntry entryOf(xmlNode *block, const Heading &heading)
{
    ResultEntry entry;
    entry.headingText = headingText(heading);
    entry.headingLink = QString::fromUtf8(attributeBytes(heading.anchor, "href")).trimmed();
    entry.statedTargets = statedTargets(block, entry.headingLink);
    const xmlNode *skipped = heading.anchor && enclosingAnchor(heading.element, nullptr) == heading.anchor
                                 ? heading.anchor
                                 : heading.element;
    entry.shownDate = shownDate(block->children, nullptr, skipped);
    entry.shownAddress = shownAddress(block, skipped);
    return entry;
}

// Pages in the older minimal form: every heading with an anchor is an entry,
// the anchor's href (if any) its link, outside ad containers.
QList<ResultEntry> headingEntries(xmlNode *column)
{
    QList<ResultEntry> entries;
    for (xmlNode *at = column->children; at && entries.size() < kMaxEntries;) {
        bool descend = !isOpaque(at);
        if (isElement(at) && isAdBlock(at)) {
            descend = false;
        } else if (isElement(at, "h3")) {
            Heading heading;
            heading.element = at;
            heading.anchor = headingAnchor(at);
            if (!heading.anchor)
                heading.anchor = enclosingAnchor(at, nullptr);
            if (heading.anchor && !isAdLink(QString::fromUtf8(attributeBytes(heading.anchor, "href")))) {
                ResultEntry entry = entryOf(at, heading);
                // Without blocks, a heading's date follows it, up to the next heading.
                const xmlNode *next = at->next;
                while (next && !isElement(next, "h3"))
                    next = next->next;
                entry.shownDate = shownDate(at->next, next, nullptr);
                entries.append(entry);
            }
            descend = false;
        }
        at = nextNode(at, column, descend);
    }
    return entries;
}

// Texts of the related-search boxes: the links beside each box's label.
void collectRelated(xmlNode *label, QStringList *related)
{
    xmlNode *box = label->parent ? label->parent : label;
    for (xmlNode *at = box->children; at; at = nextNode(at, box, !isOpaque(at))) {
        if (!isElement(at, "a"))
            continue;
        const char *href = attribute(at, "href");
        if (!href || !std::strstr(href, "wd="))
            continue;
        QString text = textOf(at);
        if (text.isEmpty())
            text = QString::fromUtf8(attributeBytes(at, "title")).simplified();
        if (!text.isEmpty() && !related->contains(text))
            related->append(text);
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

} // namespace

namespace {

// "host/path" with the host lower-cased and a bare host's "/" dropped; the scheme goes.
QString addressKey(const QString &address)
{
    QString rest = address.trimmed();
    const int schemeEnd = rest.indexOf(QLatin1String("://"));
    const QStringRef scheme = rest.leftRef(qMax(0, schemeEnd));
    if (scheme.compare(QLatin1String("http"), Qt::CaseInsensitive) == 0 ||
        scheme.compare(QLatin1String("https"), Qt::CaseInsensitive) == 0)
        rest = rest.mid(schemeEnd + 3);
    int hostEnd = rest.indexOf(QLatin1Char('/'));
    for (const QChar stop : {QLatin1Char('?'), QLatin1Char('#')}) {
        const int at = rest.indexOf(stop);
        if (at >= 0 && (hostEnd < 0 || at < hostEnd))
            hostEnd = at;
    }
    if (hostEnd < 0)
        return rest.toLower();
    QString path = rest.mid(hostEnd);
    if (path == QLatin1String("/"))
        path.clear();
    return rest.left(hostEnd).toLower() + path;
}

} // namespace

bool sameAddress(const QString &a, const QString &b)
{
    return !a.isEmpty() && !b.isEmpty() && addressKey(a) == addressKey(b);
}

bool isRedirectLink(const QString &link)
{
    return link.contains(QLatin1String(kRedirectPath), Qt::CaseInsensitive);
}

PageKind kindOfPageText(const QByteArray &utf8, const QList<QByteArray> &notFoundMarkers)
{
    const int open = utf8.indexOf("<title");
    if (open >= 0) {
        const int start = utf8.indexOf('>', open);
        const int close = start < 0 ? -1 : utf8.indexOf("</title>", start);
        if (close > start && isBlockTitle(QString::fromUtf8(utf8.mid(start + 1, close - start - 1))))
            return PageKind::Blocked;
    }
    for (const QByteArray &marker : notFoundMarkers) {
        if (utf8.contains(marker))
            return PageKind::NotFound;
    }
    return PageKind::Results;
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

    // One walk for what the whole page tells: title, left column, related-search labels.
    xmlNode *column = nullptr;
    for (xmlNode *at = root; at; at = nextNode(at, root, !isOpaque(at))) {
        if (isElement(at, "title") && page.title.isEmpty()) {
            page.title = textOf(at);
        } else if (isElement(at) && !column) {
            const char *id = attribute(at, "id");
            if (id && std::strcmp(id, kLeftColumnId) == 0)
                column = at;
        } else if (at->type == XML_TEXT_NODE && at->content && at->parent &&
                   std::strlen(reinterpret_cast<const char *>(at->content)) < 64) {
            const QString label = QString::fromUtf8(reinterpret_cast<const char *>(at->content)).trimmed();
            if (label == kRelatedLabel)
                collectRelated(at->parent, &page.relatedSearches);
            else if (label == kAlsoSearchedLabel)
                collectRelated(at->parent, &page.alsoSearched);
        }
    }
    if (aborted(abortFlag))
        return page;

    if (isBlockTitle(page.title)) {
        page.kind = PageKind::Blocked;
        return page;
    }
    for (const QByteArray &marker : kNotFoundMarkers) {
        if (text.utf8.contains(marker)) {
            page.kind = PageKind::NotFound;
            return page;
        }
    }
    page.kind = PageKind::Results;

    if (!column)
        column = root;
    const QList<xmlNode *> blocks = resultBlocks(column);
    if (blocks.isEmpty()) {
        page.entries = headingEntries(column);
    } else {
        for (xmlNode *block : blocks) {
            if (page.entries.size() == kMaxEntries)
                break;
            const Heading heading = headingOf(block);
            if (!heading.anchor)
                continue; // a widget: no heading link, no result
            ResultEntry entry = entryOf(block, heading);
            if (isAdLink(entry.headingLink))
                continue;
            page.entries.append(entry);
        }
    }
    for (int i = 0; i < page.entries.size(); ++i)
        page.entries[i].position = i + 1;
    return page;
}
