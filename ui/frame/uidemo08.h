#pragma once

// The product's own words live on in object and slot names (users' scripts find widgets by them):
//   slcx       收录查询, inclusion query (slcxBtn: its 查询 button, slcxTab: its page)
//   pmcx       排名查询, ranking query (pmcxTab; pmreceiveResult)
//   shoulu     收录, included (tShoulu, twuShoulu 未收录, tShoululv 收录率)
//   shuru      输入, input (tShuru: 总输入)           yichang    异常, failed (tYichang)
//   tiShi      提示, the input hint                  hangHao    行号, line numbers
//   urlsList   the input editor                     resultList the result table
//   daochu     导出, export (daochuBtn: 导出报表)     fanhui     返回, back to the input (重新查询)
//   chongcha   重查, check again (chongchaBtn: 重查异常)
//   zhuangTai  状态, the status line under a run
//   dnd / sjd  电脑端 / 手机端 (shown as 移动端), desktop / mobile (pcRbtn / sjRbtn)
//   suffixes   none: 收录查询, "_2": 排名查询, "_site": 泛排名查询, "_mine": 关键词挖掘

#include "search/checkresult.h"
#include "search/fetchsettings.h"
#include "search/searchcontext.h"
#include "search/searchendpoints.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>

class HistoryPage;
class HistoryStore;
class HomePage;
class MiningPage;
class QAbstractButton;
class QCloseEvent;
class QMouseEvent;
class QScrollArea;
class QToolButton;
class QUrl;
class QueryPage;
class SchedulePage;
class SettingsPage;
class SiteRankingPage;
class ToolPage;
class WindowMemory;
class WindowResizer;

namespace Ui {
class UIDemo08;
}

// The application's one working window, a frameless frame: its own title
// bar, the top navigation between the stacked pages and the left bars
// within them. The pages are classes of their own that the frame creates
// and places: the home page, 收录查询 and 排名查询 (two QueryPages) and
// 历史记录 in the tab of the first stacked page, 关键词挖掘 and 基本设置
// in the second, 泛排名查询 the third, 帮助手册 the fourth. The frame hands
// the tool pages the search context in force and opens a stored run in
// the page whose tool kept it.
class UIDemo08 : public QWidget
{
    Q_OBJECT

public:
    explicit UIDemo08(QWidget *parent = nullptr);
    ~UIDemo08() override;

    // Test seam, not reachable from the window: where the checks (and the
    // settings page's proxy test) send their requests.
    void setSearchEndpoints(const SearchEndpoints &endpoints);
    SearchEndpoints searchEndpoints() const;
    // Test seam: where the home page's advertisement panel navigates; set before building a window.
    static void setAdvertisementAddressForTesting(const QUrl &address);

    // "dnd" (desktop) or "sjd" (mobile), as each page's radio buttons show;
    // the current one is the shown query page's, the inclusion page's on the home page.
    QString inclusionDeviceMode() const;
    QString rankingDeviceMode() const;
    QString currentDeviceMode() const;
    // A query is running on any page.
    bool isQueryRunning() const;

private slots:
    // Kept by name for scripts that call them; each serves one page now.
    // Starts the 排名查询 page, as every caller but the inclusion page's own button always did.
    void showResult();
    // Exports the 收录查询 page's table, as every caller but the ranking page's own button always did.
    void on_daochuBtn_clicked();
    // A result for the 收录查询 page's running batch.
    void receiveResult(InclusionResult theResult, int i);
    // The 排名查询 page's running batch shows its result i.
    void pmreceiveResult(int i);
    // Title bar.
    void on_btnMenu_Min_clicked();
    void on_btnMenu_Max_clicked();
    void on_btnMenu_Close_clicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    // Mid-run, closing asks first.
    void closeEvent(QCloseEvent *event) override;

private:
    void createPages();
    void initForm();
    void initTopNavigation();
    void initLeftMain();
    void initLeftConfig();
    void initSettingsPage();
    // The top button chosen and its stacked page; no page: the user leaves.
    void showTopPage(QToolButton *button, QWidget *page);
    // Marks the chosen entry of a left bar, in its active picture.
    void markLeftEntry(const QList<QToolButton *> &bar, QToolButton *chosen);
    // The one tab of the first stacked page: page, with its location as the tab's text.
    void showTab(QWidget *page, const QString &location);
    void showQueryPage(QueryPage *page);
    // Keywords found by mining, onto the 排名查询 or 泛排名查询 editor, which is then shown.
    void receiveKeywords(const QStringList &keywords, bool toSiteRanking);
    // True when nothing runs or the user confirms quitting mid-run.
    bool confirmQuit();
    void applyFetchSettings(const FetchSettings &settings);
    // Shows the check a run met in the dialog "百度安全验证", unless it shows one already.
    void showRobotCheck(const RobotCheckMeeting &meeting);
    // 清除Cookie: every session's cookies and the learned pause are forgotten.
    void forgetSessions();
    // What a run starting now uses: the settings in force, through the process's gate.
    SearchContext runContext() const;
    void passContextToPages();
    // The run history, opened at first use.
    HistoryStore *history();
    void showHistoryPage();
    // Shows a stored run in the page of its tool.
    void openStoredRun(qint64 runId);
    // 定时任务, made at first use.
    void showSchedulePage();

    Ui::UIDemo08 *ui;
    HomePage *m_homePage = nullptr;
    QWidget *m_helpPage = nullptr;
    QueryPage *m_inclusionPage = nullptr;
    QueryPage *m_rankingPage = nullptr;
    SiteRankingPage *m_siteRankingPage = nullptr;
    MiningPage *m_miningPage = nullptr;
    SettingsPage *m_settingsPage = nullptr;
    QScrollArea *m_settingsScroll = nullptr; // holds the settings page in the config area
    HistoryPage *m_historyPage = nullptr;
    SchedulePage *m_schedulePage = nullptr;
    // Every page that runs a tool.
    QList<ToolPage *> m_toolPages;
    // The pages that show a stored run again, with the button that leads to each.
    struct RunPage
    {
        ToolPage *page;
        QAbstractButton *button;
    };
    QList<RunPage> m_runPages;

    QList<QToolButton *> m_topButtons;
    QList<QToolButton *> m_mainBar;
    QList<QToolButton *> m_configBar;

    SearchEndpoints m_endpoints;
    // Built from the settings in force; its proxy rotation is shared by the runs.
    SearchContext m_fetchContext;
    // The sessions of every run of the window, their cookies kept in the data folder.
    std::shared_ptr<SessionPool> m_sessions = std::make_shared<SessionPool>(SessionPool::defaultFolder());
    // Hands robot checks to the user, when the settings say so; the dialog shown meanwhile.
    std::shared_ptr<RobotCheckHandOff> m_handOff;
    QPointer<QDialog> m_robotCheckDialog;
    std::unique_ptr<HistoryStore> m_history;

    // Frame: the window is maximised by geometry, never by the window system.
    bool m_maximized = false;
    QRect m_normalGeometry;
    WindowResizer *m_resizer = nullptr;
    WindowMemory *m_memory = nullptr;
};
