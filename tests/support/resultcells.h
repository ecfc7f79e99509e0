#pragma once

#include <QString>
#include <QStringList>

namespace testsupport {

// A result's cells joined by "|": the compact form in which tests write the row they expect.
template <typename Result> QString cellsText(const Result &result)
{
    return result.cells().join(QLatin1Char('|'));
}

} // namespace testsupport
