#include "ui/frame/toolpage.h"

#include "ui/query/querypanel.h"

void ToolPage::setSearchContext(const SearchContext &context)
{
    panel()->setSearchContext(context);
}

bool ToolPage::isRunning() const
{
    return panel()->isRunning();
}

QString ToolPage::historyTool() const
{
    return panel()->historyTool();
}

void ToolPage::showStoredRun(const StoredRun &run, const QList<StoredLine> &lines)
{
    panel()->showStoredRun(run, lines);
}
