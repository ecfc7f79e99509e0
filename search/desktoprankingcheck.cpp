#include "desktoprankingcheck.h"

#include "desktopinclusioncheck.h"
#include "pagefetcher.h"
#include "resultstrings.h"

#include <QRegExp>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const QString kHttp = QStringLiteral("http");
const QString kNotRankable = QStringLiteral("网址须以 http 开头");
const QString kHttpScheme = QStringLiteral("http://");
// Thirty results on one page.
const QByteArray kThirtyResults = QByteArrayLiteral("&rn=30");

const QString kEmOpen = QStringLiteral("<em>");
const QString kEmClose = QStringLiteral("</em>");
const QString kEllipsis = QStringLiteral("...");
const QString kHeadingPattern = QStringLiteral("<h3 class=\"(.*)\"><a(.*)>(.*)</a></h3>");
const QString kHrefPattern = QStringLiteral("href = \"(.*)\"");
// A link text dropped by the title filter; never a redirect link, never an address.
const QString kDroppedLink = QStringLiteral("0");

// Where a redirect answer's script or meta refresh is looked for.
constexpr int kRefreshSearchBytes = 64 * 1024;
constexpr char kLocationReplace[] = "location.replace(";
constexpr char kRefreshEquiv[] = "http-equiv=\"refresh\"";
constexpr char kRefreshUrl[] = "url=";

// Headings further than this from the page's title are not the page.
constexpr int kMaxTitleDistance = 20;

QRegExp minimalPattern(const QString &pattern)
{
    QRegExp expression(pattern, Qt::CaseSensitive, QRegExp::RegExp);
    expression.setMinimal(true);
    return expression;
}

struct Heading
{
    QString text;
    QString link;
};

// Every heading of the keyword page, in page order; each scan resumes after the previous match.
std::vector<Heading> scanHeadings(const QString &text)
{
    std::vector<Heading> headings;
    QRegExp heading = minimalPattern(kHeadingPattern);
    int offset = 0;
    while ((offset = heading.indexIn(text, offset)) >= 0) {
        QString headingText = heading.cap(3);
        headingText.remove(kEllipsis, Qt::CaseSensitive);
        headings.push_back({headingText, heading.cap(2)});
        // An empty match cannot happen (the pattern has fixed text), so this always advances.
        offset += heading.matchedLength();
    }
    return headings;
}

// The redirect prefix without its scheme: Baidu writes its links with either.
bool isBaiduRedirect(const QString &link, const SearchEndpoints &endpoints)
{
    QString prefix = QString::fromUtf8(endpoints.redirectLink);
    prefix.remove(QRegularExpression(QStringLiteral("^[a-zA-Z]+://")));
    return link.contains(prefix, Qt::CaseInsensitive);
}

// The quoted text at offset, or up to the first blank or '>' when unquoted.
QString valueAt(const QByteArray &body, int offset)
{
    while (offset < body.size() && (body.at(offset) == ' ' || body.at(offset) == '('))
        ++offset;
    if (offset >= body.size())
        return QString();
    const char quote = body.at(offset);
    if (quote == '"' || quote == '\'') {
        const int end = body.indexOf(quote, offset + 1);
        return end < 0 ? QString() : QString::fromUtf8(body.mid(offset + 1, end - offset - 1)).trimmed();
    }
    int end = offset;
    while (end < body.size() && !std::strchr("\"'> ;)", body.at(end)))
        ++end;
    return QString::fromUtf8(body.mid(offset, end - offset)).trimmed();
}

// A 200 answer to a redirect link names its target in a script or a meta refresh.
QString refreshTarget(const QByteArray &answer)
{
    const QByteArray body = answer.left(kRefreshSearchBytes);
    const QByteArray lower = body.toLower();
    const int replace = lower.indexOf(kLocationReplace);
    if (replace >= 0)
        return valueAt(body, replace + int(sizeof(kLocationReplace)) - 1);
    const int refresh = lower.indexOf(kRefreshEquiv);
    if (refresh >= 0) {
        const int url = lower.indexOf(kRefreshUrl, refresh);
        if (url >= 0)
            return valueAt(body, url + int(sizeof(kRefreshUrl)) - 1);
    }
    return QString();
}

} // namespace

RankingLine splitRankingLine(const QString &line)
{
    RankingLine parts;
    const QStringList pieces = line.split(kHttp, Qt::KeepEmptyParts, Qt::CaseSensitive);
    if (pieces.size() > 1) {
        parts.keyword = pieces.at(0).trimmed();
        parts.address = kHttp % pieces.at(1).trimmed();
        return parts;
    }
    // "http" only in another letter case: cut there so the row shows what was
    // typed; the address then does not start with "http" and the checks report
    // the line as failed instead of ranking an address Baidu never returns.
    const int cut = line.indexOf(kHttp, 0, Qt::CaseInsensitive);
    if (cut < 0) {
        parts.keyword = line.trimmed();
        return parts;
    }
    parts.keyword = line.left(cut).trimmed();
    parts.address = line.mid(cut).trimmed();
    return parts;
}

bool isRankableAddress(const QString &address)
{
    return address.startsWith(kHttp, Qt::CaseSensitive);
}

