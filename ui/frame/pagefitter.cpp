#include "ui/frame/pagefitter.h"

#include <QEvent>
#include <QWidget>

void PageFitter::fit(QWidget *page, QWidget *content, const QMargins &margins)
{
    new PageFitter(page, content, margins);
}

PageFitter::PageFitter(QWidget *page, QWidget *content, const QMargins &margins)
    : QObject(page), m_page(page), m_content(content), m_margins(margins)
{
    // The window cannot shrink the page below what its content needs.
    const QSize needed = content->minimumSizeHint();
    page->setMinimumSize(needed.width() + margins.left() + margins.right(),
                         needed.height() + margins.top() + margins.bottom());
    page->installEventFilter(this);
    place();
}

bool PageFitter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_page && event->type() == QEvent::Resize)
        place();
    return QObject::eventFilter(watched, event);
}

void PageFitter::place()
{
    m_content->setGeometry(m_page->rect().marginsRemoved(m_margins));
}
