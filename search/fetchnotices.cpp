#include "search/fetchnotices.h"

void FetchNotices::tell(const FetchNotice &notice)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const QString key = QString::number(int(notice.kind)) + QLatin1Char(' ') + notice.subject;
        if (m_told.contains(key))
            return;
        m_told.insert(key);
    }
    if (m_listener)
        m_listener(notice);
}
