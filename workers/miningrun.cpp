#include "workers/miningrun.h"

#include "search/keywordsources.h"
#include "workers/linecheck.h"

#include <QSet>

namespace {

struct Expansion
{
    QString keyword;
    QString seed;
};

// One request of the mining as one line of a check: through the gate, asked
// again after a transient failure. Empty when a stop cut the wait short.
KeywordOffers askFor(const QString &keyword, const SearchContext &context, const std::atomic<bool> *abortFlag,
                     KeywordOffers (*ask)(const QString &, const SearchContext &, const std::atomic<bool> *))
{
    const std::optional<KeywordOffers> offers = checkLine<KeywordOffers>(keyword, context, abortFlag, ask);
    return offers ? *offers : KeywordOffers();
}

} // namespace

int mineKeywords(const QStringList &seeds, const MiningOptions &options, const SearchContext &context,
                 const std::atomic<bool> *abortFlag, const MiningCallbacks &callbacks)
{
    // A change of Baidu's markup ends the run as a stop does.
    const auto aborted = [abortFlag, &context] {
        return (abortFlag && abortFlag->load()) || context.layoutDrifted();
    };
    QSet<QString> seen;
    QList<Expansion> level;
    for (const QString &seed : seeds) {
        const QString key = keywordKey(seed);
        if (key.isEmpty() || seen.contains(key))
            continue;
        seen.insert(key);
        level.append({seed.trimmed(), seed.trimmed()});
    }

    int found = 0;
    int failures = 0;
    int done = 0;
    bool full = options.limit <= 0;
    for (int depth = 1; depth <= options.depth && !level.isEmpty() && !full; ++depth) {
        QList<Expansion> next;
        const int known = done + level.size();
        // Keeps a new keyword; false once the limit is reached, which ends the run.
        const auto keep = [&](const QString &text, MiningSource source, const QString &seed) {
            if (full)
                return false;
            const QString key = keywordKey(text);
            if (key.isEmpty() || seen.contains(key))
                return true;
            seen.insert(key);
            ++found;
            const QString keyword = text.simplified();
            next.append({keyword, seed});
            if (callbacks.found)
                callbacks.found(MinedKeyword{keyword, source, seed, depth});
            full = found >= options.limit;
            return !full;
        };
        const auto fail = [&](const QString &keyword, MiningSource source, const QString &why) {
            ++failures;
            if (callbacks.failed)
                callbacks.failed(keyword, MinedKeyword::sourceText(source), why);
        };

        for (const Expansion &expansion : qAsConst(level)) {
            if (aborted() || full)
                break;
            const KeywordOffers suggestions = askFor(expansion.keyword, context, abortFlag, fetchSuggestions);
            if (aborted())
                break;
            if (!suggestions.ok)
                fail(expansion.keyword, MiningSource::Suggestion, suggestions.failure);
            for (const QString &text : suggestions.texts) {
                if (!keep(text, MiningSource::Suggestion, expansion.seed))
                    break;
            }
            if (full)
                break;
            const KeywordOffers related = askFor(expansion.keyword, context, abortFlag, fetchRelatedSearches);
            if (aborted())
                break;
            if (!related.ok)
                fail(expansion.keyword, MiningSource::Related, related.failure);
            for (const QString &text : related.texts) {
                if (!keep(text, MiningSource::Related, expansion.seed))
                    break;
            }
            for (const QString &text : related.alsoTexts) {
                if (!keep(text, MiningSource::AlsoSearched, expansion.seed))
                    break;
            }
            ++done;
            if (callbacks.progressed)
                callbacks.progressed(done, full ? done : known);
        }
        level = next;
    }
    return failures;
}

MiningRun::MiningRun(const QStringList &seeds, const MiningOptions &options, const SearchContext &context,
                     QObject *parent)
    : QThread(parent), m_seeds(seeds), m_options(options), m_context(context)
{
    qRegisterMetaType<MinedKeyword>();
}

MiningRun::~MiningRun()
{
    stop();
    wait();
}

void MiningRun::stop()
{
    m_abort.store(true);
}

void MiningRun::run()
{
    int row = 0;
    MiningCallbacks callbacks;
    callbacks.found = [&](const MinedKeyword &keyword) { emit found(keyword, row++); };
    callbacks.failed = [this](const QString &keyword, const QString &source, const QString &why) {
        emit failed(keyword, source, why);
    };
    callbacks.progressed = [this](int done, int known) { emit progressed(done, known); };
    mineKeywords(m_seeds, m_options, m_context, &m_abort, callbacks);
    emit threadEnd();
}
