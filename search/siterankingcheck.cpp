#include "search/siterankingcheck.h"

#include "search/desktopinclusioncheck.h"
#include "search/desktoprankingcheck.h"
#include "search/mobileinclusioncheck.h"
#include "search/mobilerankingcheck.h"
#include "search/pagefetcher.h"
#include "search/resultpage.h"

#include "search/resultstrings.h"
#include <QHash>
#include <QList>
#include <QVector>

namespace {

const QString kCheckName = QStringLiteral("site-ranking");
const QString kKeywordRequest = QStringLiteral("keyword");
// Baidu's redirect link of a result did not say where it leads.
const QString kReasonUnreadLink = QStringLiteral("重定向无法读取");
const QByteArray kThirtyResults = QByteArrayLiteral("&rn=30");
constexpr int kMobilePages = 3;
constexpr int kMaxPosition = 30;

struct SiteHit
{
    int position;
    QString address;
    QString title;
};

SiteRankingResult failedKeyword(const QString &keyword, const QString &why, const QString &request,
                                const QByteArray &body, const SearchContext &context)
{
    context.keepFailedPage(keyword, kCheckName, request, body);
    return SiteRankingResult::failed(keyword, why);
}

SiteRankingResult fromHits(const QString &keyword, const QList<SiteHit> &hits)
{
    SiteRankingResult result;
    result.keyword = keyword;
    result.entries = hits.size();
    if (hits.isEmpty()) {
        result.position = ResultText::kPositionBeyond;
        return result;
    }
    result.position = QString::number(hits.first().position);
    result.address = hits.first().address;
    result.title = hits.first().title;
    for (int i = 1; i < hits.size(); ++i)
        result.otherPositions.append(hits.at(i).position);
    return result;
}

// What says whether an entry of a desktop page is the site's.
enum class SiteEvidence
{
    OnSite,      // it states or leads to an address on the site
    ShownOnSite, // it shows a host of the site
    Cut,         // it shows a host cut short, which may be the site's
    Unknown,     // it shows no host (a site name, nothing)
    Elsewhere,   // it states, shows or leads to another host
};

struct SiteEntry
{
    int position;
    QString address; // known for OnSite
    QString title;
    QString link;
    QString shown;
    SiteEvidence evidence;
};

// What a shown address text says of the site; an address cut short within its host may still be it.
SiteEvidence shownSiteEvidence(const QString &shown, const SiteRule &site)
{
    const QString host = SiteRule::hostOf(shown);
    if (!host.isEmpty())
        return site.matchesHost(host) ? SiteEvidence::ShownOnSite : SiteEvidence::Elsewhere;
    const QString first = shown.trimmed().section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
    const bool cut = first.contains(QLatin1String("...")) || first.contains(QChar(0x2026));
    const bool ascii = !first.isEmpty() && first.at(0).unicode() < 0x80;
    return cut && ascii && first.contains(QLatin1Char('.')) ? SiteEvidence::Cut : SiteEvidence::Unknown;
}

// The stated target that lies on the site, if any.
QString statedSiteAddress(const ResultEntry &entry, const SiteRule &site)
{
    for (const QString &target : entry.statedTargets) {
        if (site.matchesAddress(target))
            return target;
    }
    return QString();
}

} // namespace

