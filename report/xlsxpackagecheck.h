#pragma once

#include <QByteArray>
#include <QString>

// Reads a written .xlsx back as Excel would open it: the zip's directory at
// its end, every member present, inflating to its recorded size and CRC, and
// every XML member well-formed to its last tag. libxlsxwriter reports success
// even when its own temporary files or the zip could not be written in full,
// so this is how a report is known to be whole before it replaces the old one.
// Returns why the package is not whole (in Chinese), or an empty text.
QString xlsxPackageProblem(const QByteArray &package);
