#pragma once

#include <QList>
#include <QObject>
#include <QRect>
#include <QString>

#include <functional>

class QAbstractButton;
class QPlainTextEdit;
class QWidget;

// What the window keeps between starts, in the application's settings file:
// its geometry (and whether it filled the work area), each query page's
// device and its input text. Saved when the window closes or the application
// quits; save() serves the ways out that skip both.
class WindowMemory : public QObject
{
    Q_OBJECT

public:
    struct Page
    {
        QString key;
        QAbstractButton *mobile;
        QAbstractButton *desktop;
        QPlainTextEdit *editor;
    };
    struct Frame
    {
        // The geometry to come back to, also while the window fills the work area.
        std::function<QRect()> normalGeometry;
        std::function<bool()> maximised;
    };

    WindowMemory(QWidget *window, const Frame &frame, const QList<Page> &pages);

    // Puts back what the last save held; true when the window then filled the work area.
    bool restore();
    void save() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
    Frame m_frame;
    QList<Page> m_pages;
};