bool fetchSiteAnswer(const RankingLine &parts, const QByteArray &prefix, const FetchProfile &profile,
                     const std::atomic<bool> *abortFlag, QByteArray *body, QString *failure)
{
    if (!isRankableAddress(parts.address)) {
        *failure = kNotRankable;
        return false;
    }
    FetchResult site = fetchPage(requestAddress(prefix, parts.address), profile, abortFlag);
    if (isUnusableSearchPage(site)) {
        *failure = unusablePageReason(site);
        return false;
    }
    *body = std::move(site.body);
    return true;
}

RankingResult rankingFailure(const RankingLine &parts, const QString &why)
{
    return RankingResult::failed(parts.keyword, parts.address, why);
}

int titleDistance(const QByteArray &a, const QByteArray &b)
{
    if (a.isEmpty())
        return b.size();
    if (b.isEmpty())
        return a.size();
    // Two rows of the table are enough: each row only reads the one above.
    std::vector<int> above(std::size_t(b.size()) + 1);
    std::vector<int> current(above.size());
    for (std::size_t column = 0; column < above.size(); ++column)
        above[column] = int(column);
    for (int row = 1; row <= a.size(); ++row) {
        current[0] = row;
        for (int column = 1; column <= b.size(); ++column) {
            const int substitution =
                above[std::size_t(column - 1)] + (a.at(row - 1) == b.at(column - 1) ? 0 : 1);
            current[std::size_t(column)] = std::min(
                {substitution, above[std::size_t(column)] + 1, current[std::size_t(column - 1)] + 1});
        }
        std::swap(above, current);
    }
    return above[std::size_t(b.size())];
}

QString resolveLink(const QString &link, const SearchEndpoints &endpoints, const std::atomic<bool> *abortFlag)
{
    if (!isBaiduRedirect(link, endpoints))
        return link;
    const FetchResult answer = fetchPage(link.toUtf8(), FetchProfile::LinkResolve, abortFlag);
    if (!answer.ok)
        return ResultText::kFailed;
    QString target = answer.redirectAddress;
    if (target.isEmpty() && answer.httpStatus >= 200 && answer.httpStatus <= 299)
        target = refreshTarget(answer.body);
    // No target named, or one that leads back into Baidu's redirects: a loop the answer cannot settle.
    if (target.isEmpty() || isBaiduRedirect(target, endpoints))
        return ResultText::kFailed;
    return target;
}

QString searchDesktopRank(const QString &keyword, const QString &title, const QString &address,
                          const QString &status, const SearchEndpoints &endpoints,
                          const std::atomic<bool> *abortFlag)
{
    if (status == ResultText::kNotIncluded)
        return ResultText::kPositionNotSearched;
    QString bareAddress = address;
    bareAddress.remove(kHttpScheme, Qt::CaseSensitive);

    const FetchResult page = fetchPage(requestAddress(endpoints.desktopSearch, keyword) + kThirtyResults,
                                       FetchProfile::RankingDesktop, abortFlag);
    // A robot check or an error page lists no results: "30+" would be a false answer.
    if (isUnusableSearchPage(page))
        return ResultText::kFailed;

    QString text = QString::fromUtf8(page.body.constData(), page.body.size());
    text.remove(kEmOpen, Qt::CaseSensitive);
    text.remove(kEmClose, Qt::CaseSensitive);
    std::vector<Heading> headings = scanHeadings(text);

    QString position;
    const QByteArray titleBytes = title.toUtf8();
    QRegExp href = minimalPattern(kHrefPattern);
    for (std::size_t i = 0; i < headings.size(); ++i) {
        Heading &heading = headings[i];
        const QByteArray headingBytes = heading.text.toUtf8();
        // The length difference bounds the distance from below; skip the table when it already decides.
        const int distance = std::abs(titleBytes.size() - headingBytes.size()) > kMaxTitleDistance
                                 ? kMaxTitleDistance + 1
                                 : titleDistance(titleBytes, headingBytes);
        if (distance > kMaxTitleDistance)
            heading.link = kDroppedLink;
        if (distance == 0)
            position = QString::number(i + 1);
        if (href.indexIn(heading.link, 0) >= 0)
            heading.link = href.cap(1);
    }

    // No early exit: the last heading whose link leads to the address wins.
    for (std::size_t i = 0; i < headings.size(); ++i) {
        QString resolved = resolveLink(headings[i].link, endpoints, abortFlag);
        resolved.remove(kHttpScheme, Qt::CaseSensitive);
        if (resolved == bareAddress)
            position = QString::number(i + 1);
    }
    return position.isEmpty() ? ResultText::kPositionBeyond : position;
}

RankingResult rankDesktop(const QString &line, const SearchContext &context,
                          const std::atomic<bool> *abortFlag)
{
    const RankingLine parts = splitRankingLine(line);
    QByteArray site;
    QString failure;
    if (!fetchSiteAnswer(parts, context.endpoints.desktopSearch, FetchProfile::RankingDesktop, abortFlag,
                         &site, &failure))
        return rankingFailure(parts, failure);
    const DesktopSiteVerdict verdict = judgeDesktopSitePage(site);
    const QString position = searchDesktopRank(parts.keyword, verdict.title, parts.address, verdict.status,
                                               context.endpoints, abortFlag);
    return {parts.keyword, parts.address, verdict.status, position, verdict.snapshot, QString()};
}
