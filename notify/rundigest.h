#pragma once

#include "history/historystore.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The changes that alert, as a digest names them.
namespace ChangeKind {
inline const QString kNoLongerIncluded = QStringLiteral("掉收录");
inline const QString kNewlyIncluded = QStringLiteral("新收录");
inline const QString kLeftTop30 = QStringLiteral("跌出前30");
inline const QString kEnteredTop10 = QStringLiteral("新进前10");
// A move of at least the threshold: "↑6", "↓8", as the 变化 column writes it.
} // namespace ChangeKind

// One line that changed since its previous result of the same tool and device.
struct DigestChange
{
    int index = 0; // the line's place in the run
    QString line;  // the address; keyword and address; the keyword (泛排名)
    QStringList kinds; // what alerts, most serious first: 掉收录, 跌出前30, ↓8, 新收录, 新进前10, ↑6
    QString before; // the previous result: 已收录, "5", "已收录 5"
    QString after;
};

// What one saved run tells: which list and run, the lines that changed in a
// way that alerts (most serious first), and the run's totals. 异常 lines
// are never changes; the run's count of them is said at the end.
struct RunDigest
{
    QString listName; // empty for a run without a list
    StoredRun run;
    QString site; // 泛排名: the site's host
    QList<DigestChange> changes;

    // "Quillane工具 · 我的关键词 · 排名 电脑端 · 5 项变化"
    QString title() const;
    // "运行 #12 · 排名 · 电脑端 · 2026-12-08 09:00", and the list's name before it.
    QStringList headLines() const;
    // "跌出前30  seo工具 https://qa-site.cn/a：5 → 30+"
    static QString changeLine(const DigestChange &change);
    // "… 另有 12 项变化未列出"
    static QString omittedLine(int omitted);
    // "共 20 行 · 已收录 9 · 未收录 8 · 收录率 52% · 异常 3" or "共 20 行 · 前10 4 · 前30 9 · 异常 3",
    // then "3 行异常" when some line got no verdict.
    QStringList totalLines() const;
};

// The run's digest, or nullopt when no line changed in a way that alerts.
// previous maps a line's key to its previous result (HistoryStore::previousLines).
std::optional<RunDigest> buildDigest(const StoredRun &run, const QList<StoredLine> &lines,
                                     const QHash<QString, StoredLine> &previous, int moveThreshold,
                                     const QString &listName = QString());

// The digest of a stored run; nullopt without changes, or with the store's
// complaint in error when it cannot be read.
std::optional<RunDigest> digestOfStoredRun(HistoryStore &store, qint64 runId, int moveThreshold,
                                           const QString &listName = QString(), QString *error = nullptr);

// A made-up run with one change of every kind, for 测试通知.
RunDigest sampleDigest();
