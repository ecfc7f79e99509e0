#include "reportfile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace {
const QString kCannotWrite = QStringLiteral("无法写入文件：%1（%2）");
const QString kNoFolder = QStringLiteral("文件夹不存在");
} // namespace

QString cannotWriteMessage(const QString &path, const QString &reason)
{
    return kCannotWrite.arg(QDir::toNativeSeparators(path), reason);
}

ReportWriteResult saveReportFile(const QString &path, const QByteArray &bytes)
{
    ReportWriteResult result;
    if (!QFileInfo(QFileInfo(path).absolutePath()).isDir()) {
        result.errorMessage = cannotWriteMessage(path, kNoFolder);
        return result;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        result.errorMessage = cannotWriteMessage(path, file.errorString());
        file.cancelWriting();
        return result;
    }
    result.ok = true;
    return result;
}
