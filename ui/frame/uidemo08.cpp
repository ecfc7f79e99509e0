#include "ui/frame/uidemo08.h"
#include "ui_uidemo08.h"

#include "history/historystore.h"
#include "search/appsettings.h"
#include "style/iconhelper.h"
#include "style/stylesheet.h"
#include "ui/frame/windowmemory.h"
#include "ui/frame/windowresizer.h"
#include "ui/pages/helppage.h"
#include "ui/pages/historypage.h"
#include "ui/pages/homepage.h"
#include "ui/pages/miningpage.h"
#include "ui/pages/schedulepage.h"
#include "ui/pages/settingspage.h"
#include "ui/pages/siterankingpage.h"
#include "ui/query/querypage.h"
#include "ui/query/querypanel.h"
#include "ui/widgets/messagebox.h"
#include "ui/widgets/robotcheckdialog.h"
#include "workers/inclusionbatch.h"
#include "workers/mappedbatch.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QTableWidget>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <unistd.h>

namespace {

const QString kWindowIcon = QStringLiteral(":/images/quillane.ico");
const QString kStyleSheetName = QStringLiteral("blue.css");
const QString kTitleFont = QStringLiteral("Microsoft Yahei");
constexpr int kTitlePointSize = 19;
constexpr int kTopIconSize = 32;
constexpr int kTopMinimumWidth = 85;

const char kHomeLocation[] = QT_TRANSLATE_NOOP("UIDemo08", "当前位置：首页");
const char kHistoryLocation[] = QT_TRANSLATE_NOOP("UIDemo08", "当前位置：历史记录");
const char kSchedulesLocation[] = QT_TRANSLATE_NOOP("UIDemo08", "当前位置：定时任务");
const char kKeywordsNeedAddresses[] = QT_TRANSLATE_NOOP(
    "UIDemo08", "已加入 %1 个关键词：请在每个关键词后加空格和要查排名的网址（例如：网站建设 "
                "http://www.qa-site.cn/），没有网址的行不会查询；只知道网站时请用“发送到泛排名查询”");
const char kQuitQuestion[] = QT_TRANSLATE_NOOP("UIDemo08", "查询尚未完成，确定退出吗？");

const QString kLeftButtonHeight =
    QStringLiteral("QWidget[flag=\"left\"] QAbstractButton{min-height:%1px;max-height:%1px;}");
constexpr int kMainBarButtonHeight = 60;
constexpr int kConfigBarButtonHeight = 20;

const QString kSideLeft = QStringLiteral("left");
const QString kBorderColour = QStringLiteral("#cccccc");
const QString kIdleBackground = QStringLiteral("#bbd7f7");
const QString kActiveBackground = QStringLiteral("#2f6fc4");
const QString kIdleText = QStringLiteral("#3c4853");
const QString kActiveText = QStringLiteral("#FDFDFD");

// FontAwesome 4.7 code points.
constexpr ushort kGlyphMinus = 0xF068;
constexpr ushort kGlyphPlus = 0xF067;
constexpr ushort kGlyphCross = 0xF00D;
constexpr int kTitleGlyphSize = 16;
constexpr int kGlyphSearch = 0xF002;
constexpr int kGlyphList = 0xF03A;
constexpr int kGlyphFont = 0xF031;
constexpr int kGlyphLightbulb = 0xF0EB;
constexpr int kGlyphHistory = 0xF1DA;
constexpr int kGlyphClock = 0xF017;

} // namespace

UIDemo08::UIDemo08(QWidget *parent) : QWidget(parent), ui(new Ui::UIDemo08)
{
    ui->setupUi(this);
    createPages();
    initForm();
    initTopNavigation();
    initLeftMain();
    initSettingsPage();
    initLeftConfig();
    loadStyleSheet(kStyleSheetName);
    showTab(m_homePage, tr(kHomeLocation));

    m_resizer = new WindowResizer(this);
    m_memory = new WindowMemory(
        this,
        {[this] { return m_maximized ? m_normalGeometry : geometry(); }, [this] { return m_maximized; }},
        {m_inclusionPage->memory(), m_rankingPage->memory()});
    if (m_memory->restore())
        on_btnMenu_Max_clicked();
}

