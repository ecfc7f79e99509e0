#pragma once

#include "history/historystore.h"

#include <QList>
#include <QString>
#include <QStringList>

// Two runs of a tool stored one after the other, for the digests between them.
namespace plantedruns {

// "key|status|position" for each line, in order; "-" as the key skips the line in that run.
inline QList<StoredLine> linesOf(const QStringList &specs)
{
    QList<StoredLine> lines;
    for (int i = 0; i < specs.size(); ++i) {
        const QStringList fields = specs.at(i).split(QLatin1Char('|'));
        if (fields.value(0) != QLatin1String("-"))
            lines.append({i, QString(fields.value(0)).replace(QLatin1Char('~'), QLatin1Char('\t')),
                          fields.value(1), fields.value(2), QString(), QStringList{fields.value(0)}});
    }
    return lines;
}

// Stores a run of tool on device with the lines; its id.
inline qint64 storeRun(HistoryStore &store, const QString &tool, const QString &device,
                       const QStringList &specs)
{
    StoredRun run;
    run.tool = tool;
    run.device = device;
    run.lineCount = specs.size();
    const qint64 id = store.beginRun(run);
    store.addLines(id, linesOf(specs));
    store.finishRun(id, QDateTime::currentDateTimeUtc());
    return id;
}

// Ranking lines "keyword~address|status|position" before and after: the five
// alerting changes (掉收录, 新收录, 跌出前30, 新进前10, a move of 7) among
// lines that moved too little, entered only the first 30, or got no verdict.
inline const QStringList kRankingBefore = {
    QStringLiteral("seo工具~https://qa-site.cn/a|已收录|3"),
    QStringLiteral("收录查询~https://qa-site.cn/b|已收录|15"),
    QStringLiteral("排名查询~https://qa-site.cn/c|已收录|20"),
    QStringLiteral("网站优化~https://qa-site.cn/d|已收录|8"),
    QStringLiteral("site查询~https://qa-site.cn/e|未收录|--"),
    QStringLiteral("关键词~https://qa-site.cn/f|已收录|4"),
    QStringLiteral("长尾词~https://qa-site.cn/g|已收录|30+"),
    QStringLiteral("异常词~https://qa-site.cn/h|已收录|5"),
    QStringLiteral("恢复词~https://qa-site.cn/i|异常|"),
};
inline const QStringList kRankingAfter = {
    QStringLiteral("seo工具~https://qa-site.cn/a|已收录|30+"),
    QStringLiteral("收录查询~https://qa-site.cn/b|已收录|6"),
    QStringLiteral("排名查询~https://qa-site.cn/c|已收录|13"),
    QStringLiteral("网站优化~https://qa-site.cn/d|未收录|--"),
    QStringLiteral("site查询~https://qa-site.cn/e|已收录|25"),
    QStringLiteral("关键词~https://qa-site.cn/f|已收录|2"),
    QStringLiteral("长尾词~https://qa-site.cn/g|已收录|18"),
    QStringLiteral("异常词~https://qa-site.cn/h|异常|"),
    QStringLiteral("恢复词~https://qa-site.cn/i|已收录|1"),
};
// The five, most serious first, as a digest writes them with a threshold of 5.
inline const QStringList kRankingChanges = {
    QStringLiteral("掉收录、跌出前30  网站优化 https://qa-site.cn/d：已收录 8 → 未收录 --"),
    QStringLiteral("跌出前30  seo工具 https://qa-site.cn/a：3 → 30+"),
    QStringLiteral("新收录  site查询 https://qa-site.cn/e：未收录 -- → 已收录 25"),
    QStringLiteral("新进前10、↑9  收录查询 https://qa-site.cn/b：15 → 6"),
    QStringLiteral("↑7  排名查询 https://qa-site.cn/c：20 → 13"),
};

} // namespace plantedruns
