#include "ui/pages/siterankingpage.h"
#include "ui_siterankingpage.h"

#include "history/linechange.h"
#include "ui/frame/pagefitter.h"
#include "ui/query/querypagetraits.h"
#include "ui/query/querypanel.h"
#include "ui/widgets/editorbinding.h"

#include <QButtonGroup>

namespace {
const char kDesktopLocation[] =
    QT_TRANSLATE_NOOP("SiteRankingPage", "当前位置：泛排名查询-->>电脑端泛排名查询");
const char kMobileLocation[] =
    QT_TRANSLATE_NOOP("SiteRankingPage", "当前位置：泛排名查询-->>移动端泛排名查询");
const QMargins kContentMargins(3, 5, 3, 13);
} // namespace

SiteRankingPage::SiteRankingPage(QWidget *parent) : ToolPage(parent), ui(new Ui::SiteRankingPage)
{
    ui->setupUi(this);
    auto *devices = new QButtonGroup(this);
    devices->addButton(ui->pcRbtn_site);
    devices->addButton(ui->sjRbtn_site);
    ui->pcRbtn_site->setChecked(true);
    connect(devices, &QButtonGroup::buttonToggled, this, &SiteRankingPage::showLocation);
    bindQueryEditor(ui->urlsList_site, ui->hangHao_site, ui->importBtn_site, ui->clearBtn_site);

    QueryPanelWidgets widgets;
    widgets.page = this;
    widgets.editor = ui->urlsList_site;
    widgets.start = ui->slcxBtn_site;
    widgets.stop = ui->stopBtn_site;
    widgets.back = ui->fanhuiBtn_site;
    widgets.exportButton = ui->daochuBtn_site;
    widgets.mobile = ui->sjRbtn_site;
    widgets.table = ui->resultList_site;
    widgets.progress = ui->progressBar_site;
    widgets.totalInput = ui->tShuru_site;
    widgets.inputView = {ui->slcxBtn_site,  ui->clearBtn_site, ui->hangHao_site,
                         ui->urlsList_site, ui->tiShi_site,    ui->pcRbtn_site,
                         ui->sjRbtn_site,   ui->siteEdit,      ui->siteLabel};
    widgets.runView = {ui->tShuru_site,    ui->resultList_site, ui->progressBar_site,
                       ui->daochuBtn_site, ui->fanhuiBtn_site,  ui->stopBtn_site};
    widgets.nameSuffix = QStringLiteral("_site");
    for (QWidget *widget : qAsConst(widgets.runView))
        widget->hide();
    m_panel = new QueryPanel(siteRankingPageTraits([this] { return typedSites(); }), widgets, this);
    m_panel->setObjectName(QStringLiteral("siteRankingPanel"));
    connect(ui->slcxBtn_site, &QPushButton::clicked, m_panel, &QueryPanel::start);
    connect(ui->stopBtn_site, &QPushButton::clicked, m_panel, &QueryPanel::requestStop);
    connect(ui->fanhuiBtn_site, &QPushButton::clicked, m_panel, &QueryPanel::back);
    connect(ui->daochuBtn_site, &QPushButton::clicked, m_panel, &QueryPanel::exportReport);
    PageFitter::fit(this, ui->content_site, kContentMargins);
    showLocation();
}

SiteRankingPage::~SiteRankingPage()
{
    delete m_panel;
    delete ui;
}

QPlainTextEdit *SiteRankingPage::editor() const
{
    return ui->urlsList_site;
}

void SiteRankingPage::setSites(const QStringList &typed)
{
    ui->siteEdit->setPlainText(typed.join(QLatin1Char('\n')));
}

QStringList SiteRankingPage::typedSites() const
{
    QStringList typed;
    for (const QString &line : ui->siteEdit->toPlainText().split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            typed.append(line.trimmed());
    }
    return typed;
}

void SiteRankingPage::showStoredRun(const StoredRun &run, const QList<StoredLine> &lines)
{
    if (m_panel->isRunning())
        return;
    if (!run.sites.isEmpty())
        setSites(run.sites);
    else if (!lines.isEmpty())
        setSites({siteRankingSite(lines.first().key)});
    ToolPage::showStoredRun(run, lines);
}

void SiteRankingPage::appendKeywords(const QStringList &keywords)
{
    appendEditorLines(ui->urlsList_site, keywords);
}

void SiteRankingPage::showLocation()
{
    ui->location_site->setText(tr(ui->sjRbtn_site->isChecked() ? kMobileLocation : kDesktopLocation));
}
