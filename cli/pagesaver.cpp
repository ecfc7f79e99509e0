#include "cli/pagesaver.h"

#include <QFile>
#include <QFileInfo>

namespace {
const QString kCannotCreate = QStringLiteral("cannot save pages in '%1': the folder cannot be created");
const QString kNotWritable = QStringLiteral("cannot save pages in '%1': the folder is not writable");
const QString kNamePattern = QStringLiteral("%1-%2-%3.html");
// Wide enough that a folder listing sorts by row for any batch a user pastes.
constexpr int kRowDigits = 4;
} // namespace

PageSaver::PageSaver(const QString &folder, const QStringList &lines) : m_folder(folder)
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

QString PageSaver::fileName(int row, const QString &check, const QString &request)
{
    return kNamePattern.arg(row, kRowDigits, 10, QLatin1Char('0')).arg(check, request);
}

void PageSaver::save(const AnswerPage &page) const
{
    QFile file(m_folder.filePath(fileName(m_rows.value(page.line), page.check, page.request)));
    // A page that cannot be kept must not stop the run: the result already says "异常".
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(page.body);
}
