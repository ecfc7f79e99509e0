#include "ui/pages/advertisementpage.h"

#include <QFile>
#include <QWebEngineSettings>

namespace {
const QString kPlaceholderFile = QStringLiteral(":/pages/adplaceholder.html");
}

AdvertisementPage::AdvertisementPage(QObject *parent) : QWebEnginePage(parent)
{
    settings()->setAttribute(QWebEngineSettings::ShowScrollBars, false);
    settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    connect(this, &QWebEnginePage::loadFinished, this, &AdvertisementPage::onLoadFinished);
}

void AdvertisementPage::showAdvertisement(const QUrl &address)
{
    m_loadingPlaceholder = false;
    load(address);
}

void AdvertisementPage::onLoadFinished(bool ok)
{
    if (ok || m_loadingPlaceholder) {
        m_loadingPlaceholder = false;
        return;
    }
    QFile placeholder(kPlaceholderFile);
    if (!placeholder.open(QIODevice::ReadOnly))
        return;
    m_loadingPlaceholder = true;
    setHtml(QString::fromUtf8(placeholder.readAll()));
}

void AdvertisementPage::javaScriptAlert(const QUrl &, const QString &) {}

bool AdvertisementPage::javaScriptConfirm(const QUrl &, const QString &)
{
    return false;
}

bool AdvertisementPage::javaScriptPrompt(const QUrl &, const QString &, const QString &, QString *)
{
    return false;
}
