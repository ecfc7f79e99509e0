#include "app/systemtrayicon.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDebug>
#include <QMenu>

namespace {
const QString kChineseCatalogue = QStringLiteral(":/cn.qm");
const QString kEnglishCatalogue = QStringLiteral(":/en.qm");
const int kBalloonMilliseconds = 10000;
} // namespace

SystemTrayIcon::SystemTrayIcon(const QStringList &messages, const QIcon &icon, QWidget *targetWindow)
    : QWidget(targetWindow), m_targetWindow(targetWindow), m_messages(messages), m_icon(icon)
{
    createActions();
    createMenus();
    createTrayIcon();
}

void SystemTrayIcon::createActions()
{
    m_minimiseAction = new QAction(tr("最小化(&M)"), this);
    m_minimiseAction->setObjectName(QStringLiteral("minimiseAction"));
    m_restoreAction = new QAction(tr("还 原(&R)"), this);
    m_restoreAction->setObjectName(QStringLiteral("restoreAction"));
    m_quitAction = new QAction(tr("退出(&Q)"), this);
    m_quitAction->setObjectName(QStringLiteral("quitAction"));
    m_chineseAction = new QAction(tr("简体中文(&C)"), this);
    m_chineseAction->setObjectName(QStringLiteral("chineseAction"));
    m_englishAction = new QAction(tr("英语(&E)"), this);
    m_englishAction->setObjectName(QStringLiteral("englishAction"));

    connect(m_minimiseAction, &QAction::triggered, m_targetWindow, &QWidget::hide);
    connect(m_restoreAction, &QAction::triggered, m_targetWindow, &QWidget::showNormal);
    // Through the window's close, which asks first while a query runs.
    connect(m_quitAction, &QAction::triggered, this, [this] {
        if (m_targetWindow->close())
            QCoreApplication::quit();
    });

    m_languageGroup = new QActionGroup(this);
    m_languageGroup->addAction(m_chineseAction);
    m_languageGroup->addAction(m_englishAction);
    connect(m_languageGroup, &QActionGroup::triggered, this, &SystemTrayIcon::set_lang);
}

void SystemTrayIcon::createMenus()
{
    m_contextMenu = new QMenu(this);
    m_contextMenu->setObjectName(QStringLiteral("trayMenu"));
    m_languageMenu = new QMenu(tr("语言设置"), this);
    m_languageMenu->setObjectName(QStringLiteral("languageMenu"));
    m_languageMenu->addAction(m_chineseAction);
    m_languageMenu->addAction(m_englishAction);

    m_contextMenu->addMenu(m_languageMenu);
    m_contextMenu->addAction(m_restoreAction);
    m_contextMenu->addAction(m_minimiseAction);
    m_contextMenu->addSeparator();
    m_contextMenu->addAction(m_quitAction);
}

void SystemTrayIcon::createTrayIcon()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;

    m_trayIcon = new QSystemTrayIcon(m_targetWindow);
    m_trayIcon->setIcon(m_icon);
    m_trayIcon->setToolTip(m_messages.value(1));
    m_trayIcon->showMessage(m_messages.value(0), m_messages.value(1), QSystemTrayIcon::Information,
                            kBalloonMilliseconds);
    m_trayIcon->setContextMenu(m_contextMenu);
    m_trayIcon->setVisible(true);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &SystemTrayIcon::slot_sys_tray_iconActivated);
}

void SystemTrayIcon::slot_sys_tray_iconActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason != QSystemTrayIcon::DoubleClick)
        return;
    m_targetWindow->setWindowState(Qt::WindowActive);
    m_targetWindow->show();
}

void SystemTrayIcon::set_lang(QAction *action)
{
    qDebug() << action->text();
    const bool chinese = action == m_chineseAction;
    if (chinese || action == m_englishAction) {
        qDebug() << (chinese ? "china " : "english ");
        // Installing again would only stack duplicate entries in the application's list.
        QCoreApplication::removeTranslator(&m_translator);
        // A catalogue that fails to load leaves the translator empty: source texts show.
        m_translator.load(chinese ? kChineseCatalogue : kEnglishCatalogue);
        QCoreApplication::installTranslator(&m_translator);
    }
    retranslate();
    emit signal_lang_refresh();
}

void SystemTrayIcon::retranslate()
{
    m_quitAction->setText(tr("退出(&Q)"));
    m_minimiseAction->setText(tr("最小化(&M)"));
    m_chineseAction->setText(tr("简体中文(&C)"));
    m_englishAction->setText(tr("英语(&E)"));
    m_restoreAction->setText(tr("还 原(&R)"));
    m_languageMenu->setTitle(tr("语言设置"));
}
