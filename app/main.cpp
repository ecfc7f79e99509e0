#include "app/startup.h"
#include "app/systemtrayicon.h"
#include "ui/frame/uidemo08.h"

#include <QApplication>
#include <QIcon>

#include <memory>

namespace {
const QString kTrayTitle = QStringLiteral("Quillane工具");
const QString kTrayMessage = QStringLiteral("百度收录与排名查询已在托盘运行");
const QString kTrayIcon = QStringLiteral(":/images/quillane.ico");
} // namespace

int main(int argc, char *argv[])
{
    Startup::prepareProcess();
    QApplication app(argc, argv);
    // Lets the desktop shell match the window to the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUILLANE_APP_ID));
    const std::unique_ptr<UIDemo08> window(Startup::openMainWindow());

    // Owned by the window; created once it is shown so that it stays hidden itself.
    new SystemTrayIcon({kTrayTitle, kTrayMessage}, QIcon(kTrayIcon), window.get());

    return app.exec();
}
