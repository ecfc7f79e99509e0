#include "search/appsettings.h"

#include <QSettings>

QString AppSettings::pageMobileKey(const QString &page)
{
    return page + QStringLiteral("/mobile");
}

QString AppSettings::pageTextKey(const QString &page)
{
    return page + QStringLiteral("/text");
}

std::unique_ptr<QSettings> openApplicationSettings()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       AppSettings::kOrganisation, AppSettings::kApplication);
}
