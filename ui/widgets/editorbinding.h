#pragma once

#include <QStringList>

class LineNumberArea;
class QPlainTextEdit;
class QPushButton;
class QueryEditor;

// Gives a page's editor what the query pages' editors have: line numbers,
// 导入 (a text file's lines after the present ones; an unreadable file is
// named in a message box), 清空 (undoable) and an import button that hides
// with the editor.
void bindQueryEditor(QueryEditor *editor, LineNumberArea *numbers, QPushButton *import, QPushButton *clear);

// Puts lines after the editor's own, on lines of their own, as one edit that Ctrl+Z takes back.
void appendEditorLines(QPlainTextEdit *editor, const QStringList &lines);
