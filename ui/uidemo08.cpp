// Frame, navigation and construction of the main window.
#include "ui/uidemo08.h"
#include "ui_uidemo08.h"

#include "history/historystore.h"
#include "search/appsettings.h"
#include "style/iconhelper.h"
#include "style/stylesheet.h"
#include "ui/editorbinding.h"
#include "ui/historypage.h"
#include "ui/miningpage.h"
#include "ui/pagefitter.h"
#include "ui/querypanel.h"
#include "ui/settingspage.h"
#include "ui/siterankingpage.h"
#include "ui/windowmemory.h"
#include "ui/windowresizer.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGuiApplication>
#include <QIcon>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QToolButton>

#include <cstdio>
#include <unistd.h>

namespace {

const QString kDesktopMode = QStringLiteral("dnd");
const QString kMobileMode = QStringLiteral("sjd");

const QString kWindowIcon = QStringLiteral(":/images/quillane.ico");
const QString kStyleSheetName = QStringLiteral("blue.css");
const QString kTitleFont = QStringLiteral("Microsoft Yahei");
constexpr int kTitlePointSize = 19;

// Top navigation: the button texts decide the page.
const QString kTopMain = QStringLiteral("查收录排名");
const QString kTopConfig = QStringLiteral("关键词挖掘");
const QString kTopNewFeature = QStringLiteral("新功能待定");
const QString kTopData = QStringLiteral("泛排名查询");
const QString kTopHelp = QStringLiteral("帮助手册");
const QString kTopExit = QStringLiteral("用户退出");
constexpr int kTopIconSize = 32;
constexpr int kTopMinimumWidth = 85;

enum StackedPage
{
    MainPage = 0,
    ConfigPage = 1,
    SiteRankingStackPage = 2,
    HelpPage = 3
};

// Left navigation texts.
const QString kLeftInclusion = QStringLiteral("百度收录查询");
const QString kLeftRanking = QStringLiteral("百度排名查询");
const QString kLeftHistory = QStringLiteral("历史记录");

// The location label of each query page with each device, in the window's translation context.
const char kInclusionDesktopLocation[] =
    QT_TRANSLATE_NOOP("UIDemo08", "当前位置：百度收录查询-->>电脑端收录查询");
const char kInclusionMobileLocation[] =
    QT_TRANSLATE_NOOP("UIDemo08", "当前位置：百度收录查询-->>移动端收录查询");
const char kRankingDesktopLocation[] =
    QT_TRANSLATE_NOOP("UIDemo08", "当前位置：百度排名查询-->>电脑端排名查询");
const char kRankingMobileLocation[] =
    QT_TRANSLATE_NOOP("UIDemo08", "当前位置：百度排名查询-->>移动端排名查询");

// Where the query pages' content stands in its page: at the default size exactly where it always stood.
const QMargins kQueryContentMargins(-6, 5, 0, 13);

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

} // namespace

