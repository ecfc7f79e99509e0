#pragma once

#include "checkresult.h"
#include "fetchsettings.h"
#include "rankingrun.h"
#include "searchcontext.h"
#include "searchendpoints.h"

#include <QFutureWatcher>
#include <QList>
#include <QRect>
#include <QString>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QMouseEvent;
class QToolButton;
class QUrl;
class SettingsPage;
class SlcxThread;
class WindowMemory;
class WindowResizer;

namespace Ui {
class UIDemo08;
}

// The application's one working window: a frameless frame with its own title
// bar, top and left navigation, the home page, the inclusion and ranking query
// pages (editor, run control, result table, export) and the help page.
// Slots are implemented by concern: uidemo08.cpp (frame and navigation),
// uidemo08_editor.cpp, uidemo08_runcontrol.cpp, uidemo08_export.cpp and
// uidemo08_pages.cpp (help and home page).
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

private:
    // Home page with the advertisement panel (uidemo08_pages.cpp).
    void initHomePage();
    // Editors, their line numbers and import (uidemo08_editor.cpp).
    void initEditors();
    // The location label: the page shown and its device.
    void showLocation();
    // The 基本设置 page in the config area; the settings file's values in force.
    void initSettingsPage();
    void applyFetchSettings(const FetchSettings &settings);
    // What a run starting now uses: the settings in force, through the process's gate.
    SearchContext runContext() const;

    Ui::UIDemo08 *ui;
    QList<int> mainNavIcons;
    QList<QToolButton *> mainNavButtons;
    QList<int> configNavIcons;
    QList<QToolButton *> configNavButtons;
    SlcxThread *inclusionWorker = nullptr;
    int inclusionHits = 0;
    int rankingHits = 0;
    QButtonGroup *inclusionDeviceGroup = nullptr;
    QButtonGroup *rankingDeviceGroup = nullptr;
    QFutureWatcher<RankingResult> *rankingWatcher = nullptr;

    // The latest ranking run; cancelling it also aborts its transfers in flight.
    RankingRun rankingRun;
    SearchEndpoints endpoints;
    SettingsPage *settingsPage = nullptr;
    // Built from the settings in force; its proxy rotation is shared by the runs.
    SearchContext fetchContext;

    // Frame: the window is maximised by geometry, never by the window system.
    bool m_maximized = false;
    QRect m_normalGeometry;
    WindowResizer *m_resizer = nullptr;
    WindowMemory *m_memory = nullptr;

    // Run control: results received in the current run of each page, the
    // base of the not-included count and the rate.
    int inclusionResultsReceived = 0;
    int rankingResultsReceived = 0;
};
