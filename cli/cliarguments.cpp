#include "cli/cliarguments.h"

#include "notify/notifychannel.h"
#include "search/fetchsettings.h"
#include "search/siterankingcheck.h"
#include "search/siterule.h"
#include "workers/miningrun.h"

#include <algorithm>
#include <iterator>

namespace {
const QString kCommandHistory = QStringLiteral("history");
const QString kActionList = QStringLiteral("list");
const QString kActionShow = QStringLiteral("show");
const QString kActionChanges = QStringLiteral("changes");
const QString kActionExport = QStringLiteral("export");
const QString kOptionSite = QStringLiteral("--site");
const QString kOptionDepth = QStringLiteral("--depth");
const QString kOptionLimit = QStringLiteral("--limit");
const QString kOptionDevice = QStringLiteral("--device");
const QString kOptionReport = QStringLiteral("--report");
const QString kOptionSavePages = QStringLiteral("--save-pages");
const QString kOptionCsv = QStringLiteral("--csv");
const QString kOptionJson = QStringLiteral("--json");
const QString kOptionWithSerp = QStringLiteral("--with-serp");
const QString kOptionSerp = QStringLiteral("--serp");
const QString kOptionInterval = QStringLiteral("--interval");
const QString kOptionJitter = QStringLiteral("--jitter");
const QString kOptionThreads = QStringLiteral("--threads");
const QString kOptionRetries = QStringLiteral("--retries");
const QString kOptionProxy = QStringLiteral("--proxy");
const QString kOptionProxyList = QStringLiteral("--proxy-list");
const QString kOptionConnectTimeout = QStringLiteral("--connect-timeout");
const QString kOptionTimeout = QStringLiteral("--timeout");
const QString kOptionInsecure = QStringLiteral("--insecure");
const QString kOptionCookies = QStringLiteral("--cookies");
const QString kOptionSave = QStringLiteral("--save");
const QString kOptionNotify = QStringLiteral("--notify");
const QString kOptionHelp = QStringLiteral("--help");
const QString kOptionHelpShort = QStringLiteral("-h");
const QString kEndOfOptions = QStringLiteral("--");
const QString kStandardInput = QStringLiteral("-");
const QString kDevicePc = QStringLiteral("pc");
const QString kDeviceMobile = QStringLiteral("mobile");

// Usage errors, each one line naming the problem.
const QString kUnknownOption = QStringLiteral("unknown option '%1'");
const QString kMissingValue = QStringLiteral("option '%1' needs a value");
const QString kUnknownDevice = QStringLiteral("unknown device '%1' (use pc or mobile)");
const QString kBadReportName = QStringLiteral("report file '%1' must end in .xlsx or .xls");
const QString kMissingCommand =
    QStringLiteral("missing command (inclusion, ranking, site-ranking, mine or history)");
const QString kUnknownCommand =
    QStringLiteral("unknown command '%1' (use inclusion, ranking, site-ranking, mine or history)");
const QString kMissingAction = QStringLiteral("missing history command (list, show, changes or export)");
const QString kUnknownAction =
    QStringLiteral("unknown history command '%1' (use list, show, changes or export)");
const QString kMissingRun = QStringLiteral("history %1 needs a run's id (see history list)");
const QString kBadRun = QStringLiteral("'%1' is not a run's id (see history list)");
const QString kMissingExportFile = QStringLiteral("history export needs a report file (.xlsx or .xls)");
const QString kExtraArgument = QStringLiteral("unexpected argument '%1'");
const QString kNotForCommand = QStringLiteral("option '%1' does not apply to %2");
const QString kMissingSite = QStringLiteral("site-ranking needs --site DOMAIN");
const QString kTooManySites = QStringLiteral("at most %1 sites (--site) in one run").arg(kMaxRunSites);
const QString kBadSerpLine = QStringLiteral("--serp needs a line number from 1, not '%1'");
const QString kSerpOnlyForShow = QStringLiteral("--serp is for history show");
const QString kBadSite = QStringLiteral("'%1' is no site (use a domain such as qa-site.cn)");
const QString kBadDepth = QStringLiteral("depth '%1' must be 1, 2 or 3");
const QString kBadLimit = QStringLiteral("limit '%1' must be a whole number from 1");
const QString kTwoInputs = QStringLiteral("more than one input file ('%1', '%2')");
const QString kNotANumber = QStringLiteral("option '%1' needs a whole number, not '%2'");
const QString kBadProxy = QStringLiteral("option '--proxy': '%1': %2");
const QString kBadChannel = QStringLiteral("option '--notify': '%1': %2");
const QString kNotifyWithoutSave =
    QStringLiteral("option '--notify' needs --save (a digest tells a saved run's changes)");

// Pacing and connection: every command that asks Baidu takes them.
const QStringList kFetchOptions = {kOptionInterval, kOptionJitter,    kOptionThreads, kOptionRetries,
                                   kOptionProxy,    kOptionProxyList, kOptionCookies, kOptionConnectTimeout,
                                   kOptionTimeout,  kOptionInsecure};
const QStringList kValueOptions = {kOptionDevice,  kOptionReport,         kOptionSavePages, kOptionSite,
                                   kOptionDepth,   kOptionLimit,          kOptionInterval,  kOptionJitter,
                                   kOptionThreads, kOptionRetries,        kOptionProxy,     kOptionProxyList,
                                   kOptionTimeout, kOptionConnectTimeout, kOptionSerp,      kOptionCookies,
                                   kOptionNotify};

// The commands that run a tool, and the options each takes beside the pacing and connection ones.
struct ToolCommand
{
    QLatin1String word;
    Tool tool;
    QStringList options;
};
const ToolCommand kToolCommands[] = {
    {QLatin1String("inclusion"),
     Tool::Inclusion,
     {kOptionDevice, kOptionSavePages, kOptionSave, kOptionNotify}},
    {QLatin1String("ranking"), Tool::Ranking, {kOptionDevice, kOptionSavePages, kOptionSave, kOptionNotify}},
    {QLatin1String("site-ranking"),
     Tool::SiteRanking,
     {kOptionSite, kOptionDevice, kOptionSavePages, kOptionSave, kOptionNotify}},
    // Mining asks the desktop search only, and keeps no pages.
    {QLatin1String("mine"), Tool::Mining, {kOptionDepth, kOptionLimit, kOptionSave}},
};

bool hasReportExtension(const QString &path)
{
    return path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive) ||
           path.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive);
}
} // namespace

