#include "search/layoutdriftguard.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
const QString kStopText = QStringLiteral("百度页面结构可能已变化，已停止查询");
const QString kStopMessage = QStringLiteral("%1（无法解读的页面已保存在 %2）");
const QString kFolderPattern = QStringLiteral("quillane/layout-pages/%1");
const QString kFolderStamp = QStringLiteral("yyyyMMdd-HHmmss");
const QString kPageName = QStringLiteral("%1-%2.html");
constexpr int kFolderAttempts = 100;
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

void LayoutDriftGuard::keepPages(const QList<KeptPage> &pages)
{
    // Pages that cannot be kept must not hide the message: it names the folder either way.
    QString base;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        base = m_folder;
    }
    if (!QDir().mkpath(QFileInfo(base).path()))
        return;
    // Two runs that trip within the same second (both query pages at once) keep
    // their pages apart: a folder is claimed by creating it, never shared.
    QString claimed;
    for (int n = 1; n <= kFolderAttempts && claimed.isEmpty(); ++n) {
        const QString candidate = n == 1 ? base : base + QLatin1Char('-') + QString::number(n);
        // A folder given empty (a fresh temporary one) is the caller's to fill.
        if (QDir().mkdir(candidate) || (n == 1 && QFileInfo(candidate).isDir() && QDir(candidate).isEmpty()))
            claimed = candidate;
    }
    if (claimed.isEmpty())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_folder = claimed;
    }
    const QDir folder(claimed);
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

QString LayoutDriftGuard::folder() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_folder;
}

QString LayoutDriftGuard::stopMessage() const
{
    return kStopMessage.arg(kStopText, QDir::toNativeSeparators(folder()));
}