UIDemo08::~UIDemo08()
{
    // Runs still going would report into widgets that are gone, or outlive
    // the window into the process's teardown: the pages cut them short first.
    qDeleteAll(m_toolPages);
    delete ui;
}

void UIDemo08::createPages()
{
    m_homePage = new HomePage(ui->tabWidget);
    m_inclusionPage = new QueryPage(QueryPage::Inclusion, ui->tabWidget);
    m_rankingPage = new QueryPage(QueryPage::Ranking, ui->tabWidget);
    // The tab holds one page at a time; the others wait hidden in it.
    for (QWidget *page : QList<QWidget *>{m_homePage, m_inclusionPage, m_rankingPage})
        ui->tabWidget->addTab(page, QString());
    for (QueryPage *page : {m_inclusionPage, m_rankingPage}) {
        connect(page, &QueryPage::locationChanged, this, [this, page](const QString &location) {
            if (ui->tabWidget->currentWidget() == page)
                ui->tabWidget->setTabText(0, location);
        });
    }

    m_siteRankingPage = new SiteRankingPage(ui->page3);
    ui->page3->layout()->addWidget(m_siteRankingPage);
    m_miningPage = new MiningPage(ui->configStack);
    connect(m_miningPage, &MiningPage::keywordsSent, this, &UIDemo08::receiveKeywords);
    m_helpPage = new HelpPage(ui->stackedWidget);
    ui->stackedWidget->addWidget(m_helpPage);

    m_toolPages = {m_inclusionPage, m_rankingPage, m_siteRankingPage, m_miningPage};
    for (ToolPage *page : qAsConst(m_toolPages))
        page->panel()->setHistory(HistoryStore::defaultPath());
    // Mining runs hold the keywords found, not the seeds the page starts from: they are not opened again.
    m_runPages = {
        {m_inclusionPage, ui->tbtnMain1}, {m_rankingPage, ui->tbtnMain2}, {m_siteRankingPage, ui->btnData}};
}

void UIDemo08::setSearchEndpoints(const SearchEndpoints &endpoints)
{
    m_endpoints = endpoints;
    m_settingsPage->setProbeEndpoints(endpoints);
    passContextToPages();
}

SearchEndpoints UIDemo08::searchEndpoints() const
{
    return m_endpoints;
}

void UIDemo08::setAdvertisementAddressForTesting(const QUrl &address)
{
    HomePage::setAdvertisementAddressForTesting(address);
}

void UIDemo08::initSettingsPage()
{
    m_settingsPage = new SettingsPage(this);
    // Scrolls rather than growing the window beyond its size.
    m_settingsScroll = new QScrollArea(this);
    m_settingsScroll->setObjectName(QStringLiteral("settingsScroll"));
    m_settingsScroll->setFrameShape(QFrame::NoFrame);
    m_settingsScroll->setWidgetResizable(true);
    m_settingsScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_settingsScroll->setWidget(m_settingsPage);
    // The settings go in first, the stack's current page until the mining page comes in front:
    // added behind it from the start, the scroll area keeps Qt's grey, not the window's background.
    ui->configStack->addWidget(m_settingsScroll);
    ui->configStack->insertWidget(0, m_miningPage);
    // Saved settings are what the user chose: runs start from them again, not from a learned pause.
    connect(m_settingsPage, &SettingsPage::settingsSaved, this, [this](const FetchSettings &settings) {
        RequestGate::shared().forgetLearned();
        saveLearnedInterval(*openApplicationSettings(), 0);
        applyFetchSettings(settings);
    });
    connect(m_settingsPage, &SettingsPage::clearCookiesRequested, this, &UIDemo08::forgetSessions);
    m_settingsPage->setLearnedPauseSource([] { return RequestGate::shared().learnedMs(); });
    const std::unique_ptr<QSettings> file = openApplicationSettings();
    const StoredFetchSettings stored = readFetchSettings(*file);
    // What Baidu taught the runs before goes on: it remembers them too.
    RequestGate::shared().setLearned(loadLearnedInterval(*file));
    QPointer<UIDemo08> window(this);
    m_handOff = std::make_shared<RobotCheckHandOff>(&RequestGate::shared(),
                                                    [window](const RobotCheckMeeting &meeting) {
                                                        QMetaObject::invokeMethod(
                                                            window.data(),
                                                            [window, meeting] {
                                                                if (window)
                                                                    window->showRobotCheck(meeting);
                                                            },
                                                            Qt::QueuedConnection);
                                                    });
    m_settingsPage->showStoredSettings(stored, file->fileName());
    applyFetchSettings(stored.settings);
}

