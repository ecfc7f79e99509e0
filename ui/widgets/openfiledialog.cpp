#include "ui/widgets/openfiledialog.h"

#include "ui/widgets/savefiledialog.h"

#include <QFileDialog>

#include <utility>

namespace {
// Dialogs are shown from the GUI thread only, so the seam needs no lock.
OpenFileDialog::Answerer testAnswerer;
} // namespace

QString OpenFileDialog::getOpenFileName(QWidget *parent, const QString &caption, const QString &filter)
{
    const QString folder = SaveFileDialog::startFolder();
    if (testAnswerer)
        return testAnswerer(caption, folder);
    return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

void OpenFileDialog::setAnswererForTesting(Answerer answerer)
{
    testAnswerer = std::move(answerer);
}
