#pragma once

#include <QString>

#include <functional>

class QDateTime;
class QWidget;
enum class Device;

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

    // Where file dialogs start: the documents folder when there is one, else
    // the home folder (never the root or the working folder).
    static QString startFolder();
    // A report's suggested name from its tool, device (none: a tool without
    // one) and time, e.g. "排名查询-电脑-20261209-1530.xlsx".
    static QString reportFileName(const QString &tool, const Device *device, const QDateTime &at);
};
