// Starts the application as a user would and clicks "用户退出". Exit status 0
// comes only from the button; 3 means the click returned and the process lived on.
#include "startup.h"
#include "uidemo08.h"

#include <QApplication>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    Startup::prepareProcess();
    QApplication app(argc, argv);
    UIDemo08::setAdvertisementAddressForTesting(QUrl(QStringLiteral("about:blank")));
    const std::unique_ptr<UIDemo08> window(Startup::openMainWindow());
    if (!QTest::qWaitForWindowExposed(window.get()))
        return 2;

    auto *exitButton = window->findChild<QToolButton *>(QStringLiteral("btnExit"));
    if (!exitButton)
        return 2;
    std::printf("clicking\n");
    QTest::mouseClick(exitButton, Qt::LeftButton);
    return 3;
}
