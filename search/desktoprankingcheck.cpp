#include "search/desktoprankingcheck.h"

#include "search/desktopinclusioncheck.h"
#include "search/pagefetcher.h"
#include "search/resultpage.h"
#include "search/resultstrings.h"

#include <QStringList>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const QString kHttp = QStringLiteral("http");
const QString kHttps = QStringLiteral("https");
const QString kSchemeEnd = QStringLiteral("%1://");
const QString kNotRankable = QStringLiteral("网址须以 http 开头");
// Baidu's redirect link of a result did not say where it leads.
const QString kReasonUnreadLink = QStringLiteral("重定向无法读取");
const QString kCheckName = QStringLiteral("ranking");
const QString kSiteRequest = QStringLiteral("site");
const QString kKeywordRequest = QStringLiteral("keyword");
// Thirty results on one page.
const QByteArray kThirtyResults = QByteArrayLiteral("&rn=30");

const QString kEllipsis = QStringLiteral("...");

// Where a redirect answer's script or meta refresh is looked for.
constexpr int kRefreshSearchBytes = 64 * 1024;
constexpr char kLocationReplace[] = "location.replace(";
constexpr char kRefreshEquiv[] = "http-equiv=\"refresh\"";
constexpr char kRefreshUrl[] = "url=";

// Headings further than this from the page's title are not the page.
constexpr int kMaxTitleDistance = 20;
// A ranking is a position among Baidu's first 30 results.
constexpr int kMaxPosition = 30;

// An entry whose redirect link could lead to the address.
struct LinkCandidate
{
    int position;
    int distance;   // of its heading from the page's title
    bool showsHost; // it shows the address's host (or a cut-off part that agrees)
    QString link;
};

