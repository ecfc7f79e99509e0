#pragma once

#include <QString>

namespace testsupport {

// Points the application's settings file into folder (XDG_CONFIG_HOME), so
// that no test sees what the user or an earlier run left, and stores settings
// without pauses or retries there: window tests and benchmarks then run at
// the loopback servers' speed unless they save other settings themselves.
void useUnpacedSettings(const QString &folder);

} // namespace testsupport
