#include "ui/widgets/openfiledialog.h"

#include <QFileDialog>

#include <utility>

namespace {
// Dialogs are shown from the GUI thread only, so the seam needs no lock.
OpenFileDialog::Answerer testAnswerer;
} // namespace

QString OpenFileDialog::getOpenFileName(QWidget *parent, const QString &caption, const QString &filter)
{
    if (testAnswerer)
        return testAnswerer(caption);
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}

void OpenFileDialog::setAnswererForTesting(Answerer answerer)
{
    testAnswerer = std::move(answerer);
}
