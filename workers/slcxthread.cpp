#include "slcxthread.h"

#include "desktopinclusioncheck.h"
#include "mobileinclusioncheck.h"

namespace {
const QString kMobileMode = QStringLiteral("sjd");
}

SlcxThread::SlcxThread(const QStringList &lines, const QString &mode, const SearchContext &context)
    : QThread(nullptr), m_lines(lines), m_mode(mode), m_context(context)
{
    qRegisterMetaType<InclusionResult>();
}

void SlcxThread::abortCurrentLine()
{
    requestInterruption();
    m_abort = true;
}

void SlcxThread::run()
{
    const auto check = m_mode == kMobileMode ? mobileInclusionCheck : desktopInclusionCheck;
    for (int i = 0; i < m_lines.size(); ++i) {
        if (isInterruptionRequested())
            break;
        const InclusionResult result = check(m_lines.at(i), m_context, &m_abort);
        // A line cut short by an abort was never checked: its 异常 is no verdict.
        if (m_abort)
            break;
        emit send(result, i);
    }
    emit threadEnd();
}
