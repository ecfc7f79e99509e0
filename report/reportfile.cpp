#include "report/reportfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString kCannotWrite = QStringLiteral("无法写入文件：%1（%2）");
const QString kNoFolder = QStringLiteral("文件夹不存在");
const QString kDiskFull = QStringLiteral("磁盘空间不足");
const QString kQuota = QStringLiteral("超出磁盘配额");
const QString kTooLarge = QStringLiteral("文件超出系统允许的大小");
const QString kNoPermission = QStringLiteral("没有写入权限");
const QString kReadOnly = QStringLiteral("磁盘为只读");
const QString kFolderAtTarget = QStringLiteral("同名的文件夹已存在");
const QString kDiskError = QStringLiteral("磁盘读写出错");
const QString kSystemError = QStringLiteral("系统错误：%1");

constexpr int kNameAttempts = 100;
constexpr mode_t kNewFileMode = 0666; // less the umask, as for any new file

QString systemReason(int error)
{
    switch (error) {
    case ENOSPC:
        return kDiskFull;
    case EDQUOT:
        return kQuota;
    case EFBIG:
        return kTooLarge;
    case EACCES:
    case EPERM:
        return kNoPermission;
    case EROFS:
        return kReadOnly;
    case EISDIR:
        return kFolderAtTarget;
    case ENOENT:
    case ENOTDIR:
        return kNoFolder;
    case EIO:
        return kDiskError;
    default:
        return kSystemError.arg(qt_error_string(error));
    }
}

// The file a report path stands for: a link is followed, so that the report
// replaces its target and the link stays.
QString resolvedPath(const QString &path)
{
    const QFileInfo info(path);
    return info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();
}
} // namespace

QString cannotWriteMessage(const QString &path, const QString &reason)
{
    return kCannotWrite.arg(QDir::toNativeSeparators(path), reason);
}

ReportFile::ReportFile(const QString &path) : m_path(path) {}

ReportFile::~ReportFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_temporaryPath.isEmpty())
        ::unlink(QFile::encodeName(m_temporaryPath).constData());
}

bool ReportFile::open()
{
    const QFileInfo target(resolvedPath(m_path));
    if (!QFileInfo(target.absolutePath()).isDir()) {
        fail(kNoFolder);
        return false;
    }
    const QString stem = target.absolutePath() + QStringLiteral("/.") + target.fileName() + QLatin1Char('.');
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QString candidate =
            stem + QString::number(QRandomGenerator::global()->generate(), 36) + QStringLiteral(".tmp");
        const int fd = ::open(QFile::encodeName(candidate).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return failWithSystemError(errno);
        m_fd = fd;
        m_temporaryPath = candidate;
        struct stat old;
        if (::stat(QFile::encodeName(target.filePath()).constData(), &old) == 0 && S_ISREG(old.st_mode))
            m_replacedMode = int(old.st_mode & 07777);
        return true;
    }
    return failWithSystemError(EEXIST);
}

bool ReportFile::write(const QByteArray &bytes)
{
    if (m_fd < 0)
        return false;
    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return failWithSystemError(errno);
        if (written == 0) // no progress and no reason: the disk is full
            return failWithSystemError(ENOSPC);
        data += written;
        left -= written;
    }
    return true;
}

bool ReportFile::readBack(QByteArray *bytes)
{
    const int fd = ::open(QFile::encodeName(m_temporaryPath).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return failWithSystemError(errno);
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        return failWithSystemError(error);
    }
    bytes->resize(int(info.st_size));
    qint64 done = 0;
    while (done < info.st_size) {
        const ssize_t got = ::pread(fd, bytes->data() + done, size_t(info.st_size - done), off_t(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            const int error = got < 0 ? errno : EIO;
            ::close(fd);
            return failWithSystemError(error);
        }
        done += got;
    }
    ::close(fd);
    return true;
}

bool ReportFile::commit()
{
    if (m_fd < 0)
        return false;
    // A replaced report keeps who may read it; set only now, as a read-only
    // mode would stop a writer that opens the temporary file by name.
    if (m_replacedMode >= 0)
        ::fchmod(m_fd, mode_t(m_replacedMode));
    // A delayed write failure shows at fsync or close at the latest.
    const bool synced = ::fsync(m_fd) == 0;
    const int syncError = errno;
    const bool closed = ::close(m_fd) == 0;
    const int closeError = errno;
    m_fd = -1;
    if (!synced)
        return failWithSystemError(syncError);
    if (!closed)
        return failWithSystemError(closeError);

    const QFileInfo target(resolvedPath(m_path));
    if (::rename(QFile::encodeName(m_temporaryPath).constData(),
                 QFile::encodeName(target.filePath()).constData()) != 0)
        return failWithSystemError(errno);
    m_temporaryPath.clear();

    // The new name itself reaches the disk with its folder; the report is
    // complete either way, so a failure here is not one of the export.
    const int folder = ::open(QFile::encodeName(target.absolutePath()).constData(), O_RDONLY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

void ReportFile::fail(const QString &reason)
{
    m_errorMessage = cannotWriteMessage(m_path, reason);
}

bool ReportFile::failWithSystemError(int error)
{
    fail(systemReason(error));
    return false;
}

ReportWriteResult saveReportFile(const QString &path, const QByteArray &bytes)
{
    ReportWriteResult result;
    ReportFile file(path);
    result.ok = file.open() && file.write(bytes) && file.commit();
    if (!result.ok)
        result.errorMessage = file.errorMessage();
    return result;
}