void CliArguments::setError(const QString &message)
{
    m_outcome = Outcome::UsageError;
    m_error = message;
}

CliArguments CliArguments::parse(const QStringList &arguments)
{
    CliArguments parsed;
    CliOptions &options = parsed.m_options;
    QStringList positional;
    QStringList given; // options that only some commands take
    bool optionsEnded = false;

    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (optionsEnded || argument == kStandardInput || !argument.startsWith(QLatin1Char('-'))) {
            positional.append(argument);
            continue;
        }
        if (argument == kEndOfOptions) {
            optionsEnded = true;
            continue;
        }
        if (argument == kOptionHelp || argument == kOptionHelpShort) {
            parsed.m_outcome = Outcome::Help;
            return parsed;
        }
        if (argument == kOptionCsv || argument == kOptionJson) {
            options.format = argument == kOptionCsv ? OutputFormat::Csv : OutputFormat::Json;
            continue;
        }
        if (argument == kOptionWithSerp) {
            options.withSerp = true;
            options.format = OutputFormat::Json;
            continue;
        }
        if (argument == kOptionInsecure) {
            options.fetch.insecure = true;
            given.append(argument);
            continue;
        }
        if (argument == kOptionSave) {
            options.save = true;
            given.append(argument);
            continue;
        }

        // "--name value" or "--name=value"
        const int equals = argument.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? argument : argument.left(equals);
        if (!kValueOptions.contains(name)) {
            parsed.setError(kUnknownOption.arg(argument));
            return parsed;
        }
        QString value;
        if (equals >= 0) {
            value = argument.mid(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments.at(++i);
        } else {
            parsed.setError(kMissingValue.arg(name));
            return parsed;
        }

        std::optional<int> *number = nullptr;
        if (name == kOptionInterval)
            number = &options.fetch.intervalMs;
        else if (name == kOptionJitter)
            number = &options.fetch.jitterPercent;
        else if (name == kOptionThreads)
            number = &options.fetch.threads;
        else if (name == kOptionRetries)
            number = &options.fetch.retries;
        else if (name == kOptionConnectTimeout)
            number = &options.fetch.connectTimeoutSeconds;
        else if (name == kOptionTimeout)
            number = &options.fetch.timeoutSeconds;
        if (number) {
            given.append(name);
            int parsedNumber = 0;
            if (!parseSettingNumber(value, &parsedNumber)) {
                parsed.setError(kNotANumber.arg(name, value));
                return parsed;
            }
            *number = parsedNumber;
            continue;
        }

        if (name == kOptionProxy) {
            const QString problem = proxyAddressProblem(value);
            if (!problem.isEmpty()) {
                parsed.setError(kBadProxy.arg(maskedProxy(value), problem));
                return parsed;
            }
            options.fetch.proxy = value;
            given.append(name);
        } else if (name == kOptionNotify) {
            QString problem;
            if (!NotifyChannel::parse(value, &problem)) {
                parsed.setError(kBadChannel.arg(maskChannelText(value.trimmed()), problem));
                return parsed;
            }
            options.notifyChannels.append(value.trimmed());
            given.append(name);
        } else if (name == kOptionCookies) {
            options.fetch.cookiesPath = value;
            given.append(name);
        } else if (name == kOptionProxyList) {
            options.fetch.proxyListPath = value;
            given.append(name);
        } else if (name == kOptionDevice) {
            given.append(name);
            if (value == kDevicePc) {
                options.device = Device::Desktop;
            } else if (value == kDeviceMobile) {
                options.device = Device::Mobile;
            } else {
                parsed.setError(kUnknownDevice.arg(value));
                return parsed;
            }
        } else if (name == kOptionSavePages) {
            options.savePagesPath = value;
            given.append(name);
        } else if (name == kOptionSite) {
            if (!SiteRule::parse(value).isValid()) {
                parsed.setError(kBadSite.arg(value));
                return parsed;
            }
            if (options.sites.size() >= kMaxRunSites) {
                parsed.setError(kTooManySites);
                return parsed;
            }
            options.sites.append(value);
            given.append(name);
        } else if (name == kOptionSerp) {
            bool number = false;
            options.serpLine = value.toInt(&number);
            if (!number || options.serpLine < 1) {
                parsed.setError(kBadSerpLine.arg(value));
                return parsed;
            }
        } else if (name == kOptionDepth || name == kOptionLimit) {
            bool number = false;
            const int count = value.toInt(&number);
            const bool depth = name == kOptionDepth;
            if (!number || count < 1 || (depth && count > MiningOptions::kMaxDepth)) {
                parsed.setError((depth ? kBadDepth : kBadLimit).arg(value));
                return parsed;
            }
            (depth ? options.depth : options.limit) = count;
            given.append(name);
        } else {
            if (!hasReportExtension(value)) {
                parsed.setError(kBadReportName.arg(value));
                return parsed;
            }
            options.reportPath = value;
        }
    }

    if (positional.isEmpty()) {
        parsed.setError(kMissingCommand);
        return parsed;
    }
    const QString command = positional.takeFirst();
    if (command == kCommandHistory) {
        options.command = CliCommand::History;
        if (!options.reportPath.isEmpty())
            given.prepend(kOptionReport);
        if (!given.isEmpty())
            parsed.setError(kNotForCommand.arg(given.first(), command));
        else
            parsed.parseHistory(positional);
        if (parsed.m_outcome == Outcome::Run && options.serpLine > 0 &&
            options.historyAction != HistoryAction::Show)
            parsed.setError(kSerpOnlyForShow);
        return parsed;
    }
    const auto toolCommand =
        std::find_if(std::cbegin(kToolCommands), std::cend(kToolCommands),
                     [&command](const ToolCommand &known) { return known.word == command; });
    if (toolCommand == std::cend(kToolCommands)) {
        parsed.setError(kUnknownCommand.arg(command));
        return parsed;
    }
    options.tool = toolCommand->tool;
    if (options.serpLine > 0) {
        parsed.setError(kSerpOnlyForShow);
        return parsed;
    }
    if (options.tool == Tool::SiteRanking && options.sites.isEmpty()) {
        parsed.setError(kMissingSite);
        return parsed;
    }
    const QStringList accepted = kFetchOptions + toolCommand->options;
    for (const QString &option : qAsConst(given)) {
        if (!accepted.contains(option)) {
            parsed.setError(kNotForCommand.arg(option, command));
            return parsed;
        }
    }
    if (!options.notifyChannels.isEmpty() && !options.save) {
        parsed.setError(kNotifyWithoutSave);
        return parsed;
    }
    if (positional.size() > 1) {
        parsed.setError(kTwoInputs.arg(positional.at(0), positional.at(1)));
        return parsed;
    }
    if (!positional.isEmpty() && positional.first() != kStandardInput)
        options.inputPath = positional.first();
    return parsed;
}

