// Starts the application as a user would and clicks "用户退出". Exit status 0
// comes only from the button; 3 means the click returned and the process lived
// on. With "--queries-running" both query pages first start a run whose
// requests the loopback server never answers, and the question before quitting
// mid-run is answered with "确 定". With "--killed-after-rows" the inclusion
// page checks three lines, the third never answered, and the process kills
// itself (SIGKILL) as soon as the table shows the first two.
#include "app/startup.h"
#include "tests/support/inclusionpages.h"
#include "tests/support/loopbackbaidu.h"
#include "tests/support/testsettings.h"
#include "ui/widgets/messagebox.h"
#include "ui/frame/uidemo08.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <csignal>
#include <cstdio>
#include <memory>

#include <unistd.h>

namespace {

const char kQueriesRunning[] = "--queries-running";
const char kKilledAfterRows[] = "--killed-after-rows";

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

void showRowsThenDie(UIDemo08 *window, testsupport::LoopbackBaidu &baidu)
{
    baidu.setHandler([](const testsupport::Request &request) {
        const QByteArray address = request.param("wd");
        if (address.contains("hang"))
            return testsupport::Reply::silent();
        return testsupport::Reply::page(testsupport::desktopPage(testsupport::desktopHeading(address)));
    });
    window->setSearchEndpoints(baidu.endpoints());
    window->findChild<QPlainTextEdit *>(QStringLiteral("urlsList"))
        ->setPlainText(QStringLiteral("http://www.a.cn/\nhttp://www.b.cn/\nhttp://www.hang.cn/"));
    window->findChild<QPushButton *>(QStringLiteral("slcxBtn"))->click();
    const QAbstractItemModel *shown = window->findChild<QTableView *>(QStringLiteral("resultList"))->model();
    const auto rowShown = [shown](int row) { return !shown->index(row, 2).data().toString().isEmpty(); };
    if (!QTest::qWaitFor([&] { return rowShown(0) && rowShown(1); }, 30000))
        return;
    std::printf("shown 2\n");
    std::fflush(stdout);
    ::kill(::getpid(), SIGKILL);
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
    if (argc > 1 && qstrcmp(argv[1], kKilledAfterRows) == 0) {
        showRowsThenDie(window.get(), baidu);
        return 2;
    }

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
