#pragma once

#include "workers/batchrunner.h"
#include "workers/device.h"

#include <QString>
#include <QStringList>

#include <optional>

enum class OutputFormat
{
    Tsv,
    Csv,
    Json // JSON Lines: one object per row (history/rowjson.h)
};

// Options that override the settings file for one run; unset ones leave it be.
struct FetchOverrides
{
    std::optional<int> intervalMs;
    std::optional<int> jitterPercent;
    std::optional<int> threads;
    std::optional<int> retries;
    std::optional<int> connectTimeoutSeconds;
    std::optional<int> timeoutSeconds;
    QString proxy;         // --proxy: this one proxy
    QString proxyListPath; // --proxy-list: a file of proxies, one per line
    bool insecure = false;
    QString cookiesPath; // --cookies: a Netscape cookie file to start from and write back to
};

enum class CliCommand
{
    Check,  // a run of one of the tools
    History // a look at the stored runs
};

enum class HistoryAction
{
    List,
    Show,
    Changes,
    Export
};

// What one invocation asks for, after its arguments were checked.
struct CliOptions
{
    CliCommand command = CliCommand::Check;
    Tool tool = Tool::Inclusion; // what a check runs
    Device device = Device::Desktop;
    QString inputPath;     // empty: standard input
    QString reportPath;    // empty: no report
    QString savePagesPath; // empty: answer pages are not kept
    OutputFormat format = OutputFormat::Tsv;
    QStringList sites;     // site-ranking: the sites as typed (--site, repeated), up to ten
    bool withSerp = false; // --with-serp: JSON rows carry their first-30 list
    int depth = 1;         // mine
    int limit = 1000;      // mine
    bool save = false;     // store the run in the history
    // --notify: where the digest of a saved run's changes goes instead of the settings' channels.
    QStringList notifyChannels;
    QString listName; // a saved list's run: named in its digest

    FetchOverrides fetch; // every command that asks Baidu

    HistoryAction historyAction = HistoryAction::List;
    qint64 runId = 0;   // show, changes, export
    int serpLine = 0;   // show --serp LINE: that line's first-30 list (from 1); 0: the rows
    QString exportPath; // export: .xlsx or .xls
};

// Parses the command line (without the program name). Checks only what the
// arguments themselves say; files are opened later.
class CliArguments
{
public:
    enum class Outcome
    {
        Run,
        Help,
        UsageError
    };

    static CliArguments parse(const QStringList &arguments);

    Outcome outcome() const { return m_outcome; }
    const CliOptions &options() const { return m_options; }
    // One line naming the problem, for UsageError.
    QString error() const { return m_error; }

    static QString usageText();

private:
    void setError(const QString &message);
    // The words after "history".
    void parseHistory(QStringList positional);

    Outcome m_outcome = Outcome::Run;
    CliOptions m_options;
    QString m_error;
};
