#pragma once

#include <QMargins>
#include <QObject>

class QWidget;

// Keeps a page's content box covering the page, less fixed margins, as the
// page grows and shrinks. The page gets no layout of its own on purpose: a
// layout there would carry every size change inside the content (a total's
// new text, a new progress format) up to the window and lay out the whole
// window again once per result.
class PageFitter : public QObject
{
    Q_OBJECT

public:
    // margins: how far the content stays inside each edge; negative reaches past it.
    static void fit(QWidget *page, QWidget *content, const QMargins &margins);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    PageFitter(QWidget *page, QWidget *content, const QMargins &margins);
    void place();

    QWidget *m_page;
    QWidget *m_content;
    QMargins m_margins;
};
