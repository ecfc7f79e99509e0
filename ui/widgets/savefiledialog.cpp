#include "ui/widgets/savefiledialog.h"

#include <QFileDialog>

#include <utility>

namespace {
// Dialogs are shown from the GUI thread only, so the seam needs no lock.
SaveFileDialog::Answerer testAnswerer;
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
