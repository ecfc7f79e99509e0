#include "ui/pages/homepage.h"
#include "ui_homepage.h"

#include "ui/pages/advertisementpage.h"

namespace {

const QString kParagraph = QStringLiteral("<p><font size=\"%1\" color=\"%2\">%3</font></p>");
const int kAdvertiserFontSize = 3;
const QString kAdvertiserColour = QStringLiteral("blue");
const QString kAdvertiserText = QStringLiteral("如果你期望你的广告内容出现在这里，请联系QQ/微信：");
const QString kAdvertiserContact = QStringLiteral("2851736094");

const QString kAdvertisementHost = QStringLiteral("ads.quillane.cn");
const QString kAdvertisementPath = QStringLiteral("/pcads/ad.html");

QUrl &advertisementAddressOverride()
{
    static QUrl address;
    return address;
}

QUrl advertisementAddress()
{
    const QUrl &override = advertisementAddressOverride();
    if (override.isValid())
        return override;
    return QUrl(QStringLiteral("https://") + kAdvertisementHost + kAdvertisementPath);
}

} // namespace

HomePage::HomePage(QWidget *parent) : QWidget(parent), ui(new Ui::HomePage)
{
    ui->setupUi(this);
    ui->homeText->append(
        kParagraph.arg(kAdvertiserFontSize).arg(kAdvertiserColour, kAdvertiserText + kAdvertiserContact));

    // The load runs inside the engine; the window never waits for it.
    auto *page = new AdvertisementPage(ui->adHtml);
    ui->adHtml->setPage(page);
    page->showAdvertisement(advertisementAddress());
}

HomePage::~HomePage()
{
    delete ui;
}

void HomePage::setAdvertisementAddressForTesting(const QUrl &address)
{
    advertisementAddressOverride() = address;
}
