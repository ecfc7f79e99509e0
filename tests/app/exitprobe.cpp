// Starts the application as a user would and clicks "用户退出". Exit status 0
// comes only from the button; 3 means the click returned and the process lived
// on. With "--queries-running" both query pages first start a run whose
// requests the loopback server never answers, and the question before quitting
// mid-run is answered with "确 定".
#include "app/startup.h"
#include "tests/support/loopbackbaidu.h"
#include "tests/support/testsettings.h"
#include "ui/messagebox.h"
#include "ui/uidemo08.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <cstdio>
#include <memory>

namespace {

const char kQueriesRunning[] = "--queries-running";

bool startQueries(UIDemo08 *window, testsupport::LoopbackBaidu &baidu)
{
    baidu.setHandler([](const testsupport::Request &) { return testsupport::Reply::silent(); });
    window->setSearchEndpoints(baidu.endpoints());
    window->findChild<QPlainTextEdit *>(QStringLiteral("urlsList"))
        ->setPlainText(QStringLiteral("http://www.quillane.com/a.html\nhttp://www.quillane.com/b.html"));
    window->findChild<QPlainTextEdit *>(QStringLiteral("urlsList_2"))
        ->setPlainText(QStringLiteral("Quillane工具 http://www.quillane.com/"));
    window->findChild<QPushButton *>(QStringLiteral("slcxBtn"))->click();
    window->findChild<QPushButton *>(QStringLiteral("slcxBtn_2"))->click();
    return QTest::qWaitFor([&baidu] { return baidu.requestCount() >= 2; }, 30000);
}

} // namespace

int main(int argc, char *argv[])
{
    const QTemporaryDir settingsHome;
    testsupport::useUnpacedSettings(settingsHome.path());
    Startup::prepareProcess();
    QApplication app(argc, argv);
    UIDemo08::setAdvertisementAddressForTesting(QUrl(QStringLiteral("about:blank")));
    const std::unique_ptr<UIDemo08> window(Startup::openMainWindow());
    if (!QTest::qWaitForWindowExposed(window.get()))
        return 2;

    testsupport::LoopbackBaidu baidu;
    if (argc > 1 && qstrcmp(argv[1], kQueriesRunning) == 0 && !startQueries(window.get(), baidu))
        return 2;

    auto *exitButton = window->findChild<QToolButton *>(QStringLiteral("btnExit"));
    if (!exitButton)
        return 2;
    QuillaneMessageBox::setAnswererForTesting([](const QString &text) {
        std::printf("asked %s\n", text.toUtf8().constData());
        return true;
    });
    std::printf("clicking\n");
    QTest::mouseClick(exitButton, Qt::LeftButton);
    return 3;
}
