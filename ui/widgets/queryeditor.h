#pragma once

#include <QPlainTextEdit>
#include <QRectF>
#include <QTextBlock>

class QMimeData;

// The query pages' input editor. Tab moves the focus on instead of typing a
// tab, 清空 empties it as one step that Ctrl+Z takes back, and a text file
// dropped or pasted onto it (or opened through the page's 导入 button) comes
// in as its lines, decoded as the command decodes its input. It tells its
// line-number area where each line stands.
class QueryEditor : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit QueryEditor(QWidget *parent = nullptr);

    // Where a block is laid out, in viewport coordinates.
    QRectF blockRect(const QTextBlock &block) const;
    // The first block at least partly in view.
    QTextBlock firstShownBlock() const;

    // Empties the editor as one undoable edit.
    void clearUndoably();
    // Inserts a text file's lines at the cursor as one undoable edit, on a
    // line of their own; false (and nothing inserted) when it cannot be read.
    bool insertFile(const QString &path);

signals:
    // A file could not be read or is no text file of lines.
    void fileRejected(const QString &path);
    // Shown or hidden within its page, so that widgets of the input can follow.
    void hiddenChanged(bool hidden);

protected:
    bool event(QEvent *event) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
};
