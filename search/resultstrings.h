#pragma once

#include <QString>
#include <QStringList>

// The one string a check hands to the window: fields joined by "0Oo", never
// escaped. Inclusion: title, address, status, snapshot. Ranking: keyword,
// address, status, position, snapshot.
namespace ResultText {
inline const QString kSeparator = QStringLiteral("0Oo");

inline const QString kIncluded = QStringLiteral("已收录");
inline const QString kNotIncluded = QStringLiteral("未收录");
inline const QString kFailed = QStringLiteral("异常");

inline const QString kNoTitle = QStringLiteral("无标题");
inline const QString kNoTitleMobile = QStringLiteral("无法获取标题");
inline const QString kNoSnapshot = QStringLiteral("无快照");

inline const QString kPositionBeyond = QStringLiteral("30+");
inline const QString kPositionNotSearched = QStringLiteral("--");
} // namespace ResultText

QString inclusionResult(const QString &title, const QString &address, const QString &status,
                        const QString &snapshot);

QString rankingResult(const QString &keyword, const QString &address, const QString &status,
                      const QString &position, const QString &snapshot);

// Splits a result string back into its fields, empty ones kept.
QStringList splitResult(const QString &result);

// Whether a split result counts as included: field 2 is exactly "已收录".
bool isIncludedResult(const QStringList &fields);
