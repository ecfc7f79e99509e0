#pragma once

#include <QRect>
#include <QVector>
#include <QWidget>

class QueryEditor;

// The line numbers beside a query editor: one number per line of text,
// however it wraps, painted level with the line's first screen line from the
// editor's own block geometry, so every scroll, wrap and edit moves them
// along. It sits beside the editor in the page's layout and is as wide as the
// largest number needs.
class LineNumberArea : public QWidget
{
    Q_OBJECT

public:
    struct PaintedNumber
    {
        int number;
        QRect rect;
    };

    explicit LineNumberArea(QWidget *parent = nullptr);

    void setEditor(QueryEditor *editor);
    QueryEditor *editor() const { return m_editor; }

    // What the last paint drew, in this widget's coordinates: lets tests
    // hold each number against its line.
    const QVector<PaintedNumber> &paintedNumbers() const { return m_painted; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void updateWidth();
    void followEditorUpdate(const QRect &rect, int dy);
    // How far below this widget's top the editor's viewport begins.
    int viewportOffset() const;

    QueryEditor *m_editor = nullptr;
    int m_digits = 0;
    int m_currentBlock = -1;
    QVector<PaintedNumber> m_painted;
};