void UIDemo08::applyFetchSettings(const FetchSettings &settings)
{
    RequestGate &gate = RequestGate::shared();
    gate.configure(settings.pacing);
    m_fetchContext = SearchContext::fromSettings(settings, &gate);
    m_fetchContext.sessions = m_sessions;
    if (settings.handOffRobotChecks)
        m_fetchContext.handOff = m_handOff;
    passContextToPages();
}

void UIDemo08::showRobotCheck(const RobotCheckMeeting &meeting)
{
    if (m_robotCheckDialog)
        return;
    m_robotCheckDialog = new RobotCheckDialog(meeting, m_handOff, this);
    m_robotCheckDialog->open();
}

void UIDemo08::forgetSessions()
{
    m_sessions->clearAll();
    RequestGate::shared().forgetLearned();
    saveLearnedInterval(*openApplicationSettings(), 0);
}

SearchContext UIDemo08::runContext() const
{
    SearchContext context = m_fetchContext;
    context.endpoints = m_endpoints;
    return context;
}

void UIDemo08::passContextToPages()
{
    for (ToolPage *page : qAsConst(m_toolPages))
        page->setSearchContext(runContext());
}

void UIDemo08::initForm()
{
    setProperty("form", true);
    setProperty("canMove", true);
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint);

    ui->labIco->setPixmap(QPixmap(kWindowIcon));
    IconHelper *icons = IconHelper::instance();
    icons->setButtonGlyph(ui->btnMenu_Min, QChar(kGlyphMinus), kTitleGlyphSize);
    icons->setButtonGlyph(ui->btnMenu_Max, QChar(kGlyphPlus), kTitleGlyphSize);
    icons->setButtonGlyph(ui->btnMenu_Close, QChar(kGlyphCross), kTitleGlyphSize);
    connect(ui->btnMenu_Min, &QPushButton::clicked, this, &UIDemo08::on_btnMenu_Min_clicked);
    connect(ui->btnMenu_Max, &QPushButton::clicked, this, &UIDemo08::on_btnMenu_Max_clicked);
    connect(ui->btnMenu_Close, &QPushButton::clicked, this, &UIDemo08::on_btnMenu_Close_clicked);

    ui->widgetTitle->setProperty("form", QStringLiteral("title"));
    // The title bar keeps the height its labels need; a tall page (历史记录)
    // takes its room from the pages' area, never from the top bar.
    ui->widgetTitle->setSizePolicy(ui->widgetTitle->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    ui->widgetTop->setProperty("nav", QStringLiteral("top"));
    ui->labTitle->setText(tr("Quillane工具    "));
    ui->labTitle->setFont(QFont(kTitleFont, kTitlePointSize));
    setWindowTitle(ui->labTitle->text());

    ui->widgetLeftMain->setProperty("flag", kSideLeft);
    ui->widgetLeftConfig->setProperty("flag", kSideLeft);
    ui->page1->setStyleSheet(kLeftButtonHeight.arg(kMainBarButtonHeight));
    ui->page2->setStyleSheet(kLeftButtonHeight.arg(kConfigBarButtonHeight));
}

void UIDemo08::initTopNavigation()
{
    const struct
    {
        QToolButton *button;
        QWidget *page;
    } top[] = {{ui->btnMain, ui->page1},
               {ui->btnConfig, ui->page2},
               {ui->btnData, ui->page3},
               {ui->btnHelp, m_helpPage},
               {ui->btnExit, nullptr}};
    for (const auto &entry : top) {
        m_topButtons.append(entry.button);
        entry.button->setIconSize(QSize(kTopIconSize, kTopIconSize));
        entry.button->setMinimumWidth(kTopMinimumWidth);
        entry.button->setCheckable(true);
        connect(entry.button, &QToolButton::clicked, this,
                [this, entry] { showTopPage(entry.button, entry.page); });
    }
    ui->btnMain->click();
}