// The redirect prefix without its scheme: Baidu writes its links with either.
bool isBaiduRedirect(const QString &link, const SearchEndpoints &endpoints)
{
    QString prefix = QString::fromUtf8(endpoints.redirectLink);
    prefix.remove(0, prefix.indexOf(QLatin1String("://")) + 1);
    return !link.isEmpty() && link.contains(prefix, Qt::CaseInsensitive);
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
    // The address starts at the first "http://" or "https://" that follows a
    // blank (a keyword may hold one of its own), else at the first one at all.
    int cut = -1;
    for (int at = line.indexOf(kHttp, 0, Qt::CaseInsensitive); at >= 0;
         at = line.indexOf(kHttp, at + 1, Qt::CaseInsensitive)) {
        const QStringRef rest = line.midRef(at);
        if (!rest.startsWith(kSchemeEnd.arg(kHttp), Qt::CaseInsensitive) &&
            !rest.startsWith(kSchemeEnd.arg(kHttps), Qt::CaseInsensitive))
            continue;
        if (cut < 0)
            cut = at;
        if (at == 0 || line.at(at - 1).isSpace()) {
            cut = at;
            break;
        }
    }
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
                     const SearchContext &context, const std::atomic<bool> *abortFlag, FetchResult *answer,
                     QString *failure)
{
    if (!isRankableAddress(parts.address)) {
        *failure = kNotRankable;
        return false;
    }
    *answer = context.fetch(requestAddress(prefix, parts.address), profile, abortFlag);
    if (isUnusableSearchPage(*answer)) {
        *failure = unusablePageReason(*answer);
        return false;
    }
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

QString resolveLink(const QString &link, const SearchContext &context, const std::atomic<bool> *abortFlag)
{
    const SearchEndpoints &endpoints = context.endpoints;
    if (!isBaiduRedirect(link, endpoints))
        return link;
    const FetchResult answer = context.fetch(link.toUtf8(), FetchProfile::LinkResolve, abortFlag);
    // A robot check names no target, however it is sent.
    if (!answer.ok || isRobotCheckAnswer(answer))
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
                          const QString &status, const SearchContext &context,
                          const std::atomic<bool> *abortFlag, const QString &line, QString *failure,
                          SerpList *serp)
{
    if (status == ResultText::kNotIncluded)
        return ResultText::kPositionNotSearched;
    const SearchEndpoints &endpoints = context.endpoints;
    const auto failed = [&](const QString &reason, const QByteArray &body) {
        context.keepFailedPage(line.isEmpty() ? keyword + QLatin1Char(' ') + address : line, kCheckName,
                               kKeywordRequest, body);
        if (failure)
            *failure = reason;
        return ResultText::kFailed;
    };

    const FetchResult answer =
        context.fetch(requestAddress(endpoints.desktopSearch, keyword) + kThirtyResults,
                      FetchProfile::RankingDesktop, abortFlag);
    // A robot check or an error page lists no results: "30+" would be a false answer.
    if (isUnusableSearchPage(answer))
        return failed(unusablePageReason(answer), answer.body);
    const ResultPage page = context.readPage(answer, kCheckName, kKeywordRequest, abortFlag);
    if (page.kind == PageKind::NotFound)
        return ResultText::kPositionBeyond;
    const QString pageProblem = pageFailure(page);
    if (!pageProblem.isEmpty())
        return failed(pageProblem, answer.body);

    // Baidu cuts long headings with "...", on the keyword page and the site page alike.
    QString titleKey = title;
    titleKey.remove(kEllipsis);
    const QByteArray titleBytes = titleKey.toUtf8();
    SerpList seen;
    // The list as judged: the entries that are the address marked, addresses read on the way kept.
    const auto judged = [&](const QString &position) {
        if (serp) {
            for (SerpEntry &entry : seen) {
                if (QString::number(entry.position) == position ||
                    (!entry.address.isEmpty() && sameAddress(entry.address, address)))
                    entry.matches |= 1U;
            }
            *serp = seen;
        }
        return position;
    };
    QString placed;
    QString titlePosition;
    QList<LinkCandidate> candidates;
    for (const ResultEntry &entry : page.entries) {
        if (entry.position > kMaxPosition)
            break;
        seen.append(serpEntryOf(entry));
        const QString position = QString::number(entry.position);
        QString headingKey = entry.headingText;
        headingKey.remove(kEllipsis);
        const QByteArray headingBytes = headingKey.toUtf8();
        // The length difference bounds the distance from below; skip the table when it already decides.
        const int distance = std::abs(titleBytes.size() - headingBytes.size()) > kMaxTitleDistance
                                 ? kMaxTitleDistance + 1
                                 : titleDistance(titleBytes, headingBytes);
        // The last equal heading, when no address decides.
        if (distance == 0)
            titlePosition = position;
        // A target the page states is certain and costs no request; so is a whole shown address.
        if (!entry.statedTargets.isEmpty()) {
            for (const QString &target : entry.statedTargets) {
                if (sameAddress(target, address))
                    placed = position;
            }
            continue;
        }
        const ShownMatch shown = matchShownAddress(entry.shownAddress, address);
        if (shown == ShownMatch::Same)
            placed = position;
        if (shown == ShownMatch::Same || shown == ShownMatch::Other ||
            !isBaiduRedirect(entry.headingLink, endpoints))
            continue;
        if (shown == ShownMatch::Possible || distance <= kMaxTitleDistance)
            candidates.append({entry.position, distance, shown == ShownMatch::Possible, entry.headingLink});
    }
    if (!placed.isEmpty())
        return judged(placed);

    // Redirect links are read only where they could lead to the address: first
    // the entries showing its host, then, when neither they nor an equal
    // heading place the line, those showing no host; nearest heading first.
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const LinkCandidate &a, const LinkCandidate &b) {
                         if (a.showsHost != b.showsHost)
                             return a.showsHost;
                         if (a.distance != b.distance)
                             return a.distance < b.distance;
                         return a.position > b.position;
                     });
    bool unread = false;
    for (const LinkCandidate &candidate : qAsConst(candidates)) {
        if (!candidate.showsHost && !titlePosition.isEmpty())
            break;
        const QString resolved = resolveLink(candidate.link, context, abortFlag);
        if (resolved != ResultText::kFailed && candidate.position <= seen.size())
            seen[candidate.position - 1].address = resolved;
        if (resolved == ResultText::kFailed)
            unread = true;
        else if (sameAddress(resolved, address))
            return judged(QString::number(candidate.position));
        if (context.layoutDrifted())
            break;
    }
    if (!titlePosition.isEmpty())
        return judged(titlePosition);
    // An unread redirect link may have hidden the address.
    if (unread) {
        judged(QString());
        return failed(kReasonUnreadLink, answer.body);
    }
    return judged(ResultText::kPositionBeyond);
}

RankingResult rankDesktop(const QString &line, const SearchContext &context,
                          const std::atomic<bool> *abortFlag)
{
    const RankingLine parts = splitRankingLine(line);
    FetchResult site;
    QString failure;
    if (!fetchSiteAnswer(parts, context.endpoints.desktopSearch, FetchProfile::RankingDesktop, context,
                         abortFlag, &site, &failure)) {
        context.keepFailedPage(line, kCheckName, kSiteRequest, site.body);
        return rankingFailure(parts, failure);
    }
    const DesktopSiteVerdict verdict =
        judgeDesktopSitePage(context.readPage(site, kCheckName, kSiteRequest, abortFlag), QString());
    if (verdict.status == ResultText::kFailed) {
        context.keepFailedPage(line, kCheckName, kSiteRequest, site.body);
        return rankingFailure(parts, verdict.failure);
    }
    SerpList serp;
    const QString position = searchDesktopRank(parts.keyword, verdict.title, parts.address, verdict.status,
                                               context, abortFlag, line, &failure, &serp);
    return {parts.keyword, parts.address, verdict.status, position, verdict.snapshot, failure, serp};
}
