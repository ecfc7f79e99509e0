#include "workers/slcxthread.h"

#include "search/desktopinclusioncheck.h"
#include "search/mobileinclusioncheck.h"
#include "workers/linecheck.h"

SlcxThread::SlcxThread(const QStringList &lines, Device device, const SearchContext &context)
    : QThread(nullptr), m_lines(lines), m_device(device), m_context(context)
{
    qRegisterMetaType<InclusionResult>();
}

void SlcxThread::stop()
{
    requestInterruption();
    m_stop = true;
}

void SlcxThread::abortCurrentLine()
{
    stop();
    m_abort = true;
}

void SlcxThread::run()
{
    const auto check = m_device == Device::Mobile ? mobileInclusionCheck : desktopInclusionCheck;
    SearchContext context = m_context;
    context.stopFlag = &m_stop;
    for (int i = 0; i < m_lines.size(); ++i) {
        if (isInterruptionRequested())
            break;
        const std::optional<InclusionResult> result =
            checkLine<InclusionResult>(m_lines.at(i), context, &m_abort, check);
        // A line cut short by an abort, or whose wait a stop cut short, was never checked: no verdict.
        if (!result || m_abort)
            break;
        emit send(*result, i);
    }
    emit threadEnd();
}