UIDemo08::UIDemo08(QWidget *parent) : QWidget(parent), ui(new Ui::UIDemo08)
{
    ui->setupUi(this);

    initForm();
    initLeftMain();
    initSettingsPage();
    initToolPages();
    initLeftConfig();
    readHelptxt();
    loadStyleSheet(kStyleSheetName);
    initHomePage();

    inclusionDeviceGroup = new QButtonGroup(this);
    rankingDeviceGroup = new QButtonGroup(this);

    for (QWidget *widget : {static_cast<QWidget *>(ui->progressBar), static_cast<QWidget *>(ui->daochuBtn),
                            static_cast<QWidget *>(ui->fanhuiBtn), static_cast<QWidget *>(ui->stopBtn),
                            static_cast<QWidget *>(ui->tShuru), static_cast<QWidget *>(ui->tShoulu),
                            static_cast<QWidget *>(ui->twuShoulu), static_cast<QWidget *>(ui->tShoululv)})
        widget->hide();
    ui->pcRbtn->setChecked(true);
    inclusionDeviceGroup->setExclusive(true);
    inclusionDeviceGroup->addButton(ui->pcRbtn);
    inclusionDeviceGroup->addButton(ui->sjRbtn);

    for (QWidget *widget :
         {static_cast<QWidget *>(ui->progressBar_2), static_cast<QWidget *>(ui->daochuBtn_2),
          static_cast<QWidget *>(ui->fanhuiBtn_2), static_cast<QWidget *>(ui->stopBtn_2),
          static_cast<QWidget *>(ui->tShuru_2), static_cast<QWidget *>(ui->tShoulu_2),
          static_cast<QWidget *>(ui->twuShoulu_2), static_cast<QWidget *>(ui->tShoululv_2)})
        widget->hide();
    ui->pcRbtn_2->setChecked(true);
    rankingDeviceGroup->setExclusive(true);
    rankingDeviceGroup->addButton(ui->pcRbtn_2);
    rankingDeviceGroup->addButton(ui->sjRbtn_2);

    ui->tabWidget->clear();
    ui->tabWidget->addTab(ui->homeTab, tr("当前位置：首页"));

    initQueryPanels();
    passContextToPanels();
    connect(ui->slcxBtn, &QPushButton::clicked, this, &UIDemo08::showResult);
    connect(this, &UIDemo08::sendTotalShoulu, this, &UIDemo08::changeSate);
    // Toggled, not clicked: a choice put back from the settings shows as well.
    connect(inclusionDeviceGroup, &QButtonGroup::buttonToggled, this, &UIDemo08::onButtonClicked);

    connect(ui->slcxBtn_2, &QPushButton::clicked, this, &UIDemo08::showResult);
    connect(this, &UIDemo08::pmsendTotalShoulu, this, &UIDemo08::pmchangeSate);
    connect(rankingDeviceGroup, &QButtonGroup::buttonToggled, this, &UIDemo08::onButtonClicked);
    connect(ui->fanhuiBtn_2, &QPushButton::clicked, this, &UIDemo08::on_fanhuiBtn_clicked);
    connect(ui->stopBtn_2, &QPushButton::clicked, this, &UIDemo08::on_stopBtn_clicked);
    connect(ui->clearBtn_2, &QPushButton::clicked, this, &UIDemo08::on_clearBtn_clicked);
    connect(ui->daochuBtn_2, &QPushButton::clicked, this, &UIDemo08::on_daochuBtn_clicked);

    initEditors();
    PageFitter::fit(ui->slcxTab, ui->layoutWidget, kQueryContentMargins);
    PageFitter::fit(ui->pmcxTab, ui->layoutWidget_2, kQueryContentMargins);

    m_resizer = new WindowResizer(this);
    m_memory = new WindowMemory(
        this,
        {[this] { return m_maximized ? m_normalGeometry : geometry(); }, [this] { return m_maximized; }},
        {{AppSettings::kInclusionPage, ui->sjRbtn, ui->pcRbtn, ui->urlsList},
         {AppSettings::kRankingPage, ui->sjRbtn_2, ui->pcRbtn_2, ui->urlsList_2}});
    if (m_memory->restore())
        on_btnMenu_Max_clicked();
    connect(this, &UIDemo08::pmcxCancel, this, &UIDemo08::pmthreadClose);
}

UIDemo08::~UIDemo08()
{
    // Runs still going would report into widgets that are gone, or outlive
    // the window into the process's teardown: the panels cut them short first.
    delete inclusionPanel;
    delete rankingPanel;
    delete siteRankingPage;
    delete miningPage;
    delete ui;
}

void UIDemo08::setSearchEndpoints(const SearchEndpoints &searchEndpoints)
{
    endpoints = searchEndpoints;
    settingsPage->setProbeEndpoints(searchEndpoints);
    passContextToPanels();
}

