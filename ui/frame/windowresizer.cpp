#include "ui/frame/windowresizer.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

WindowResizer::WindowResizer(QWidget *window) : QObject(window), m_window(window)
{
    window->installEventFilter(this);
    if (window->windowHandle())
        attach();
}

WindowResizer::~WindowResizer()
{
    // The edge cursor is the application's: it must not outlive the window it was for.
    showEdgeCursor({});
}

void WindowResizer::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (!enabled)
        showEdgeCursor({});
}

Qt::Edges WindowResizer::edgesAt(const QPoint &position) const
{
    Qt::Edges edges;
    const QRect area = m_window->rect();
    if (!m_enabled || !area.contains(position))
        return edges;
    if (position.x() < area.left() + kHitMargin)
        edges |= Qt::LeftEdge;
    if (position.x() > area.right() - kHitMargin)
        edges |= Qt::RightEdge;
    if (position.y() < area.top() + kHitMargin)
        edges |= Qt::TopEdge;
    if (position.y() > area.bottom() - kHitMargin)
        edges |= Qt::BottomEdge;
    return edges;
}

void WindowResizer::attach()
{
    if (m_handle == m_window->windowHandle())
        return;
    if (m_handle)
        m_handle->removeEventFilter(this);
    m_handle = m_window->windowHandle();
    if (m_handle)
        m_handle->installEventFilter(this);
}

bool WindowResizer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window) {
        // The native window exists from the first show on, and may be made anew.
        if (event->type() == QEvent::Show || event->type() == QEvent::WinIdChange)
            attach();
        return false;
    }
    if (watched == m_handle)
        return handleWindowEvent(event);
    return false;
}

bool WindowResizer::handleWindowEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (m_dragEdges) {
            followMouse(mouse->globalPos());
            return true;
        }
        if (mouse->buttons() == Qt::NoButton)
            showEdgeCursor(edgesAt(mouse->pos()));
        return false;
    }
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const Qt::Edges edges = edgesAt(mouse->pos());
        if (mouse->button() != Qt::LeftButton || !edges)
            return false;
        if (!m_handle->startSystemResize(edges)) {
            m_dragEdges = edges;
            m_pressGlobal = mouse->globalPos();
            m_pressGeometry = m_window->geometry();
        }
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (!m_dragEdges)
            return false;
        m_dragEdges = {};
        return true;
    case QEvent::Leave:
        if (!m_dragEdges)
            showEdgeCursor({});
        return false;
    default:
        return false;
    }
}

void WindowResizer::showEdgeCursor(Qt::Edges edges)
{
    if (edges == m_hoverEdges)
        return;
    Qt::CursorShape shape = Qt::ArrowCursor;
    const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
    if (horizontal && vertical) {
        const bool falling =
            edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge);
        shape = falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
    } else if (horizontal) {
        shape = Qt::SizeHorCursor;
    } else if (vertical) {
        shape = Qt::SizeVerCursor;
    }
    // An override cursor wins over the cursors of the widgets under the border.
    if (!m_hoverEdges)
        QApplication::setOverrideCursor(shape);
    else if (edges)
        QApplication::changeOverrideCursor(shape);
    else
        QApplication::restoreOverrideCursor();
    m_hoverEdges = edges;
}

void WindowResizer::followMouse(const QPoint &globalPosition)
{
    const QPoint delta = globalPosition - m_pressGlobal;
    const QSize minimum = m_window->minimumSize().expandedTo(m_window->minimumSizeHint());
    QRect geometry = m_pressGeometry;
    if (m_dragEdges & Qt::LeftEdge)
        geometry.setLeft(qMin(geometry.left() + delta.x(), geometry.right() + 1 - minimum.width()));
    if (m_dragEdges & Qt::RightEdge)
        geometry.setRight(qMax(geometry.right() + delta.x(), geometry.left() + minimum.width() - 1));
    if (m_dragEdges & Qt::TopEdge)
        geometry.setTop(qMin(geometry.top() + delta.y(), geometry.bottom() + 1 - minimum.height()));
    if (m_dragEdges & Qt::BottomEdge)
        geometry.setBottom(qMax(geometry.bottom() + delta.y(), geometry.top() + minimum.height() - 1));
    m_window->setGeometry(geometry);
}
