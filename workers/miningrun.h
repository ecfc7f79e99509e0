#pragma once

#include "search/checkresult.h"
#include "search/searchcontext.h"

#include <QString>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <functional>

struct MiningOptions
{
    static constexpr int kMaxDepth = 3;
    static constexpr int kDefaultLimit = 1000;

    int depth = 1;             // 1: expand the seeds; 2: also what they gave; 3: once more
    int limit = kDefaultLimit; // found keywords at most; reaching it ends the run
};

// What mineKeywords reports while it runs; empty members are not called.
struct MiningCallbacks
{
    std::function<void(const MinedKeyword &)> found;
    // One source of one keyword gave no answer; the run goes on without it.
    std::function<void(const QString &keyword, const QString &source, const QString &why)> failed;
    // Expansions done and known so far (the next depth adds more).
    std::function<void(int done, int known)> progressed;
};

// Keyword mining, breadth first: every seed is expanded by the search box's
// suggestions and by its result page's related searches (相关搜索, 大家还在搜);
// each keyword found at depth d is expanded at depth d + 1 up to the depth
// asked for. A keyword is kept once, with the first seed and source that
// found it, compared by keywordKey; the seeds themselves are never results.
// Returns the number of failed requests. Stops early at the limit or when
// the abort flag turns true (transfers in flight are cut short).
int mineKeywords(const QStringList &seeds, const MiningOptions &options, const SearchContext &context,
                 const std::atomic<bool> *abortFlag, const MiningCallbacks &callbacks);

// mineKeywords on a thread of its own. Emits found() per keyword (row is its
// running number from 0), failed() per failed request, progressed(), and
// threadEnd() once at the end, also after stop(). One object per run.
class MiningRun : public QThread
{
    Q_OBJECT

public:
    MiningRun(const QStringList &seeds, const MiningOptions &options,
              const SearchContext &context = SearchContext(), QObject *parent = nullptr);
    // Stops and waits.
    ~MiningRun() override;

    // Cuts the transfers in flight short; threadEnd() follows.
    void stop();

signals:
    void found(const MinedKeyword &keyword, int row);
    void failed(const QString &keyword, const QString &source, const QString &why);
    void progressed(int done, int known);
    void threadEnd();

protected:
    void run() override;

private:
    const QStringList m_seeds;
    const MiningOptions m_options;
    const SearchContext m_context;
    std::atomic<bool> m_abort{false};
};
