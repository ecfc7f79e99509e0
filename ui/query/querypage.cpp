#include "ui/query/querypage.h"

#include "search/appsettings.h"
#include "ui_querypage.h"

#include "ui/widgets/editorbinding.h"
#include "ui/frame/pagefitter.h"
#include "ui/query/querypagetraits.h"
#include "ui/query/querypanel.h"

#include <QButtonGroup>

namespace {

// What sets the two pages apart besides their traits.
struct PageLook
{
    const char *objectName;
    const char *nameSuffix; // appended to the object name of everything the form names
    const char *panelName;
    const QString *memoryKey; // what the page's device and text are kept under
    const char *hint;
    const char *desktopLocation;
    const char *mobileLocation;
    QueryPageTraits (*traits)();
};

const PageLook kLooks[] = {
    {"slcxTab", "", "inclusionPanel", &AppSettings::kInclusionPage,
     QT_TRANSLATE_NOOP("QueryPage",
                       "下方输入网址，一行一个，例如：http://www.quillane.com/news/20240612.html"),
     QT_TRANSLATE_NOOP("QueryPage", "当前位置：百度收录查询-->>电脑端收录查询"),
     QT_TRANSLATE_NOOP("QueryPage", "当前位置：百度收录查询-->>移动端收录查询"), inclusionPageTraits},
    {"pmcxTab", "_2", "rankingPanel", &AppSettings::kRankingPage,
     QT_TRANSLATE_NOOP("QueryPage", "下方输入关键词和网址，一行一组，关键词和网址用空格隔开，例如:"
                                    "Quillane工具 http://www.quillane.com/"),
     QT_TRANSLATE_NOOP("QueryPage", "当前位置：百度排名查询-->>电脑端排名查询"),
     QT_TRANSLATE_NOOP("QueryPage", "当前位置：百度排名查询-->>移动端排名查询"), rankingPageTraits},
};

const QString kDesktopMode = QStringLiteral("dnd");
const QString kMobileMode = QStringLiteral("sjd");
// Qt's own children (a table's viewport, scroll bars) keep their names.
const QString kQtInternal = QStringLiteral("qt_");

// Where the content stands in its page: at the default size exactly where it always stood.
const QMargins kContentMargins(-6, 5, 0, 13);

} // namespace

QueryPage::QueryPage(Tool tool, QWidget *parent) : ToolPage(parent), m_tool(tool), ui(new Ui::QueryPage)
{
    ui->setupUi(this);
    const PageLook &look = kLooks[m_tool];
    const QString suffix = QLatin1String(look.nameSuffix);
    if (!suffix.isEmpty()) {
        const QList<QObject *> named = findChildren<QObject *>();
        for (QObject *object : named) {
            if (!object->objectName().isEmpty() && !object->objectName().startsWith(kQtInternal))
                object->setObjectName(object->objectName() + suffix);
        }
    }
    setObjectName(QLatin1String(look.objectName));
    ui->tiShi->setText(tr(look.hint));

    auto *devices = new QButtonGroup(this);
    ui->pcRbtn->setChecked(true);
    devices->addButton(ui->pcRbtn);
    devices->addButton(ui->sjRbtn);
    // Toggled, not clicked: a choice put back from the settings shows as well.
    connect(devices, &QButtonGroup::buttonToggled, this, [this] { emit locationChanged(location()); });
    bindQueryEditor(ui->urlsList, ui->hangHao, ui->importBtn, ui->clearBtn);

    QueryPanelWidgets widgets;
    widgets.page = this;
    widgets.editor = ui->urlsList;
    widgets.start = ui->slcxBtn;
    widgets.stop = ui->stopBtn;
    widgets.back = ui->fanhuiBtn;
    widgets.exportButton = ui->daochuBtn;
    widgets.mobile = ui->sjRbtn;
    widgets.table = ui->resultList;
    widgets.progress = ui->progressBar;
    widgets.totalInput = ui->tShuru;
    widgets.inputView = {ui->slcxBtn, ui->clearBtn, ui->hangHao, ui->urlsList,
                         ui->tiShi,   ui->pcRbtn,   ui->sjRbtn};
    widgets.runView = {ui->tShuru,    ui->resultList, ui->progressBar,
                       ui->daochuBtn, ui->fanhuiBtn,  ui->stopBtn};
    widgets.nameSuffix = suffix;
    // The form's totals wait hidden with the rest of the run view; the panel shows those it fills.
    const QList<QWidget *> hidden =
        widgets.runView + QList<QWidget *>{ui->tShoulu, ui->twuShoulu, ui->tShoululv};
    for (QWidget *widget : hidden)
        widget->hide();
    m_panel = new QueryPanel(look.traits(), widgets, this);
    m_panel->setObjectName(QLatin1String(look.panelName));
    connect(ui->slcxBtn, &QPushButton::clicked, m_panel, &QueryPanel::start);
    connect(ui->stopBtn, &QPushButton::clicked, m_panel, &QueryPanel::requestStop);
    connect(ui->fanhuiBtn, &QPushButton::clicked, m_panel, &QueryPanel::back);
    connect(ui->daochuBtn, &QPushButton::clicked, m_panel, &QueryPanel::exportReport);
    PageFitter::fit(this, ui->layoutWidget, kContentMargins);
}

QueryPage::~QueryPage()
{
    delete m_panel;
    delete ui;
}

QPlainTextEdit *QueryPage::editor() const
{
    return ui->urlsList;
}

QString QueryPage::deviceMode() const
{
    return ui->sjRbtn->isChecked() ? kMobileMode : kDesktopMode;
}

QString QueryPage::location() const
{
    const PageLook &look = kLooks[m_tool];
    return tr(ui->sjRbtn->isChecked() ? look.mobileLocation : look.desktopLocation);
}

WindowMemory::Page QueryPage::memory() const
{
    return {*kLooks[m_tool].memoryKey, ui->sjRbtn, ui->pcRbtn, ui->urlsList};
}

void QueryPage::appendLines(const QStringList &lines)
{
    appendEditorLines(ui->urlsList, lines);
}
