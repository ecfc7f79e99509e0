#pragma once

#include <QObject>
#include <QPoint>

// Lets frameless windows be dragged: an application-wide event filter that
// moves any widget carrying the dynamic property canMove = true with the left
// mouse button, from any place on it that does not take the press itself.
class AppInit : public QObject
{
    Q_OBJECT

public:
    static AppInit *instance();

    // Filters every event of the GUI thread from now on.
    void install();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    AppInit();

    // One mouse, so one drag at a time for the whole process.
    bool m_dragging = false;
    // Global cursor position at the press minus the widget's position then.
    QPoint m_grabOffset;
};