void CliArguments::parseHistory(QStringList positional)
{
    if (positional.isEmpty())
        return setError(kMissingAction);
    const QString action = positional.takeFirst();
    if (action == kActionList)
        m_options.historyAction = HistoryAction::List;
    else if (action == kActionShow)
        m_options.historyAction = HistoryAction::Show;
    else if (action == kActionChanges)
        m_options.historyAction = HistoryAction::Changes;
    else if (action == kActionExport)
        m_options.historyAction = HistoryAction::Export;
    else
        return setError(kUnknownAction.arg(action));

    if (m_options.historyAction != HistoryAction::List) {
        if (positional.isEmpty())
            return setError(kMissingRun.arg(action));
        bool number = false;
        m_options.runId = positional.first().toLongLong(&number);
        if (!number || m_options.runId <= 0)
            return setError(kBadRun.arg(positional.first()));
        positional.removeFirst();
    }
    if (m_options.historyAction == HistoryAction::Export) {
        if (positional.isEmpty())
            return setError(kMissingExportFile);
        if (!hasReportExtension(positional.first()))
            return setError(kBadReportName.arg(positional.first()));
        m_options.exportPath = positional.takeFirst();
    }
    if (!positional.isEmpty())
        setError(kExtraArgument.arg(positional.first()));
}

