#include "app/appinit.h"

#include <QApplication>
#include <QMouseEvent>
#include <QMutex>
#include <QMutexLocker>
#include <QWidget>

#include <atomic>

namespace {

const char kCanMoveProperty[] = "canMove";

std::atomic<AppInit *> s_instance{nullptr};

QMutex &instanceMutex()
{
    static QMutex mutex;
    return mutex;
}

} // namespace

AppInit::AppInit() : QObject(nullptr) {}

AppInit *AppInit::instance()
{
    AppInit *existing = s_instance.load(std::memory_order_acquire);
    if (existing)
        return existing;
    QMutexLocker lock(&instanceMutex());
    existing = s_instance.load(std::memory_order_relaxed);
    if (!existing) {
        existing = new AppInit;
        s_instance.store(existing, std::memory_order_release);
    }
    return existing;
}

void AppInit::install()
{
    qApp->installEventFilter(this);
}

bool AppInit::eventFilter(QObject *watched, QEvent *event)
{
    // The property test comes first: everything else passes untouched.
    if (!watched->property(kCanMoveProperty).toBool())
        return QObject::eventFilter(watched, event);
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget)
        return QObject::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            break;
        m_dragging = true;
        m_grabOffset = mouse->globalPos() - widget->pos();
        return true;
    }
    case QEvent::MouseButtonRelease:
        m_dragging = false;
        return true;
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (!m_dragging || mouse->buttons() == Qt::NoButton)
            break;
        widget->move(mouse->globalPos() - m_grabOffset);
        return true;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