void UIDemo08::showTopPage(QToolButton *button, QWidget *page)
{
    if (!page && !confirmQuit()) {
        button->setChecked(false);
        return;
    }
    for (QToolButton *other : qAsConst(m_topButtons))
        other->setChecked(other == button);
    if (page) {
        ui->stackedWidget->setCurrentWidget(page);
        return;
    }
    // Ends at once, also with a query running (once confirmed): no static
    // destructors racing the worker threads, only pending output is written.
    m_memory->save();
    std::fflush(nullptr);
    ::_exit(0);
}

void UIDemo08::initLeftMain()
{
    m_mainBar = {ui->tbtnMain1, ui->tbtnMain2, ui->tbtnMain3, ui->tbtnSchedules};
    const std::function<void()> shows[] = {[this] { showQueryPage(m_inclusionPage); },
                                           [this] { showQueryPage(m_rankingPage); },
                                           [this] { showHistoryPage(); }, [this] { showSchedulePage(); }};
    for (int i = 0; i < m_mainBar.size(); ++i) {
        QToolButton *button = m_mainBar.at(i);
        button->setCheckable(true);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        connect(button, &QToolButton::clicked, this, [this, button, show = shows[i]] {
            markLeftEntry(m_mainBar, button);
            show();
        });
    }
    IconHelper::instance()->styleNavigationBar(
        ui->widgetLeftMain, m_mainBar, {kGlyphSearch, kGlyphList, kGlyphHistory, kGlyphClock}, 15, 35, 25,
        kSideLeft, 2, kBorderColour, kIdleBackground, kActiveBackground, kIdleText, kActiveText);
    ui->tbtnMain1->click();
}

void UIDemo08::initLeftConfig()
{
    m_configBar = {ui->tbtnMining, ui->tbtnConfig1};
    const QList<QWidget *> pages = {m_miningPage, m_settingsScroll};
    for (int i = 0; i < m_configBar.size(); ++i) {
        QToolButton *button = m_configBar.at(i);
        button->setCheckable(true);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        connect(button, &QToolButton::clicked, this, [this, button, page = pages.at(i)] {
            markLeftEntry(m_configBar, button);
            ui->configStack->setCurrentWidget(page);
        });
    }
    IconHelper::instance()->styleNavigationBar(
        ui->widgetLeftConfig, m_configBar, {kGlyphLightbulb, kGlyphFont}, 10, 20, 15, kSideLeft, 5,
        kBorderColour, kIdleBackground, kActiveBackground, kIdleText, kActiveText);
    ui->tbtnMining->click();
    // A settings file that is refused or unreadable is shown first, its problems marked.
    if (m_settingsPage->hasStoredProblems()) {
        ui->btnConfig->click();
        ui->tbtnConfig1->click();
    }
}

void UIDemo08::markLeftEntry(const QList<QToolButton *> &bar, QToolButton *chosen)
{
    IconHelper *icons = IconHelper::instance();
    for (QToolButton *button : bar) {
        const bool active = button == chosen;
        button->setChecked(active);
        button->setIcon(QIcon(icons->stateGlyph(button, !active)));
    }
}

void UIDemo08::showTab(QWidget *page, const QString &location)
{
    ui->tabWidget->clear();
    ui->tabWidget->addTab(page, location);
}

void UIDemo08::showQueryPage(QueryPage *page)
{
    showTab(page, page->location());
}

void UIDemo08::receiveKeywords(const QStringList &keywords, bool toSiteRanking)
{
    if (toSiteRanking) {
        m_siteRankingPage->appendKeywords(keywords);
        ui->btnData->click();
        return;
    }
    // A ranking line is a keyword and the address to look for: the keywords
    // go in as they are, and the page says what each line still needs.
    m_rankingPage->appendLines(keywords);
    ui->btnMain->click();
    ui->tbtnMain2->click();
    m_rankingPage->panel()->showInputNotice(tr(kKeywordsNeedAddresses).arg(keywords.size()));
}

QString UIDemo08::inclusionDeviceMode() const
{
    return m_inclusionPage->deviceMode();
}

QString UIDemo08::rankingDeviceMode() const
{
    return m_rankingPage->deviceMode();
}

QString UIDemo08::currentDeviceMode() const
{
    return ui->tabWidget->currentWidget() == m_rankingPage ? rankingDeviceMode() : inclusionDeviceMode();
}

