#pragma once

#include <QWebEnginePage>

// The home page's advertisement panel page: never raises script dialogues and
// shows a compiled-in placeholder instead of the engine's error page whenever
// the advertisement cannot be loaded (no network, error status).
class AdvertisementPage : public QWebEnginePage
{
    Q_OBJECT

public:
    explicit AdvertisementPage(QObject *parent = nullptr);

    void showAdvertisement(const QUrl &address);

protected:
    void javaScriptAlert(const QUrl &securityOrigin, const QString &message) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &message) override;
    bool javaScriptPrompt(const QUrl &securityOrigin, const QString &message, const QString &defaultValue,
                          QString *result) override;

private:
    void onLoadFinished(bool ok);

    // Set while the placeholder is loading, so that a failure of the placeholder
    // itself cannot start another round.
    bool m_loadingPlaceholder = false;
};
