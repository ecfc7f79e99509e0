// The help page and the home page with its advertisement panel.
#include "ui/uidemo08.h"
#include "ui_uidemo08.h"

#include "ui/advertisementpage.h"

#include <QFile>
#include <QTextStream>
#include <QUrl>

namespace {

const QString kHelpFile = QStringLiteral(":/images/help.txt");
// The help file is written in GBK, whatever the locale.
const char *const kHelpCodec = "GBK";
const QString kLineEnd = QStringLiteral("\r\n");

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

void UIDemo08::setAdvertisementAddressForTesting(const QUrl &address)
{
    advertisementAddressOverride() = address;
}

void UIDemo08::readHelptxt()
{
    QFile file(kHelpFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QTextStream stream(&file);
    stream.setCodec(kHelpCodec);
    QString text;
    while (!stream.atEnd())
        text += stream.readLine() + kLineEnd;
    ui->helpText->clear();
    ui->helpText->setPlainText(text);
    file.close();
}

void UIDemo08::initHomePage()
{
    ui->homeText->append(
        kParagraph.arg(kAdvertiserFontSize).arg(kAdvertiserColour, kAdvertiserText + kAdvertiserContact));

    // The load runs inside the engine; the window never waits for it.
    auto *page = new AdvertisementPage(ui->adHtml);
    ui->adHtml->setPage(page);
    page->showAdvertisement(advertisementAddress());
}
