#pragma once

#include "reportwriter.h"

#include <QByteArray>
#include <QString>

// Puts finished report bytes at path in one step: written beside it under a
// temporary name and renamed over it only when complete, so a failed export
// never leaves a half-written file behind.
ReportWriteResult saveReportFile(const QString &path, const QByteArray &bytes);

// The reason shown when a report cannot be written.
QString cannotWriteMessage(const QString &path, const QString &reason);
