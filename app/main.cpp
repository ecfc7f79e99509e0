#include "startup.h"
#include "uidemo08.h"

#include <QApplication>

#include <memory>

int main(int argc, char *argv[])
{
    Startup::prepareProcess();
    QApplication app(argc, argv);
    const std::unique_ptr<UIDemo08> window(Startup::openMainWindow());

    // The tray icon for the shown window is created here, before the event loop.

    return app.exec();
}
