#pragma once

#include "search/requestgate.h"
#include "search/searchcontext.h"

#include <QString>

#include <atomic>
#include <optional>

// Runs one line of a batch through check(line, context, abortFlag): inside a
// line slot of the context's gate, and again while the line ends "异常" after
// a transient failure (robot check, time-out, connection failure, 5xx) and the
// context's retries allow, each time after a longer pause (longest after a
// robot check) spent out of the slot so that other lines go on meanwhile. Every try asks anew, so the line
// keeps its place in the batch whatever happened.
// Empty when a stop cut the line's wait for the gate short, or when the
// context's drift guard has stopped the run: the line did not finish.
template <typename Result, typename Check>
std::optional<Result> checkLine(const QString &line, const SearchContext &context,
                                const std::atomic<bool> *abortFlag, Check check)
{
    const std::atomic<bool> *stop = context.stopFlag ? context.stopFlag : abortFlag;
    std::optional<Result> result;
    for (int attempt = 0;; ++attempt) {
        if (context.layoutDrifted())
            return std::nullopt;
        LineNotes notes;
        SearchContext tryContext = context;
        tryContext.notes = &notes;
        {
            GateLine slot(context.gate, stop);
            if (!slot.acquired())
                return result;
            Result answer = check(line, tryContext, abortFlag);
            if (notes.waitCut)
                return result;
            result = std::move(answer);
        }
        if (!result->isFailed() || !notes.transientFailure || attempt >= context.retry.retries)
            return result;
        const int pauseMs = context.retry.pauseMs(attempt, notes.robotCheck);
        if (context.gate)
            context.gate->noteRetryWait(attempt + 1, pauseMs);
        const bool waited = RequestGate::pause(pauseMs, stop);
        if (context.gate)
            context.gate->noteRetryWaitEnded();
        if (!waited)
            return result;
    }
}
