#include "search/pagesaver.h"

#include <QFile>
#include <QFileInfo>

namespace {
const QString kCannotCreate = QStringLiteral("cannot save pages in '%1': the folder cannot be created");
const QString kNotWritable = QStringLiteral("cannot save pages in '%1': the folder is not writable");
const QString kCannotSave = QStringLiteral(
    "cannot save the page '%1': %2 (said once; later pages that cannot be saved are dropped too)");
const QString kNoFreeName = QStringLiteral("every name up to copy %1 is taken");
const QString kNamePattern = QStringLiteral("%1-%2-%3.html");
const QString kCopyPattern = QStringLiteral("%1-%2-%3-%4.html");
// Wide enough that a folder listing sorts by row for any batch a user pastes.
constexpr int kRowDigits = 4;
// Beyond this many pages of one name something else is wrong.
constexpr int kMaxCopies = 1000;
} // namespace

PageSaver::PageSaver(const QString &folder, const QStringList &lines, FailureHandler failed)
    : m_folder(folder), m_failed(std::move(failed))
{
    for (int i = 0; i < lines.size(); ++i)
        m_rows.insert(lines.at(i), i + 1);
}

QString PageSaver::prepare() const
{
    if (!m_folder.exists() && !QDir().mkpath(m_folder.path()))
        return kCannotCreate.arg(m_folder.path());
    if (!QFileInfo(m_folder.path()).isWritable())
        return kNotWritable.arg(m_folder.path());
    return QString();
}

QString PageSaver::fileName(int row, const QString &check, const QString &request, int copy)
{
    const QString number = QStringLiteral("%1").arg(row, kRowDigits, 10, QLatin1Char('0'));
    return copy <= 1 ? kNamePattern.arg(number, check, request)
                     : kCopyPattern.arg(number, check, request).arg(copy);
}

void PageSaver::fail(const QString &path, const QString &why) const
{
    // A page that cannot be kept must not stop the run: the result already says "异常".
    if (!m_failureTold.exchange(true) && m_failed)
        m_failed(kCannotSave.arg(QDir::toNativeSeparators(path), why));
}

QString PageSaver::lastPageOf(const QString &folder, int row)
{
    const QString prefix = QStringLiteral("%1-").arg(row, kRowDigits, 10, QLatin1Char('0'));
    const QFileInfoList pages =
        QDir(folder).entryInfoList({prefix + QStringLiteral("*.html")}, QDir::Files, QDir::Time);
    return pages.isEmpty() ? QString() : pages.first().absoluteFilePath();
}

void PageSaver::save(const AnswerPage &page) const
{
    const int row = m_rows.value(page.line);
    // A folder made only when a page comes: most runs keep none.
    if (!m_folder.exists())
        QDir().mkpath(m_folder.path());
    QFile file;
    // Created only when the name is free, so two threads never write one file.
    for (int copy = 1; !file.isOpen(); ++copy) {
        if (copy > kMaxCopies)
            return fail(m_folder.filePath(fileName(row, page.check, page.request)),
                        kNoFreeName.arg(kMaxCopies));
        file.setFileName(m_folder.filePath(fileName(row, page.check, page.request, copy)));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            break;
        if (!QFileInfo::exists(file.fileName()))
            return fail(file.fileName(), file.errorString());
    }
    const bool written = file.write(page.body) == page.body.size();
    const QString why = file.errorString();
    file.close();
    if (!written) {
        // A full disk leaves neither a partial nor an empty file.
        file.remove();
        fail(file.fileName(), why);
    }
}
