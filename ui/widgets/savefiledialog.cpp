#include "ui/widgets/savefiledialog.h"

#include "workers/device.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>

#include <utility>

namespace {
// Dialogs are shown from the GUI thread only, so the seam needs no lock.
SaveFileDialog::Answerer testAnswerer;
const QString kNameStamp = QStringLiteral("yyyyMMdd-HHmm");
const QString kReportSuffix = QStringLiteral(".xlsx");
} // namespace

QString SaveFileDialog::getSaveFileName(QWidget *parent, const QString &caption, const QString &directory,
                                        const QString &filter)
{
    if (testAnswerer)
        return testAnswerer(Request{parent, caption, directory, filter});
    return QFileDialog::getSaveFileName(parent, caption, directory, filter);
}

void SaveFileDialog::setAnswererForTesting(Answerer answerer)
{
    testAnswerer = std::move(answerer);
}

QString SaveFileDialog::startFolder()
{
    // Qt names ~/Documents whether it exists or not.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QDir(documents).exists() ? documents : QDir::homePath();
}

QString SaveFileDialog::reportFileName(const QString &tool, const Device *device, const QDateTime &at)
{
    QStringList parts{tool};
    if (device)
        parts.append(*device == Device::Mobile ? QStringLiteral("移动") : QStringLiteral("电脑"));
    parts.append(at.toString(kNameStamp));
    return parts.join(QLatin1Char('-')) + kReportSuffix;
}
