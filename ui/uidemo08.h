#pragma once

#include "search/checkresult.h"
#include "search/fetchsettings.h"
#include "search/searchcontext.h"
#include "search/searchendpoints.h"

#include <QList>
#include <QRect>
#include <QString>
#include <QWidget>

#include <memory>

class HistoryPage;
class HistoryStore;
class QAbstractButton;
class QButtonGroup;
class QMouseEvent;
class QScrollArea;
class QToolButton;
class QCloseEvent;
class QUrl;
class MiningPage;
class QueryPanel;
class SettingsPage;
class SiteRankingPage;
class WindowMemory;
class WindowResizer;

namespace Ui {
class UIDemo08;
}

// The application's one working window: a frameless frame with its own title
// bar, top and left navigation, the home page, the inclusion and ranking query
// pages (editor, run control, result table, export), the 泛排名查询 and
// 关键词挖掘 pages (classes of their own) and the help page.
// Each query page's run control, totals, result table and export are a
// QueryPanel; the window's own run-control slots forward to it.
// Slots are implemented by concern: uidemo08.cpp (frame and navigation),
// uidemo08_editor.cpp, uidemo08_runcontrol.cpp (forwarding to the panels),
// uidemo08_pages.cpp (help and home page) and uidemo08_history.cpp (the run
// history: its page and the store the panels record into).
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

signals:
    void sendTotalShoulu(int hits);
    void pmsendTotalShoulu(int hits);
    void pmcxCancel();

private slots:
    // Frame and navigation.
    void initForm();
    void buttonClick();
    void initLeftMain();
    void initLeftConfig();
    void leftMainClick();
    void leftConfigClick();
    // Help page.
    void readHelptxt();
    // Input editor.
    void importLines();
    void reportUnreadableFile(const QString &path);
    // Run control.
    void showResult();
    void changeSate();
    void pmchangeSate();
    // Title bar.
    void on_btnMenu_Min_clicked();
    void on_btnMenu_Max_clicked();
    void on_btnMenu_Close_clicked();
    // Query pages (the "_2" twins are connected explicitly).
    void on_clearBtn_clicked();
    void on_stopBtn_clicked();
    void on_fanhuiBtn_clicked();
    void on_daochuBtn_clicked();
    void receiveResult(InclusionResult theResult, int i);
    void pmreceiveResult(int i);
    void threadClose();
    void pmthreadClose();
    void onButtonClicked(QAbstractButton *button);

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    // Mid-run, closing asks first.
    void closeEvent(QCloseEvent *event) override;

private:
    // Home page with the advertisement panel (uidemo08_pages.cpp).
    void initHomePage();
    // Editors, their line numbers and import (uidemo08_editor.cpp).
    void initEditors();
    // The location label: the page shown and its device.
    void showLocation();
    // The query panels (uidemo08_runcontrol.cpp).
    void initQueryPanels();
    // The 泛排名查询 and 关键词挖掘 pages, placed in their stacked pages.
    void initToolPages();
    // Keywords found by mining, onto the 排名查询 or 泛排名查询 editor, which is then shown.
    void receiveKeywords(const QStringList &keywords, bool toSiteRanking);
    // True when nothing runs or the user confirms quitting mid-run.
    bool confirmQuit();
    // The page a shared slot serves: the one whose button is named name, or else the other.
    QueryPanel *panelFor(const QObject *origin, const QString &name, bool namedIsRanking) const;
    // The 基本设置 page in the config area; the settings file's values in force.
    void initSettingsPage();
    void applyFetchSettings(const FetchSettings &settings);
    // What a run starting now uses: the settings in force, through the process's gate.
    SearchContext runContext() const;
    void passContextToPanels();
    // The run history, opened at first use (uidemo08_history.cpp).
    HistoryStore *history();
    void showHistoryPage();
    // Shows a stored run in its query page.
    void openStoredRun(qint64 runId);

    Ui::UIDemo08 *ui;
    QList<int> mainNavIcons;
    QList<QToolButton *> mainNavButtons;
    QList<int> configNavIcons;
    QList<QToolButton *> configNavButtons;
    QButtonGroup *inclusionDeviceGroup = nullptr;
    QButtonGroup *rankingDeviceGroup = nullptr;
    SearchEndpoints endpoints;
    QueryPanel *inclusionPanel = nullptr;
    QueryPanel *rankingPanel = nullptr;
    SettingsPage *settingsPage = nullptr;
    QScrollArea *settingsScroll = nullptr; // holds settingsPage in the config area
    // Built from the settings in force; its proxy rotation is shared by the runs.
    SearchContext fetchContext;
    SiteRankingPage *siteRankingPage = nullptr;
    MiningPage *miningPage = nullptr;

    std::unique_ptr<HistoryStore> m_history;
    HistoryPage *m_historyPage = nullptr;

    // Frame: the window is maximised by geometry, never by the window system.
    bool m_maximized = false;
    QRect m_normalGeometry;
    WindowResizer *m_resizer = nullptr;
    WindowMemory *m_memory = nullptr;
};
