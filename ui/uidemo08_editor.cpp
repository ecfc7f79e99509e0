// The query pages' input editors: line numbers, 清空 and importing files.
#include "ui/uidemo08.h"
#include "ui_uidemo08.h"

#include "ui/linenumberarea.h"
#include "ui/messagebox.h"
#include "ui/openfiledialog.h"
#include "ui/queryeditor.h"

#include <QFileInfo>

namespace {

const QString kRankingClearButton = QStringLiteral("clearBtn_2");
const QString kRankingImportButton = QStringLiteral("importBtn_2");

const char kImportCaption[] = QT_TRANSLATE_NOOP("UIDemo08", "导入文本文件");
const char kImportFilter[] = QT_TRANSLATE_NOOP("UIDemo08", "文本文件 (*.txt *.csv);;所有文件 (*)");
const char kUnreadableFile[] = QT_TRANSLATE_NOOP("UIDemo08", "无法读取文件：%1");

} // namespace

void UIDemo08::initEditors()
{
    const struct
    {
        LineNumberArea *numbers;
        QueryEditor *editor;
        QPushButton *import;
    } pages[] = {{ui->hangHao, ui->urlsList, ui->importBtn},
                 {ui->hangHao_2, ui->urlsList_2, ui->importBtn_2}};
    for (const auto &page : pages) {
        page.numbers->setEditor(page.editor);
        connect(page.import, &QPushButton::clicked, this, &UIDemo08::importLines);
        connect(page.editor, &QueryEditor::fileRejected, this, &UIDemo08::reportUnreadableFile);
        // The button belongs to the input: it goes and comes back with the editor when a run starts and ends.
        connect(page.editor, &QueryEditor::hiddenChanged, page.import, &QWidget::setHidden);
    }
}

void UIDemo08::importLines()
{
    const bool ranking = sender() && sender()->objectName() == kRankingImportButton;
    QueryEditor *editor = ranking ? ui->urlsList_2 : ui->urlsList;
    const QString path = OpenFileDialog::getOpenFileName(this, tr(kImportCaption), tr(kImportFilter));
    if (path.isEmpty())
        return;
    // Lines go after what is there, not into the middle of a line the cursor happens to be in.
    editor->moveCursor(QTextCursor::End);
    editor->insertFile(path);
    editor->setFocus();
}

void UIDemo08::reportUnreadableFile(const QString &path)
{
    QuillaneMessageBox::inform(tr(kUnreadableFile).arg(QFileInfo(path).fileName()));
}

void UIDemo08::on_clearBtn_clicked()
{
    // Undoable with Ctrl+Z, so no question first.
    QueryEditor *editor =
        sender() && sender()->objectName() == kRankingClearButton ? ui->urlsList_2 : ui->urlsList;
    editor->clearUndoably();
    editor->setFocus();
}