namespace {

// Where every site of a run stands on one desktop keyword page. A redirect
// link is read at most once, whichever site wants it.
QList<SiteRankingResult> rankSitesOnDesktopPage(const QString &keyword, const QList<SiteRule> &sites,
                                                const ResultPage &page, const QByteArray &body,
                                                const SearchContext &context,
                                                const std::atomic<bool> *abortFlag, SerpList *serp)
{
    QList<const ResultEntry *> counted;
    for (const ResultEntry &entry : page.entries) {
        if (entry.position > kMaxPosition)
            break;
        counted.append(&entry);
        serp->append(serpEntryOf(entry));
    }
    QHash<int, QString> resolvedAt; // entry index -> target, or 异常
    const auto resolved = [&](int index) {
        auto known = resolvedAt.constFind(index);
        if (known != resolvedAt.cend())
            return *known;
        const QString target = resolveLink(counted.at(index)->headingLink, context, abortFlag);
        resolvedAt.insert(index, target);
        if (target != ResultText::kFailed && (*serp)[index].address.isEmpty())
            (*serp)[index].address = target;
        return target;
    };

    QList<SiteRankingResult> results;
    for (int s = 0; s < sites.size(); ++s) {
        const SiteRule &site = sites.at(s);
        // Each entry's address where the page states it; where it only shows it, the
        // shown host says whether it is the site's, and its redirect link is read
        // only when the address itself is wanted (the best position) or the host
        // was cut short. Entries that show no host are read only when nothing else
        // places the site.
        QList<SiteEntry> entries;
        for (const ResultEntry *entry : qAsConst(counted)) {
            SiteEntry seen{entry->position,    QString(),           entry->headingText,
                           entry->headingLink, entry->shownAddress, SiteEvidence::Unknown};
            if (!entry->statedTargets.isEmpty()) {
                seen.address = statedSiteAddress(*entry, site);
                seen.evidence = seen.address.isEmpty() ? SiteEvidence::Elsewhere : SiteEvidence::OnSite;
            } else if (!isRedirectLink(entry->headingLink)) {
                seen.evidence = SiteEvidence::Elsewhere;
            } else {
                seen.evidence = shownSiteEvidence(entry->shownAddress, site);
            }
            entries.append(seen);
        }
        bool unread = false;
        const auto read = [&](int index) {
            SiteEntry &entry = entries[index];
            const QString target = resolved(index);
            if (target == ResultText::kFailed) {
                unread = true;
                return;
            }
            const bool onSite = site.matchesAddress(target);
            entry.evidence = onSite ? SiteEvidence::OnSite : SiteEvidence::Elsewhere;
            entry.address = onSite ? target : QString();
        };
        for (int i = 0; i < entries.size(); ++i) {
            if (entries.at(i).evidence == SiteEvidence::Cut)
                read(i);
        }
        const auto onSite = [&entries] {
            for (const SiteEntry &entry : entries) {
                if (entry.evidence == SiteEvidence::OnSite || entry.evidence == SiteEvidence::ShownOnSite)
                    return true;
            }
            return false;
        };
        if (!onSite()) {
            for (int i = 0; i < entries.size(); ++i) {
                if (entries.at(i).evidence == SiteEvidence::Unknown && !context.layoutDrifted())
                    read(i);
            }
        }
        QList<SiteHit> hits;
        for (int i = 0; i < entries.size(); ++i) {
            SiteEntry &entry = entries[i];
            if (entry.evidence == SiteEvidence::ShownOnSite && hits.isEmpty()) {
                // The best position names its page: its link is read for the address.
                const QString target = resolved(i);
                entry.address =
                    target == ResultText::kFailed || !site.matchesAddress(target) ? entry.shown : target;
            }
            if (entry.evidence == SiteEvidence::OnSite || entry.evidence == SiteEvidence::ShownOnSite) {
                hits.append({entry.position, entry.address, entry.title});
                (*serp)[i].matches |= quint16(1U << s);
            }
        }
        // A link that could not be read may have been the site's only entry.
        if (hits.isEmpty() && unread)
            results.append(failedKeyword(keyword, kReasonUnreadLink, kKeywordRequest, body, context));
        else
            results.append(fromHits(keyword, hits));
    }
    return results;
}

// Every site of the run failed alike: the page could not be read.
SiteRankingResult failedForAll(const QList<SiteRule> &sites, const SiteRankingResult &failed)
{
    QList<SiteRankingResult> all;
    for (int s = 0; s < sites.size(); ++s)
        all.append(failed);
    return SiteRankingResult::joined(all);
}

} // namespace

SiteRankingResult rankSitesDesktop(const QString &keyword, const QList<SiteRule> &sites,
                                   const SearchContext &context, const std::atomic<bool> *abortFlag)
{
    const FetchResult answer =
        context.fetch(requestAddress(context.endpoints.desktopSearch, keyword) + kThirtyResults,
                      FetchProfile::RankingDesktop, abortFlag);
    if (isUnusableSearchPage(answer))
        return failedForAll(
            sites, failedKeyword(keyword, unusablePageReason(answer), kKeywordRequest, answer.body, context));
    const ResultPage page = context.readPage(answer, kCheckName, kKeywordRequest, abortFlag);
    if (page.kind == PageKind::NotFound)
        return failedForAll(sites, fromHits(keyword, {}));
    const QString problem = pageFailure(page);
    if (!problem.isEmpty())
        return failedForAll(sites, failedKeyword(keyword, problem, kKeywordRequest, answer.body, context));
    SerpList serp;
    SiteRankingResult result = SiteRankingResult::joined(
        rankSitesOnDesktopPage(keyword, sites, page, answer.body, context, abortFlag, &serp));
    result.serp = serp;
    return result;
}

SiteRankingResult rankSitesMobile(const QString &keyword, const QList<SiteRule> &sites,
                                  const SearchContext &context, const std::atomic<bool> *abortFlag)
{
    QVector<QList<SiteHit>> hits(sites.size());
    SerpList serp;
    int before = 0; // results shown on the pages before
    for (int page = 1; page <= kMobilePages && before < kMaxPosition; ++page) {
        const MobileResults results =
            fetchMobileResults(keyword, page, kCheckName, keyword, context, abortFlag);
        if (!results.answered)
            return failedForAll(sites, SiteRankingResult::failed(keyword, results.failure));
        if (results.notFound)
            break;
        for (const ResultEntry &entry : results.entries) {
            const int position = before + entry.position;
            if (position > kMaxPosition)
                continue;
            SerpEntry kept = serpEntryOf(entry, before);
            for (int s = 0; s < sites.size(); ++s) {
                const QString address = statedSiteAddress(entry, sites.at(s));
                if (address.isEmpty())
                    continue;
                hits[s].append(
                    {position, address,
                     entry.headingText.isEmpty() ? ResultText::kNoTitleMobile : entry.headingText});
                kept.matches |= quint16(1U << s);
            }
            serp.append(kept);
        }
        before += results.entries.size();
    }
    QList<SiteRankingResult> perSite;
    for (const QList<SiteHit> &siteHits : qAsConst(hits))
        perSite.append(fromHits(keyword, siteHits));
    SiteRankingResult result = SiteRankingResult::joined(perSite);
    result.serp = serp;
    return result;
}

SiteRankingResult rankSiteDesktop(const QString &keyword, const SiteRule &site, const SearchContext &context,
                                  const std::atomic<bool> *abortFlag)
{
    return rankSitesDesktop(keyword, {site}, context, abortFlag);
}

SiteRankingResult rankSiteMobile(const QString &keyword, const SiteRule &site, const SearchContext &context,
                                 const std::atomic<bool> *abortFlag)
{
    return rankSitesMobile(keyword, {site}, context, abortFlag);
}
