#include "ui/widgets/editorbinding.h"

#include "ui/widgets/linenumberarea.h"
#include "ui/widgets/messagebox.h"
#include "ui/widgets/openfiledialog.h"
#include "ui/widgets/queryeditor.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPushButton>

namespace {
const char kContext[] = "EditorBinding";
const char kImportCaption[] = QT_TRANSLATE_NOOP("EditorBinding", "导入文本文件");
const char kImportFilter[] = QT_TRANSLATE_NOOP("EditorBinding", "文本文件 (*.txt *.csv);;所有文件 (*)");
const char kUnreadableFile[] = QT_TRANSLATE_NOOP("EditorBinding", "无法读取文件：%1");
} // namespace

void bindQueryEditor(QueryEditor *editor, LineNumberArea *numbers, QPushButton *import, QPushButton *clear)
{
    numbers->setEditor(editor);
    QObject::connect(import, &QPushButton::clicked, editor, [editor] {
        const QString path = OpenFileDialog::getOpenFileName(
            editor->window(), QCoreApplication::translate(kContext, kImportCaption),
            QCoreApplication::translate(kContext, kImportFilter));
        if (path.isEmpty())
            return;
        editor->moveCursor(QTextCursor::End);
        editor->insertFile(path);
        editor->setFocus();
    });
    QObject::connect(editor, &QueryEditor::fileRejected, editor, [](const QString &path) {
        QuillaneMessageBox::inform(
            QCoreApplication::translate(kContext, kUnreadableFile).arg(QFileInfo(path).fileName()));
    });
    QObject::connect(editor, &QueryEditor::hiddenChanged, import, &QWidget::setHidden);
    QObject::connect(clear, &QPushButton::clicked, editor, [editor] {
        editor->clearUndoably();
        editor->setFocus();
    });
}

void appendEditorLines(QPlainTextEdit *editor, const QStringList &lines)
{
    if (lines.isEmpty())
        return;
    const QString present = editor->toPlainText();
    const bool needsBreak = !present.isEmpty() && !present.endsWith(QLatin1Char('\n'));
    QTextCursor cursor(editor->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText((needsBreak ? QStringLiteral("\n") : QString()) + lines.join(QLatin1Char('\n')));
}
