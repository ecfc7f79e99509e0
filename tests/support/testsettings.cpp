#include "tests/support/testsettings.h"

#include "search/fetchsettings.h"

#include <QFile>
#include <QSettings>

namespace testsupport {

void useUnpacedSettings(const QString &folder)
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder));
    FetchSettings settings;
    settings.pacing.intervalMs = 0;
    settings.pacing.jitterPercent = 0;
    settings.retries = 0;
    saveFetchSettings(*openApplicationSettings(), settings);
}

} // namespace testsupport
