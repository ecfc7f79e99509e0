#include "tests/support/checkingbaidu.h"
#include "tests/support/inclusionpages.h"
#include "tests/support/loopbackbaidu.h"
#include "tests/support/windowtestmain.h"
#include "ui/frame/uidemo08.h"
#include "ui/widgets/messagebox.h"

#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

#include <memory>

using namespace testsupport;

namespace {
constexpr int kPageTimeoutMs = 30000;
const QString kCheckTitle = QStringLiteral("百度安全验证");
const QString kLines =
    QStringLiteral("http://www.a.example/1\nhttp://www.a.example/2\nhttp://www.a.example/3");

Reply included(const Request &request)
{
    return Reply::page(desktopPage(desktopHeading("页面 " + request.param("wd"))));
}
} // namespace

// The hand-off of Baidu's robot check in the real window: the check page in
// the embedded view (pressed here through the page's own JavaScript), the
// run resuming, the cookies kept for the next run; or 跳过验证.
class TestRobotCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QuillaneMessageBox::setAnswererForTesting([](const QString &) { return true; });
        m_checking = std::make_unique<CheckingBaidu>(m_baidu);
        m_baidu.setHandler(m_checking->wrap(included));
    }
    void cleanupTestCase() { QuillaneMessageBox::setAnswererForTesting({}); }

    void init()
    {
        m_window = std::make_unique<UIDemo08>();
        m_window->setSearchEndpoints(m_baidu.endpoints());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QTest::mouseClick(m_window->findChild<QToolButton *>(QStringLiteral("tbtnMain1")), Qt::LeftButton);
    }
    void cleanup() { m_window.reset(); }

    // In order: the first run meets the check and passes it, the second one never meets it.
    void passedCheckResumesTheRun_data()
    {
        QTest::addColumn<bool>("meetsCheck");
        QTest::newRow("first run: the check, passed in the view") << true;
        QTest::newRow("next run: the cookies were kept") << false;
    }

    void passedCheckResumesTheRun()
    {
        QFETCH(bool, meetsCheck);
        const int checksBefore = m_checking->checks();
        startRun();
        if (meetsCheck) {
            QWebEngineView *view = checkView();
            QVERIFY(view);
            QCOMPARE(m_window->findChild<QLabel *>(QStringLiteral("robotCheckReason"))->text(),
                     QStringLiteral("百度要求验证后才能继续查询，请在下方完成验证"));
            view->page()->runJavaScript(QStringLiteral("document.getElementById('pass').click();"));
            QTRY_VERIFY_WITH_TIMEOUT(!m_window->findChild<QDialog *>(QStringLiteral("robotCheckDialog")),
                                     kPageTimeoutMs);
        }
        QTRY_VERIFY_WITH_TIMEOUT(status().startsWith(QStringLiteral("查询完成：3 条，异常 0 条")),
                                 kPageTimeoutMs);
        QCOMPARE(m_checking->checks() - checksBefore, meetsCheck ? 1 : 0);
        QCOMPARE(m_checking->passes(), 1);
    }

    // Skipped, the lines end as any robot check ends them, and the page says the gate slows down.
    void skippedCheckEndsTheLines()
    {
        settingsButton("clearCookiesBtn")->click();
        startRun();
        QVERIFY(checkView());
        QTest::mouseClick(settingsButton("skipRobotCheck"), Qt::LeftButton);
        auto *gateState = m_window->findChild<QLabel *>(QStringLiteral("gateState"));
        QTRY_VERIFY_WITH_TIMEOUT(gateState->text().startsWith(QStringLiteral("百度要求放慢：当前间隔")),
                                 kPageTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(status().startsWith(QStringLiteral("查询完成：3 条，异常 3 条")),
                                 kPageTimeoutMs);
        QVERIFY(!m_window->findChild<QDialog *>(QStringLiteral("robotCheckDialog")));
        // The learned pause is shown in 基本设置 until the settings are saved.
        QTest::mouseClick(m_window->findChild<QToolButton *>(QStringLiteral("btnConfig")), Qt::LeftButton);
        QTest::mouseClick(m_window->findChild<QToolButton *>(QStringLiteral("tbtnConfig1")), Qt::LeftButton);
        auto *learned = m_window->findChild<QLabel *>(QStringLiteral("learnedPauseLabel"));
        QTRY_VERIFY(learned->text().contains(QStringLiteral("毫秒")));
        QTest::mouseClick(settingsButton("saveBtn"), Qt::LeftButton);
        QTRY_VERIFY(learned->text().contains(QStringLiteral("无")));
        settingsButton("clearCookiesBtn")->click();
    }

private:
    void startRun()
    {
        m_window->findChild<QPlainTextEdit *>(QStringLiteral("urlsList"))->setPlainText(kLines);
        QTest::mouseClick(m_window->findChild<QPushButton *>(QStringLiteral("slcxBtn")), Qt::LeftButton);
    }

    // The dialog's view, once it shows the check page.
    QWebEngineView *checkView()
    {
        QPointer<QWebEngineView> view;
        const bool shown = QTest::qWaitFor(
            [&] {
                view = m_window->findChild<QWebEngineView *>(QStringLiteral("robotCheckView"));
                return view && view->title() == kCheckTitle;
            },
            kPageTimeoutMs);
        return shown ? view.data() : nullptr;
    }

    QPushButton *settingsButton(const char *name) const
    {
        return m_window->findChild<QPushButton *>(QLatin1String(name));
    }

    QString status() const { return m_window->findChild<QLabel *>(QStringLiteral("zhuangTai"))->text(); }

    LoopbackBaidu m_baidu;
    std::unique_ptr<CheckingBaidu> m_checking;
    std::unique_ptr<UIDemo08> m_window;
};

QUILLANE_WINDOW_TEST_MAIN(TestRobotCheck)
#include "tst_robotcheck.moc"
