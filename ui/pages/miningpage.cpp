#include "ui/pages/miningpage.h"
#include "ui_miningpage.h"

#include "search/resultcolumns.h"
#include "ui/widgets/editorbinding.h"
#include "ui/frame/pagefitter.h"
#include "ui/query/querypagetraits.h"
#include "ui/query/querypanel.h"

namespace {
const QMargins kContentMargins(3, 5, 3, 13);
} // namespace

MiningPage::MiningPage(QWidget *parent) : ToolPage(parent), ui(new Ui::MiningPage)
{
    ui->setupUi(this);
    ui->limitBox->setValue(MiningOptions::kDefaultLimit);
    ui->depthBox->setRange(1, MiningOptions::kMaxDepth);
    bindQueryEditor(ui->urlsList_mine, ui->hangHao_mine, ui->importBtn_mine, ui->clearBtn_mine);

    QueryPanelWidgets widgets;
    widgets.page = this;
    widgets.editor = ui->urlsList_mine;
    widgets.start = ui->slcxBtn_mine;
    widgets.stop = ui->stopBtn_mine;
    widgets.back = ui->fanhuiBtn_mine;
    widgets.exportButton = ui->daochuBtn_mine;
    widgets.table = ui->resultList_mine;
    widgets.progress = ui->progressBar_mine;
    widgets.totalInput = ui->tShuru_mine;
    widgets.inputView = {ui->slcxBtn_mine,  ui->clearBtn_mine, ui->hangHao_mine,
                         ui->urlsList_mine, ui->tiShi_mine,    ui->depthLabel,
                         ui->depthBox,      ui->limitLabel,    ui->limitBox};
    widgets.runView = {ui->tShuru_mine,    ui->resultList_mine, ui->progressBar_mine, ui->daochuBtn_mine,
                       ui->fanhuiBtn_mine, ui->stopBtn_mine,    ui->toRankingBtn,     ui->toSiteRankingBtn};
    widgets.nameSuffix = QStringLiteral("_mine");
    for (QWidget *widget : qAsConst(widgets.runView))
        widget->hide();
    m_panel = new QueryPanel(miningPageTraits([this] { return options(); }), widgets, this);
    m_panel->setObjectName(QStringLiteral("miningPanel"));
    connect(ui->slcxBtn_mine, &QPushButton::clicked, m_panel, &QueryPanel::start);
    connect(ui->stopBtn_mine, &QPushButton::clicked, m_panel, &QueryPanel::requestStop);
    connect(ui->fanhuiBtn_mine, &QPushButton::clicked, m_panel, &QueryPanel::back);
    connect(ui->daochuBtn_mine, &QPushButton::clicked, m_panel, &QueryPanel::exportReport);
    connect(ui->toRankingBtn, &QPushButton::clicked, this, [this] { send(false); });
    connect(ui->toSiteRankingBtn, &QPushButton::clicked, this, [this] { send(true); });
    PageFitter::fit(this, ui->content_mine, kContentMargins);
}

MiningPage::~MiningPage()
{
    delete m_panel;
    delete ui;
}

MiningOptions MiningPage::options() const
{
    MiningOptions options;
    options.depth = ui->depthBox->value();
    options.limit = ui->limitBox->value();
    return options;
}

void MiningPage::send(bool toSiteRanking)
{
    QStringList keywords;
    const ResultTable *table = m_panel->table();
    for (int row : table->chosenRows())
        keywords.append(table->model()->row(row).cells.value(MiningColumn::Keyword));
    keywords.removeAll(QString());
    if (!keywords.isEmpty())
        emit keywordsSent(keywords, toSiteRanking);
}