void UIDemo08::initSettingsPage()
{
    settingsPage = new SettingsPage(this);
    // Scrolls rather than growing the window beyond its size.
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("settingsScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(settingsPage);
    ui->configStack->addWidget(scroll);
    settingsScroll = scroll;
    connect(settingsPage, &SettingsPage::settingsSaved, this, &UIDemo08::applyFetchSettings);
    const FetchSettings stored = loadFetchSettings(*openApplicationSettings());
    settingsPage->showSettings(stored);
    applyFetchSettings(stored);
}

void UIDemo08::applyFetchSettings(const FetchSettings &settings)
{
    RequestGate &gate = RequestGate::shared();
    gate.configure(settings.pacing);
    fetchContext = SearchContext::fromSettings(settings, &gate);
    passContextToPanels();
}

SearchContext UIDemo08::runContext() const
{
    SearchContext context = fetchContext;
    context.endpoints = endpoints;
    return context;
}

void UIDemo08::passContextToPanels()
{
    // The panels come after the settings page; they are handed the context once they exist.
    for (QueryPanel *panel : {inclusionPanel, rankingPanel}) {
        if (panel)
            panel->setSearchContext(runContext());
    }
    if (siteRankingPage)
        siteRankingPage->setSearchContext(runContext());
    if (miningPage)
        miningPage->setSearchContext(runContext());
}

void UIDemo08::initToolPages()
{
    siteRankingPage = new SiteRankingPage(ui->page3);
    ui->page3->layout()->addWidget(siteRankingPage);
    miningPage = new MiningPage(ui->configStack);
    ui->configStack->insertWidget(0, miningPage);
    siteRankingPage->panel()->setHistory(HistoryStore::defaultPath());
    miningPage->panel()->setHistory(HistoryStore::defaultPath());
    connect(miningPage, &MiningPage::keywordsSent, this, &UIDemo08::receiveKeywords);
}

void UIDemo08::receiveKeywords(const QStringList &keywords, bool toSiteRanking)
{
    if (toSiteRanking) {
        siteRankingPage->appendKeywords(keywords);
        ui->btnData->click();
        return;
    }
    appendEditorLines(ui->urlsList_2, keywords);
    ui->btnMain->click();
    ui->tbtnMain2->click();
}

SearchEndpoints UIDemo08::searchEndpoints() const
{
    return endpoints;
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

    ui->widgetTitle->setProperty("form", QStringLiteral("title"));
    ui->widgetTop->setProperty("nav", QStringLiteral("top"));

    ui->labTitle->setText(tr("Quillane工具    "));
    ui->labTitle->setFont(QFont(kTitleFont, kTitlePointSize));
    setWindowTitle(ui->labTitle->text());

    const QList<QToolButton *> topButtons = ui->widgetTop->findChildren<QToolButton *>();
    for (QToolButton *button : topButtons) {
        button->setIconSize(QSize(kTopIconSize, kTopIconSize));
        button->setMinimumWidth(kTopMinimumWidth);
        button->setCheckable(true);
        connect(button, &QToolButton::clicked, this, &UIDemo08::buttonClick);
    }
    ui->btnMain->click();

    ui->widgetLeftMain->setProperty("flag", kSideLeft);
    ui->widgetLeftConfig->setProperty("flag", kSideLeft);
    ui->page1->setStyleSheet(kLeftButtonHeight.arg(kMainBarButtonHeight));
    ui->page2->setStyleSheet(kLeftButtonHeight.arg(kConfigBarButtonHeight));
}

void UIDemo08::buttonClick()
{
    auto *clicked = qobject_cast<QToolButton *>(sender());
    if (!clicked)
        return;

    const QString name = clicked->text();
    const QList<QToolButton *> topButtons = ui->widgetTop->findChildren<QToolButton *>();
    if (name == kTopExit && !confirmQuit()) {
        clicked->setChecked(false);
        return;
    }
    for (QToolButton *button : topButtons)
        button->setChecked(button == clicked);

    if (name == kTopMain) {
        ui->stackedWidget->setCurrentIndex(MainPage);
    } else if (name == kTopConfig) {
        ui->stackedWidget->setCurrentIndex(ConfigPage);
    } else if (name == kTopNewFeature || name == kTopData) {
        ui->stackedWidget->setCurrentIndex(SiteRankingStackPage);
    } else if (name == kTopHelp) {
        ui->stackedWidget->setCurrentIndex(HelpPage);
    } else if (name == kTopExit) {
        // Ends at once, also with a query running (once confirmed): no static
        // destructors racing the worker threads, only pending output is written.
        m_memory->save();
        std::fflush(nullptr);
        ::_exit(0);
    }
}

void UIDemo08::initLeftMain()
{
    mainNavIcons << kGlyphSearch << kGlyphList << kGlyphHistory;
    mainNavButtons << ui->tbtnMain1 << ui->tbtnMain2 << ui->tbtnMain3;
    for (QToolButton *button : qAsConst(mainNavButtons)) {
        button->setCheckable(true);
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        connect(button, &QToolButton::clicked, this, &UIDemo08::leftMainClick);
    }
    IconHelper::instance()->styleNavigationBar(ui->widgetLeftMain, mainNavButtons, mainNavIcons, 15, 35, 25,
                                               kSideLeft, 2, kBorderColour, kIdleBackground,
                                               kActiveBackground, kIdleText, kActiveText);
    ui->tbtnMain1->click();
}

void UIDemo08::initLeftConfig()
{
    configNavIcons << kGlyphLightbulb << kGlyphFont;
    configNavButtons << ui->tbtnMining << ui->tbtnConfig1;
    for (QToolButton *button : qAsConst(configNavButtons)) {
        button->setCheckable(true);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        connect(button, &QToolButton::clicked, this, &UIDemo08::leftConfigClick);
    }
    IconHelper::instance()->styleNavigationBar(ui->widgetLeftConfig, configNavButtons, configNavIcons, 10, 20,
                                               15, kSideLeft, 5, kBorderColour, kIdleBackground,
                                               kActiveBackground, kIdleText, kActiveText);
    ui->tbtnMining->click();
}

void UIDemo08::leftMainClick()
{
    auto *clicked = qobject_cast<QToolButton *>(sender());
    IconHelper *icons = IconHelper::instance();
    for (QToolButton *button : qAsConst(mainNavButtons)) {
        const bool active = button == clicked;
        button->setChecked(active);
        button->setIcon(QIcon(icons->stateGlyph(button, !active)));
    }
    if (!clicked)
        return;

    const QString name = clicked->text();
    if (name == kLeftInclusion) {
        ui->tabWidget->clear();
        ui->tabWidget->addTab(ui->slcxTab, QString());
    } else if (name == kLeftRanking) {
        ui->tabWidget->clear();
        ui->tabWidget->addTab(ui->pmcxTab, QString());
    } else if (name == kLeftHistory) {
        showHistoryPage();
    }
    showLocation();
}

void UIDemo08::leftConfigClick()
{
    auto *clicked = qobject_cast<QToolButton *>(sender());
    IconHelper *icons = IconHelper::instance();
    for (QToolButton *button : qAsConst(configNavButtons)) {
        const bool active = button == clicked;
        button->setChecked(active);
        button->setIcon(QIcon(icons->stateGlyph(button, !active)));
    }
    if (clicked == ui->tbtnMining)
        ui->configStack->setCurrentWidget(miningPage);
    else if (clicked == ui->tbtnConfig1)
        ui->configStack->setCurrentWidget(settingsScroll);
}

QString UIDemo08::inclusionDeviceMode() const
{
    return ui->sjRbtn->isChecked() ? kMobileMode : kDesktopMode;
}

QString UIDemo08::rankingDeviceMode() const
{
    return ui->sjRbtn_2->isChecked() ? kMobileMode : kDesktopMode;
}

QString UIDemo08::currentDeviceMode() const
{
    return ui->tabWidget->currentWidget() == ui->pmcxTab ? rankingDeviceMode() : inclusionDeviceMode();
}

void UIDemo08::onButtonClicked(QAbstractButton *)
{
    showLocation();
}

void UIDemo08::showLocation()
{
    const QWidget *page = ui->tabWidget->currentWidget();
    const char *location = nullptr;
    if (page == ui->slcxTab)
        location = ui->sjRbtn->isChecked() ? kInclusionMobileLocation : kInclusionDesktopLocation;
    else if (page == ui->pmcxTab)
        location = ui->sjRbtn_2->isChecked() ? kRankingMobileLocation : kRankingDesktopLocation;
    if (location)
        ui->tabWidget->setTabText(0, tr(location));
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
