#pragma once

#include <QIcon>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QTranslator>
#include <QWidget>

class QAction;
class QActionGroup;
class QMenu;

// The main window's icon in the notification area: its menu hides, restores
// and quits the application and switches the menu between Chinese and English.
// Never shown itself; without a notification area it stays inert.
class SystemTrayIcon : public QWidget
{
    Q_OBJECT

public:
    // messages: entry 0 is the balloon title, entry 1 the balloon message and tool tip.
    SystemTrayIcon(const QStringList &messages, const QIcon &icon, QWidget *targetWindow);

signals:
    void signal_lang_refresh();

public slots:
    void slot_sys_tray_iconActivated(QSystemTrayIcon::ActivationReason reason);
    void set_lang(QAction *action);

private:
    void createActions();
    void createMenus();
    void createTrayIcon();
    void retranslate();

    QActionGroup *m_languageGroup = nullptr;
    QWidget *m_targetWindow;
    QSystemTrayIcon *m_trayIcon = nullptr;
    QMenu *m_contextMenu = nullptr;
    QMenu *m_languageMenu = nullptr;
    QAction *m_minimiseAction = nullptr;
    QAction *m_restoreAction = nullptr;
    QAction *m_quitAction = nullptr;
    QAction *m_chineseAction = nullptr;
    QAction *m_englishAction = nullptr;
    QStringList m_messages;
    QIcon m_icon;
    QTranslator m_translator;
};