QString CliArguments::usageText()
{
    return QStringLiteral("Usage: quillane-cli inclusion|ranking [--device pc|mobile] [--csv|--json\n"
                          "                   [--with-serp]] [--report FILE.xlsx|FILE.xls]\n"
                          "                   [--save-pages DIR] [--save [--notify CHANNEL]...]\n"
                          "                   [pacing and connection options] [FILE]\n"
                          "       quillane-cli site-ranking --site DOMAIN [--site DOMAIN]... [--device\n"
                          "                   pc|mobile] [--csv|--json [--with-serp]]\n"
                          "                   [--report FILE] [--save-pages DIR]\n"
                          "                   [--save [--notify CHANNEL]...] [pacing and connection\n"
                          "                   options] [FILE]\n"
                          "       quillane-cli mine [--depth N] [--limit N] [--csv|--json] [--report FILE]\n"
                          "                   [--save] [pacing and connection options] [FILE]\n"
                          "       quillane-cli history list|show|changes|export [--csv|--json\n"
                          "                   [--with-serp]] [RUN] [FILE]\n"
                          "       quillane-cli history show RUN --serp LINE [--json]\n"
                          "       quillane-cli list save NAME --tool inclusion|ranking|site-ranking\n"
                          "                   [--device pc|mobile] [--site DOMAIN]... [FILE]\n"
                          "       quillane-cli list [show|remove NAME]\n"
                          "       quillane-cli schedule add NAME --daily HH:MM | --weekly DAYS HH:MM |\n"
                          "                   --every N HH:MM\n"
                          "       quillane-cli schedule list|pause|resume|remove|run [NAME] [--if-due]\n"
                          "\n"
                          "Checks in one batch whether page addresses are in Baidu's index (inclusion,\n"
                          "one address per line) or where an address ranks for a keyword (ranking,\n"
                          "one keyword followed by the address per line). Lines come from FILE, or\n"
                          "from standard input without FILE or with \"-\"; lines without \"http\",\n"
                          "empty lines and repeated lines are dropped.\n"
                          "\n"
                          "site-ranking reads one keyword per line and finds where the site's pages\n"
                          "stand among the first 30 results: best position, its address and title,\n"
                          "the number of the site's entries and their other positions. mine reads\n"
                          "seed keywords, one per line, and writes the keywords Baidu's search-box\n"
                          "suggestions and related searches offer for them. For both, empty and\n"
                          "repeated lines are dropped; no line needs \"http\".\n"
                          "\n"
                          "Options:\n"
                          "  --device pc|mobile  Baidu's desktop (pc, the default) or mobile result pages\n"
                          "  --site DOMAIN       site-ranking: the site; a bare domain (qa-site.cn) also\n"
                          "                      counts its subdomains, www.qa-site.cn only that host;\n"
                          "                      up to 10 times: one group of columns per site, each\n"
                          "                      keyword page read once for all\n"
                          "  --depth N           mine: 1 (the default) expands the seeds, 2 also what\n"
                          "                      they gave, 3 once more\n"
                          "  --limit N           mine: stop after N keywords (default 1000)\n"
                          "  --csv               write CSV (UTF-8 with byte-order mark) instead of\n"
                          "                      tab-separated text\n"
                          "  --json              write JSON Lines: one object per row with typed fields\n"
                          "                      (see the manual)\n"
                          "  --with-serp         JSON rows also carry the first 30 results each ranking\n"
                          "                      was judged on (implies --json)\n"
                          "  --report FILE       also write the spreadsheet report (.xlsx or .xls)\n"
                          "  --save-pages DIR    keep every answer page that led to \"异常\" in DIR\n"
                          "                      (created if missing), one file per page named by\n"
                          "                      result row, check and request, such as\n"
                          "                      0007-ranking-keyword.html\n"
                          "  --save              keep the run in the history that the window shows\n"
                          "  --notify CHANNEL    with --save: send the digest of the run's changes\n"
                          "                      (掉收录, 新收录, 跌出前30, 新进前10, a move of at least\n"
                          "                      the settings' threshold) to CHANNEL instead of the\n"
                          "                      channels of the window's 通知 settings; repeatable.\n"
                          "                      CHANNEL is wecom:URL, dingtalk:URL[#SECRET],\n"
                          "                      feishu:URL (group robots' webhooks) or a mail server\n"
                          "                      with the recipient, smtp://[USER:PASSWORD@]HOST[:PORT]/TO\n"
                          "                      (STARTTLS) or smtps://… (TLS)\n"
                          "  -h, --help          show this text\n"
                          "\n"
                          "Pacing and connection (each overrides the window's 基本设置 for this run):\n"
                          "  --interval MS       least time between two requests to Baidu, in\n"
                          "                      milliseconds; 0 = no pause (default 1000)\n"
                          "  --jitter PCT        vary each pause by up to PCT percent; 0 = none\n"
                          "                      (default 30)\n"
                          "  --threads N         ranking lines checked at once (default 2)\n"
                          "  --retries N         ask again up to N times after a robot check, a\n"
                          "                      time-out, a connection failure or a server error;\n"
                          "                      0 = never (default 2)\n"
                          "  --proxy URL         go through this proxy: http://, https:// or\n"
                          "                      socks5h://[user:password@]host:port\n"
                          "  --proxy-list FILE   go through the proxies in FILE, one per line, in turn\n"
                          "  --connect-timeout S give up connecting after S seconds (default 10)\n"
                          "  --timeout S         give up a page after S seconds (default 30)\n"
                          "  --insecure          do not verify Baidu's certificates (for company\n"
                          "                      proxies that intercept HTTPS; anyone on the path\n"
                          "                      can then forge the answers)\n"
                          "  --cookies FILE      start from the cookies in FILE (Netscape format, as\n"
                          "                      browsers' cookie export add-ons write it) and write\n"
                          "                      them back to FILE; all requests share them. Without\n"
                          "                      it, the cookies of the window's sessions are used\n"
                          "                      and kept (quillane/cookies in the data folder)\n"
                          "\n"
                          "Settings come from the window's settings file; the interval grows by\n"
                          "itself while Baidu answers with its robot check.\n"
                          "\n"
                          "Results go to standard output in input order, one line each, after a line\n"
                          "of column headings. The last column, 原因, says why a line is \"异常\"\n"
                          "(百度安全验证, 封禁页面, 证书不受信任, 连接超时, 连接被拒绝, 服务器错误 502,\n"
                          "页面无法解析, 重定向无法读取, …); mine has no such column. Progress,\n"
                          "dropped lines and the totals (收录率 rounded to a whole percent) go to\n"
                          "standard error. Ctrl-C stops the run and prints what was finished.\n"
                          "\n"
                          "History commands:\n"
                          "  list             one line per stored run, its id first\n"
                          "  show RUN         the stored rows of run RUN, as a check prints them\n"
                          "  show RUN --serp LINE\n"
                          "                   the first 30 results line LINE (from 1) was judged on\n"
                          "  changes RUN      the lines whose result changed since the previous run\n"
                          "                   (same tool and device), with both values\n"
                          "  export RUN FILE  write run RUN's spreadsheet report (.xlsx or .xls)\n"
                          "\n"
                          "List commands (a list: a name, a tool, a device, its site(s) and lines):\n"
                          "  save NAME        keep the lines of FILE (or standard input) under NAME,\n"
                          "                   prepared as the tool's check prepares them; --tool\n"
                          "                   says which check, --site (site-ranking) the site(s)\n"
                          "  show NAME        the list's lines on standard output, what it is on\n"
                          "                   standard error\n"
                          "  remove NAME      forget the list and its schedule\n"
                          "  (none)           one line per list\n"
                          "\n"
                          "Schedule commands (each schedule checks one list by itself, as a systemd\n"
                          "user timer and service in ~/.config/systemd/user, even while the window is\n"
                          "closed; a run missed while the computer was off happens at the next start):\n"
                          "  add NAME         check list NAME --daily HH:MM, --weekly DAYS HH:MM (DAYS\n"
                          "                   such as mon,thu or 1-5) or --every N HH:MM (every N\n"
                          "                   days); replaces the list's schedule\n"
                          "  list             one line per schedule: its list, when, next and last run\n"
                          "                   with its figures, a failed notification\n"
                          "  pause NAME       stop running it for now; resume NAME starts it again\n"
                          "  resume NAME      see pause\n"
                          "  remove NAME      remove the schedule and its units\n"
                          "  run NAME         check the list now and keep the run in the history, its\n"
                          "                   digest naming the list (what the service does);\n"
                          "                   --if-due skips an every-N-days list not yet due\n"
                          "\n"
                          "The history is one file, quillane/history.sqlite in the data folder\n"
                          "($XDG_DATA_HOME, or ~/.local/share), shared with the window.\n"
                          "\n"
                          "Exit status: 0 every line got a verdict; 3 some line's status or position\n"
                          "is \"异常\" (mine: some request failed); 4 the run stopped because 5 of\n"
                          "Baidu's pages in a row could not be read (its layout may have changed;\n"
                          "standard error says where they were kept); 2 usage error; 1 the report\n"
                          "could not be written; 130 stopped by Ctrl-C. A history that cannot be\n"
                          "used does not change a check's status: the run goes on and says why on\n"
                          "standard error. History commands exit 0, 2 for a usage error or a run\n"
                          "that is not stored, 1 when the history or the report cannot be used.\n");
}
