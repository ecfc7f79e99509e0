#pragma once

// The columns of the table rows that the results' cells() make
// (search/checkresult.h), by name: rows are read by these, never by number.
namespace InclusionColumn {
enum : int
{
    Title,
    Address,
    Status,
    Snapshot
};
} // namespace InclusionColumn

namespace RankingColumn {
enum : int
{
    Keyword,
    Address,
    Status,
    Position,
    Snapshot
};
} // namespace RankingColumn

namespace SiteRankingColumn {
enum : int
{
    Keyword,
    BestPosition,
    Address,
    Title,
    Entries,
    OtherPositions
};
} // namespace SiteRankingColumn

// A site ranking row of several sites: the keyword, then one group per site.
namespace SiteGroupColumn {
enum : int
{
    BestPosition,
    Address,
    Entries,
    Count // columns per group
};
} // namespace SiteGroupColumn

constexpr int siteGroupColumn(int site, int column)
{
    return 1 + site * SiteGroupColumn::Count + column;
}

namespace MiningColumn {
enum : int
{
    Keyword,
    Source,
    Seed,
    Depth
};
} // namespace MiningColumn
