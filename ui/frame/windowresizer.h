#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>

class QMouseEvent;
class QWidget;
class QWindow;

// Lets a frameless window be resized from its edges and corners: a press
// within a few pixels of the border hands the resize to the window system
// (QWindow::startSystemResize) or, where it has no such support, follows the
// mouse itself. It watches the window's own events, so the widgets under the
// border need not cooperate.
class WindowResizer : public QObject
{
    Q_OBJECT

public:
    static constexpr int kHitMargin = 4;

    explicit WindowResizer(QWidget *window);
    ~WindowResizer() override;

    // While disabled (a window that fills the work area), the border is no handle.
    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }

    // The edges a point (window coordinates) is a handle of: none, one, or two for a corner.
    Qt::Edges edgesAt(const QPoint &position) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void attach();
    bool handleWindowEvent(QEvent *event);
    void showEdgeCursor(Qt::Edges edges);
    void followMouse(const QPoint &globalPosition);

    QWidget *m_window;
    QWindow *m_handle = nullptr;
    bool m_enabled = true;
    Qt::Edges m_hoverEdges;
    // A resize this filter follows itself: its edges, where it began and from what.
    Qt::Edges m_dragEdges;
    QPoint m_pressGlobal;
    QRect m_pressGeometry;
};
