#include "search/layoutdriftguard.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace {
const QString kStopText = QStringLiteral("百度页面结构可能已变化，已停止查询");
const QString kStopMessage = QStringLiteral("%1（无法解读的页面已保存在 %2）");
const QString kFolderPattern = QStringLiteral("quillane/layout-pages/%1");
const QString kFolderStamp = QStringLiteral("yyyyMMdd-HHmmss");
const QString kPageName = QStringLiteral("%1-%2.html");
} // namespace

LayoutDriftGuard::LayoutDriftGuard(const QString &folder, bool keepPages)
    : m_folder(folder), m_keepPages(keepPages)
{
}

void LayoutDriftGuard::notePage(const ResultPage &page, const QByteArray &body, const QString &name)
{
    if (m_tripped.load())
        return;
    const bool read =
        page.kind == PageKind::NotFound || (page.kind == PageKind::Results && !page.layoutUnknown);
    const bool unknown = page.kind == PageKind::Results && page.layoutUnknown;
    QList<KeptPage> row;
    QList<std::function<void()>> handlers;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (read) {
            m_row.clear();
            return;
        }
        if (!unknown || m_tripped.load())
            return;
        m_row.append({name, m_keepPages ? body : QByteArray()});
        if (m_row.size() < kPagesInARow)
            return;
        m_tripped.store(true);
        row.swap(m_row);
        handlers = m_handlers;
    }
    if (m_keepPages)
        keepPages(row);
    for (const std::function<void()> &handler : qAsConst(handlers))
        handler();
}

void LayoutDriftGuard::addTripHandler(const std::function<void()> &handler)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_tripped.load()) {
            m_handlers.append(handler);
            return;
        }
    }
    handler();
}

void LayoutDriftGuard::keepPages(const QList<KeptPage> &pages) const
{
    // Pages that cannot be kept must not hide the message: it names the folder either way.
    if (!QDir().mkpath(m_folder))
        return;
    const QDir folder(m_folder);
    for (int i = 0; i < pages.size(); ++i) {
        QFile file(folder.filePath(kPageName.arg(i + 1).arg(pages.at(i).name)));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(pages.at(i).body);
    }
}

QString LayoutDriftGuard::defaultFolder()
{
    const QDir data(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    return data.filePath(kFolderPattern.arg(QDateTime::currentDateTime().toString(kFolderStamp)));
}

QString LayoutDriftGuard::stopText()
{
    return kStopText;
}

QString LayoutDriftGuard::stopMessage() const
{
    return kStopMessage.arg(kStopText, QDir::toNativeSeparators(m_folder));
}
