#include "ui/widgets/queryeditor.h"

#include "workers/inputtext.h"

#include <QEvent>
#include <QFile>
#include <QMimeData>
#include <QTextCursor>
#include <QUrl>

namespace {

// Larger files are no list of lines a user pastes; reading them would freeze the window.
constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

QStringList localFiles(const QMimeData *source)
{
    QStringList files;
    if (!source->hasUrls())
        return files;
    const QList<QUrl> urls = source->urls();
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            return {};
        files << url.toLocalFile();
    }
    return files;
}

} // namespace

QueryEditor::QueryEditor(QWidget *parent) : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
}

QRectF QueryEditor::blockRect(const QTextBlock &block) const
{
    return blockBoundingGeometry(block).translated(contentOffset());
}

QTextBlock QueryEditor::firstShownBlock() const
{
    return firstVisibleBlock();
}

void QueryEditor::clearUndoably()
{
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
}

bool QueryEditor::insertFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes) {
        emit fileRejected(path);
        return false;
    }
    QString text = decodeInputText(file.readAll()).text;
    // Text files hold no NUL; one that does is a picture, an archive or the like.
    if (text.contains(QChar(0))) {
        emit fileRejected(path);
        return false;
    }
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    QTextCursor cursor = textCursor();
    if (cursor.positionInBlock() > 0)
        text.prepend(QLatin1Char('\n'));
    if (!cursor.atBlockEnd() && !text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
    cursor.insertText(text);
    setTextCursor(cursor);
    return true;
}

bool QueryEditor::event(QEvent *event)
{
    if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)
        emit hiddenChanged(event->type() == QEvent::HideToParent);
    return QPlainTextEdit::event(event);
}

bool QueryEditor::canInsertFromMimeData(const QMimeData *source) const
{
    return !localFiles(source).isEmpty() || QPlainTextEdit::canInsertFromMimeData(source);
}

void QueryEditor::insertFromMimeData(const QMimeData *source)
{
    const QStringList files = localFiles(source);
    if (files.isEmpty()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    for (const QString &path : files)
        insertFile(path);
}