bool UIDemo08::isQueryRunning() const
{
    return std::any_of(m_toolPages.cbegin(), m_toolPages.cend(),
                       [](const ToolPage *page) { return page->isRunning(); });
}

bool UIDemo08::confirmQuit()
{
    return !isQueryRunning() || QuillaneMessageBox::ask(tr(kQuitQuestion));
}

void UIDemo08::closeEvent(QCloseEvent *event)
{
    if (confirmQuit())
        event->accept();
    else
        event->ignore();
}

void UIDemo08::showResult()
{
    m_rankingPage->panel()->start();
}

void UIDemo08::on_daochuBtn_clicked()
{
    m_inclusionPage->panel()->exportReport();
}

void UIDemo08::receiveResult(InclusionResult theResult, int i)
{
    m_inclusionPage->panel()->addResult(i, rowOf(theResult));
}

void UIDemo08::pmreceiveResult(int i)
{
    if (auto *batch = dynamic_cast<RankingBatch *>(m_rankingPage->panel()->runner()))
        batch->deliver(i);
}

HistoryStore *UIDemo08::history()
{
    // Opened at first use, so that a window whose history is never shown
    // starts without touching it; a store that could not be opened says why.
    if (!m_history)
        m_history = std::make_unique<HistoryStore>();
    return m_history.get();
}

void UIDemo08::showHistoryPage()
{
    if (!m_historyPage) {
        m_historyPage = new HistoryPage(this);
        m_historyPage->setObjectName(QStringLiteral("historyPage"));
        m_historyPage->setStore(history());
        connect(m_historyPage, &HistoryPage::openRequested, this, &UIDemo08::openStoredRun);
    } else {
        m_historyPage->refresh();
    }
    showTab(m_historyPage, tr(kHistoryLocation));
}

void UIDemo08::showSchedulePage()
{
    if (!m_schedulePage) {
        m_schedulePage = new SchedulePage(history(), this);
        m_schedulePage->setObjectName(QStringLiteral("schedulePage"));
        connect(m_schedulePage, &SchedulePage::showRunRequested, this, [this](qint64 runId) {
            markLeftEntry(m_mainBar, ui->tbtnMain3);
            showHistoryPage();
            // Highlighted in the list of runs, which shows it beside.
            auto *runs = m_historyPage->findChild<QTableWidget *>(QStringLiteral("historyRuns"));
            for (int row = 0; runs && row < runs->rowCount(); ++row) {
                if (runs->item(row, 0) && runs->item(row, 0)->data(Qt::UserRole).toLongLong() == runId) {
                    runs->selectRow(row);
                    runs->scrollToItem(runs->item(row, 0));
                    return;
                }
            }
            m_historyPage->showRun(runId);
        });
    } else {
        m_schedulePage->refresh();
    }
    showTab(m_schedulePage, tr(kSchedulesLocation));
}

void UIDemo08::openStoredRun(qint64 runId)
{
    const std::optional<StoredRun> run = history()->run(runId);
    if (!run)
        return;
    for (const RunPage &entry : qAsConst(m_runPages)) {
        if (entry.page->historyTool() != run->tool)
            continue;
        if (entry.page->isRunning())
            return;
        const QList<StoredLine> lines = history()->lines(runId);
        entry.button->click();
        entry.page->showStoredRun(*run, lines);
        return;
    }
}

void UIDemo08::on_btnMenu_Min_clicked()
{
    showMinimized();
}

void UIDemo08::on_btnMenu_Max_clicked()
{
    if (m_maximized) {
        setGeometry(m_normalGeometry);
    } else {
        m_normalGeometry = geometry();
        setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
    }
    // No dragging or resizing while the window fills the work area.
    setProperty("canMove", m_maximized);
    m_resizer->setEnabled(m_maximized);
    m_maximized = !m_maximized;
}

void UIDemo08::mouseDoubleClickEvent(QMouseEvent *event)
{
    // Reaches here from the title bar's labels and free space; its buttons take their own clicks.
    if (event->button() == Qt::LeftButton && ui->widgetTitle->geometry().contains(event->pos())) {
        on_btnMenu_Max_clicked();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

void UIDemo08::on_btnMenu_Close_clicked()
{
    close();
}
