#pragma once

#include <QString>

#include <functional>

class QWidget;

// The save dialog of the report export. Tests answer it through the seam
// instead of showing a modal dialog.
class SaveFileDialog
{
public:
    struct Request
    {
        QWidget *parent = nullptr;
        QString caption;
        QString directory;
        QString filter;
    };
    // Returns the chosen path, or an empty text for a cancelled dialog.
    using Answerer = std::function<QString(const Request &request)>;

    // QFileDialog::getSaveFileName with no preselected filter and no options.
    static QString getSaveFileName(QWidget *parent, const QString &caption, const QString &directory,
                                   const QString &filter);

    // While an answerer is set, no dialog is shown; an empty one shows real dialogs again.
    static void setAnswererForTesting(Answerer answerer);
};
