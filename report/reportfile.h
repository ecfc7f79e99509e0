#pragma once

#include "report/reportwriter.h"

#include <QByteArray>
#include <QString>

// A report file that replaces the one at its path only once it is complete
// and on disk. The bytes go to a temporary file in the same folder (so the
// final rename stays on one file system); every write is checked, the file
// is synced, then renamed over the old one. Until then, and after any
// failure, the old file is untouched, and the temporary file is removed when
// the object goes away uncommitted. Qt 5's QSaveFile is not used: its commit()
// can succeed although the buffered tail was never written.
class ReportFile
{
public:
    explicit ReportFile(const QString &path);
    ~ReportFile();
    ReportFile(const ReportFile &) = delete;
    ReportFile &operator=(const ReportFile &) = delete;

    // Creates the empty temporary file.
    bool open();
    // Where the temporary file is, for a writer that opens it by name.
    QString temporaryPath() const { return m_temporaryPath; }
    // Appends all of bytes, or fails.
    bool write(const QByteArray &bytes);
    // The temporary file's whole content as it is now, e.g. to check what
    // another writer put there.
    bool readBack(QByteArray *bytes);
    // Syncs the temporary file and renames it over the report.
    bool commit();

    // Gives up with a reason of the caller's (in Chinese).
    void fail(const QString &reason);
    // Why the last step failed, ready for the message box.
    QString errorMessage() const { return m_errorMessage; }

private:
    bool failWithSystemError(int error);

    QString m_path;
    QString m_temporaryPath;
    int m_fd = -1;
    int m_replacedMode = -1; // permission bits of the report replaced, if any
    QString m_errorMessage;
};

// Puts finished report bytes at path through a ReportFile.
ReportWriteResult saveReportFile(const QString &path, const QByteArray &bytes);

// The reason shown when a report cannot be written.
QString cannotWriteMessage(const QString &path, const QString &reason);
