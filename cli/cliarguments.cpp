#include "cliarguments.h"

#include "fetchsettings.h"

namespace {
const QString kCommandInclusion = QStringLiteral("inclusion");
const QString kCommandRanking = QStringLiteral("ranking");
const QString kOptionDevice = QStringLiteral("--device");
const QString kOptionReport = QStringLiteral("--report");
const QString kOptionSavePages = QStringLiteral("--save-pages");
const QString kOptionCsv = QStringLiteral("--csv");
const QString kOptionInterval = QStringLiteral("--interval");
const QString kOptionJitter = QStringLiteral("--jitter");
const QString kOptionThreads = QStringLiteral("--threads");
const QString kOptionRetries = QStringLiteral("--retries");
const QString kOptionProxy = QStringLiteral("--proxy");
const QString kOptionProxyList = QStringLiteral("--proxy-list");
const QString kOptionConnectTimeout = QStringLiteral("--connect-timeout");
const QString kOptionTimeout = QStringLiteral("--timeout");
const QString kOptionInsecure = QStringLiteral("--insecure");
const QString kOptionHelp = QStringLiteral("--help");
const QString kOptionHelpShort = QStringLiteral("-h");
const QString kEndOfOptions = QStringLiteral("--");
const QString kStandardInput = QStringLiteral("-");
const QString kDevicePc = QStringLiteral("pc");
const QString kDeviceMobile = QStringLiteral("mobile");
const QString kModeDesktop = QStringLiteral("dnd");
const QString kModeMobile = QStringLiteral("sjd");

// Usage errors, each one line naming the problem.
const QString kUnknownOption = QStringLiteral("unknown option '%1'");
const QString kMissingValue = QStringLiteral("option '%1' needs a value");
const QString kUnknownDevice = QStringLiteral("unknown device '%1' (use pc or mobile)");
const QString kBadReportName = QStringLiteral("report file '%1' must end in .xlsx or .xls");
const QString kMissingCommand = QStringLiteral("missing command (inclusion or ranking)");
const QString kUnknownCommand = QStringLiteral("unknown command '%1' (use inclusion or ranking)");
const QString kTwoInputs = QStringLiteral("more than one input file ('%1', '%2')");
const QString kNotANumber = QStringLiteral("option '%1' needs a whole number, not '%2'");
const QString kBadProxy = QStringLiteral("option '--proxy': '%1': %2");

const QStringList kValueOptions = {kOptionDevice,    kOptionReport,  kOptionSavePages,     kOptionInterval,
                                   kOptionJitter,    kOptionThreads, kOptionRetries,       kOptionProxy,
                                   kOptionProxyList, kOptionTimeout, kOptionConnectTimeout};

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
    options.deviceMode = kModeDesktop;
    QStringList positional;
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
        if (argument == kOptionCsv) {
            options.format = OutputFormat::Csv;
            continue;
        }
        if (argument == kOptionInsecure) {
            options.fetch.insecure = true;
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
                parsed.setError(kBadProxy.arg(value, problem));
                return parsed;
            }
            options.fetch.proxy = value;
        } else if (name == kOptionProxyList) {
            options.fetch.proxyListPath = value;
        } else if (name == kOptionDevice) {
            if (value == kDevicePc) {
                options.deviceMode = kModeDesktop;
            } else if (value == kDeviceMobile) {
                options.deviceMode = kModeMobile;
            } else {
                parsed.setError(kUnknownDevice.arg(value));
                return parsed;
            }
        } else if (name == kOptionSavePages) {
            options.savePagesPath = value;
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
    if (command == kCommandInclusion) {
        options.kind = QueryKind::Inclusion;
    } else if (command == kCommandRanking) {
        options.kind = QueryKind::Ranking;
    } else {
        parsed.setError(kUnknownCommand.arg(command));
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

QString CliArguments::usageText()
{
    return QStringLiteral("Usage: quillane-cli inclusion|ranking [--device pc|mobile] [--csv] [--report "
                          "FILE.xlsx|FILE.xls]\n"
                          "                   [--save-pages DIR] [pacing and connection options] [FILE]\n"
                          "\n"
                          "Checks in one batch whether page addresses are in Baidu's index (inclusion,\n"
                          "one address per line) or where an address ranks for a keyword (ranking,\n"
                          "one keyword followed by the address per line). Lines come from FILE, or\n"
                          "from standard input without FILE or with \"-\"; lines without \"http\",\n"
                          "empty lines and repeated lines are dropped.\n"
                          "\n"
                          "Options:\n"
                          "  --device pc|mobile  Baidu's desktop (pc, the default) or mobile result pages\n"
                          "  --csv               write CSV (UTF-8 with byte-order mark) instead of\n"
                          "                      tab-separated text\n"
                          "  --report FILE       also write the spreadsheet report (.xlsx or .xls)\n"
                          "  --save-pages DIR    keep every answer page that led to \"异常\" in DIR\n"
                          "                      (created if missing), one file per page named by\n"
                          "                      result row, check and request, such as\n"
                          "                      0007-ranking-keyword.html\n"
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
                          "\n"
                          "Settings come from the window's settings file; the interval grows by\n"
                          "itself while Baidu answers with its robot check.\n"
                          "\n"
                          "Results go to standard output in input order, one line each, after a line\n"
                          "of column headings. Progress, dropped lines and the totals go to standard\n"
                          "error. Ctrl-C stops the run and prints what was finished.\n"
                          "\n"
                          "Exit status: 0 every line got a verdict; 3 some line's status or position\n"
                          "is \"异常\"; 2 usage error; 1 the report could not be written; 130 stopped\n"
                          "by Ctrl-C.\n");
}
