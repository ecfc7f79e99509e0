#include "ui/frame/windowmemory.h"

#include "search/appsettings.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSettings>
#include <QWidget>

namespace {

// A geometry from another screen layout may lie off every screen now.
bool onSomeScreen(const QRect &geometry)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *screen : screens) {
        if (screen->availableGeometry().intersects(geometry))
            return true;
    }
    return false;
}

} // namespace

WindowMemory::WindowMemory(QWidget *window, const Frame &frame, const QList<Page> &pages)
    : QObject(window), m_window(window), m_frame(frame), m_pages(pages)
{
    window->installEventFilter(this);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &WindowMemory::save);
}

bool WindowMemory::restore()
{
    const QSettings settings;
    const QRect geometry = settings.value(AppSettings::kWindowGeometry).toRect();
    if (geometry.isValid() && onSomeScreen(geometry))
        m_window->setGeometry(geometry);
    for (const Page &page : qAsConst(m_pages)) {
        if (settings.value(AppSettings::pageMobileKey(page.key)).toBool())
            page.mobile->setChecked(true);
        else
            page.desktop->setChecked(true);
        const QString text = settings.value(AppSettings::pageTextKey(page.key)).toString();
        if (!text.isEmpty())
            page.editor->setPlainText(text);
    }
    return settings.value(AppSettings::kWindowMaximised).toBool();
}

void WindowMemory::save() const
{
    QSettings settings;
    settings.setValue(AppSettings::kWindowGeometry, m_frame.normalGeometry());
    settings.setValue(AppSettings::kWindowMaximised, m_frame.maximised());
    for (const Page &page : m_pages) {
        settings.setValue(AppSettings::pageMobileKey(page.key), page.mobile->isChecked());
        settings.setValue(AppSettings::pageTextKey(page.key), page.editor->toPlainText());
    }
}

bool WindowMemory::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Close)
        save();
    return QObject::eventFilter(watched, event);
}
