#include "ui/widgets/serpdialog.h"

#include "ui/widgets/messagebox.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

namespace {

const char kContext[] = "SerpDialog";
const char kTitle[] = QT_TRANSLATE_NOOP("SerpDialog", "前30名");
const char kSavedPageTitle[] = QT_TRANSLATE_NOOP("SerpDialog", "前30名 - 保存的答复页面");
const char kInfo[] = QT_TRANSLATE_NOOP("SerpDialog", "关键词：%1　%2　读取时间：%3");
const char kSites[] = QT_TRANSLATE_NOOP("SerpDialog", "　网站：%1");
const char kPageInfo[] =
    QT_TRANSLATE_NOOP("SerpDialog", "关键词：%1　%2　这一行为异常，以下是当时百度返回的页面：%3");
const char kNothing[] =
    QT_TRANSLATE_NOOP("SerpDialog", "这一行没有保存前30名（结果页未读到，也没有保存答复页面）");
const char kPosition[] = QT_TRANSLATE_NOOP("SerpDialog", "排名");
const char kHeading[] = QT_TRANSLATE_NOOP("SerpDialog", "标题");
const char kShown[] = QT_TRANSLATE_NOOP("SerpDialog", "显示网址");
const char kAddress[] = QT_TRANSLATE_NOOP("SerpDialog", "网址");
const char kHit[] = QT_TRANSLATE_NOOP("SerpDialog", "命中");
const char kAsked[] = QT_TRANSLATE_NOOP("SerpDialog", "查询网址");
const char kClose[] = QT_TRANSLATE_NOOP("SerpDialog", "关闭");
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
const QColor kHighlight(0xff, 0xf1, 0xa8);

QString translated(const char *text)
{
    return QCoreApplication::translate(kContext, text);
}

// A kept page is shown as it was, from its file: nothing it names is fetched.
class LocalOnly : public QWebEngineUrlRequestInterceptor
{
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo &info) override
    {
        const QString scheme = info.requestUrl().scheme();
        if (scheme != QLatin1String("file") && scheme != QLatin1String("data"))
            info.block(true);
    }
};

} // namespace

SerpDialog::SerpDialog(const SerpView &view, QWidget *parent) : QDialog(parent), m_info(new QLabel)
{
    setObjectName(QStringLiteral("serpDialog"));
    m_info->setObjectName(QStringLiteral("serpInfo"));
    m_info->setWordWrap(true);
    m_info->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_info);
    if (view.entries.isEmpty())
        showPage(view.savedPage);
    else
        showList(view);
    const QString device = view.device;
    if (m_page) {
        setWindowTitle(translated(kSavedPageTitle));
        m_info->setText(translated(kPageInfo).arg(view.query, device, view.savedPage));
        layout->addWidget(m_page, 1);
    } else {
        setWindowTitle(translated(kTitle));
        QString info = translated(kInfo).arg(
            view.query, device,
            view.readAt.isValid() ? view.readAt.toLocalTime().toString(kTimeFormat) : QString());
        if (!view.sites.isEmpty())
            info += translated(kSites).arg(view.sites.join(QStringLiteral("，")));
        m_info->setText(info);
        layout->addWidget(m_table, 1);
    }
    auto *buttons = new QDialogButtonBox;
    QPushButton *close = buttons->addButton(translated(kClose), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("serpCloseBtn"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(m_page ? QSize(1000, 720) : QSize(900, 640));
}

SerpDialog *SerpDialog::open(const SerpView &view, QWidget *parent)
{
    if (view.entries.isEmpty() && view.savedPage.isEmpty()) {
        QuillaneMessageBox::inform(translated(kNothing));
        return nullptr;
    }
    auto *dialog = new SerpDialog(view, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return dialog;
}

void SerpDialog::showList(const SerpView &view)
{
    m_table = new QTableWidget(view.entries.size(), 5, this);
    m_table->setObjectName(QStringLiteral("serpTable"));
    m_table->setHorizontalHeaderLabels({translated(kPosition), translated(kHeading), translated(kShown),
                                        translated(kAddress), translated(kHit)});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    for (int r = 0; r < view.entries.size(); ++r) {
        const SerpEntry &entry = view.entries.at(r);
        QStringList hits;
        if (view.sites.isEmpty() && entry.isMatch())
            hits.append(translated(kAsked));
        for (int site = 0; site < view.sites.size(); ++site) {
            if (entry.isMatch(site))
                hits.append(view.sites.at(site));
        }
        const QStringList cells{QString::number(entry.position), entry.title, entry.shown, entry.address,
                                hits.join(QStringLiteral("，"))};
        for (int c = 0; c < cells.size(); ++c) {
            auto *item = new QTableWidgetItem(cells.at(c));
            item->setToolTip(cells.at(c));
            if (!hits.isEmpty()) {
                item->setBackground(kHighlight);
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            m_table->setItem(r, c, item);
        }
    }
    m_table->setColumnWidth(0, 48);
    m_table->setColumnWidth(1, 300);
    m_table->setColumnWidth(2, 180);
    m_table->setColumnWidth(3, 220);
    m_table->horizontalHeader()->setStretchLastSection(true);
}

void SerpDialog::showPage(const QString &path)
{
    m_page = new QWebEngineView(this);
    m_page->setObjectName(QStringLiteral("serpPageView"));
    // A profile of its own: the interceptor and the settings touch no other
    // view. The page goes with the view, made before the profile and so
    // deleted before it.
    auto *profile = new QWebEngineProfile(this);
    profile->setUrlRequestInterceptor(new LocalOnly(profile));
    auto *page = new QWebEnginePage(profile, m_page);
    page->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    page->settings()->setAttribute(QWebEngineSettings::AutoLoadImages, false);
    m_page->setPage(page);
    m_page->load(QUrl::fromLocalFile(path));
}
