#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

#include <vector>

// One counted entry of the result page a ranking was judged on, as the
// user may want to compare it with what Baidu showed.
struct SerpEntry
{
    int position = 0;
    QString title;
    QString shown;   // the shown address text, as shown
    QString address; // stated by the page or read from its redirect link; empty when not known
    // Bit i: the entry is the asked address (ranking: bit 0) or stands on the run's site i.
    quint16 matches = 0;

    bool isMatch(int site = 0) const { return (matches >> site) & 1U; }
};
using SerpList = QList<SerpEntry>;

// One line's answer from an inclusion check, as it travels from the check
// through the workers to the window, the command and the report. Texts are
// the ones of resultstrings.h; nothing is joined or split on the way.
struct InclusionResult
{
    QString title;    // the first result's title; empty unless included
    QString address;  // the input line as the check received it
    QString status;   // 已收录, 未收录, 异常, or empty (mobile: first result without address)
    QString snapshot; // the first result's date; empty unless included
    // Why the status is 异常, for diagnostics; never shown in a cell.
    QString failure;

    static InclusionResult failed(const QString &address, const QString &why);

    bool isIncluded() const;
    bool isFailed() const;
    // The table row: 标题, 网址, 收录, 快照.
    QStringList cells() const;
};

// One line's answer from a ranking check.
struct RankingResult
{
    QString keyword;
    QString address;
    QString status;   // as InclusionResult::status
    QString position; // "1".."30", "30+", "--", "异常", or empty when the status is 异常
    QString snapshot;
    QString failure; // why the status or the position is 异常
    SerpList serp{}; // the keyword page's first 30 entries, when it was read

    static RankingResult failed(const QString &keyword, const QString &address, const QString &why);

    bool isIncluded() const;
    // The status or the position is 异常: the line got no verdict.
    bool isFailed() const;
    // The table row: 关键词, 网址, 收录, 排名, 快照.
    QStringList cells() const;
};

// One keyword's answer from the site ranking check: where the site's pages
// stand among the first 30 results.
struct SiteRankingResult
{
    QString keyword;
    QString position; // the best: "1".."30", "30+" or "异常"
    QString address;  // the site's page at that position
    QString title;    // its heading
    int entries = 0;  // the site's entries among the results
    QList<int> otherPositions;
    QString failure; // why the position is 异常
    SerpList serp;   // the keyword page's first 30 entries, when it was read
    // A run of several sites: where the second and later sites stand on the
    // same page (their own serp empty; this one's marks them all).
    std::vector<SiteRankingResult> otherSites;

    static SiteRankingResult failed(const QString &keyword, const QString &why);
    // Results for several sites, one per site, as one: the first carries the others.
    static SiteRankingResult joined(const QList<SiteRankingResult> &sites);
    // This site's result and the others', in site order.
    QList<SiteRankingResult> perSite() const;

    bool isFailed() const;
    // The best position as a number, 0 unless the site ranks.
    int bestPosition() const;
    // The table row: 关键词, 最佳排名, 排名网址, 标题, 数量, 其他排名 ("3, 17");
    // with other sites, 关键词 and a group of 最佳排名, 排名网址, 数量 per site.
    QStringList cells() const;
};

// Where a mined keyword came from.
enum class MiningSource
{
    Suggestion,   // 下拉联想: the search box's suggestions
    Related,      // 相关搜索: the block under the results
    AlsoSearched, // 大家还在搜: the box among the results
};

// One keyword found by the keyword mining.
struct MinedKeyword
{
    QString keyword;
    MiningSource source = MiningSource::Suggestion;
    QString seed; // the seed whose expansion led here
    int depth = 1;

    static QString sourceText(MiningSource source);
    // The table row: 关键词, 来源, 种子词, 层级.
    QStringList cells() const;
};

Q_DECLARE_METATYPE(SerpEntry)
Q_DECLARE_METATYPE(InclusionResult)
Q_DECLARE_METATYPE(RankingResult)
Q_DECLARE_METATYPE(SiteRankingResult)
Q_DECLARE_METATYPE(MinedKeyword)
