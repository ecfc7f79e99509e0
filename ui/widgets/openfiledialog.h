#pragma once

#include <QString>

#include <functional>

class QWidget;

// The open dialog of the pages' 导入 button. Tests answer it through the seam
// instead of showing a modal dialog.
class OpenFileDialog
{
public:
    // Receives the dialog's caption and the folder it starts in; returns the
    // chosen path, or an empty text for a cancelled dialog.
    using Answerer = std::function<QString(const QString &caption, const QString &folder)>;

    // Starts where the save dialogs do (SaveFileDialog::startFolder).
    static QString getOpenFileName(QWidget *parent, const QString &caption, const QString &filter);

    // While an answerer is set, no dialog is shown; an empty one shows real dialogs again.
    static void setAnswererForTesting(Answerer answerer);
};
