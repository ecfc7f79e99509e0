#include "cli/runcli.h"

#include "cli/cliarguments.h"
#include "cli/historycommand.h"
#include "cli/interruptwatcher.h"
#include "cli/listcommand.h"
#include "cli/progressreporter.h"
#include "cli/queryinput.h"
#include "cli/resultoutput.h"
#include "cli/rundriver.h"
#include "cli/runnotice.h"
#include "history/historystore.h"
#include "history/runrecorder.h"
#include "history/tooldescriptor.h"
#include "report/reportwriter.h"
#include "report/runreport.h"
#include "search/fetchsettings.h"
#include "search/layoutdriftguard.h"
#include "search/pagesaver.h"
#include "workers/batchrunner.h"

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <fcntl.h>
#include <memory>
#include <optional>

#include <unistd.h>

namespace {
const int kExitOk = 0;
const int kExitReportFailed = 1;
const int kExitUsage = 2;
const int kExitFailedLines = 3;
const int kExitLayoutChanged = 4; // Baidu's pages could no longer be read: the run stopped
const int kExitInterrupted = 130; // 128 + SIGINT, as shells report it

const QLatin1String kMessagePrefix("quillane-cli: ");
const QString kSeeHelp = QStringLiteral(" (see --help)");
const QString kNoSuchDirectory = QStringLiteral("cannot write report '%1': directory '%2' does not exist");
const QString kDirectoryReadOnly = QStringLiteral("cannot write report '%1': directory '%2' is not writable");
const QString kReportIsDirectory = QStringLiteral("cannot write report '%1': it is a directory");
const QString kReportFailed = QStringLiteral("cannot write report '%1': %2");
const QString kCannotRead = QStringLiteral("cannot read '%1': %2");
const QString kNoInput = QStringLiteral("no input: standard input is closed");
const QString kTypeLines = QStringLiteral("请输入要查询的行，以 Ctrl-D 结束：\n");
const QString kReadAsGb18030 = QStringLiteral("输入不是 UTF-8，已按 GB18030 读取");
const QString kReadAsUtf16 = QStringLiteral("输入为 UTF-16，已按 %1 读取");
const QString kGb18030 = QStringLiteral("GB18030");
const QLatin1String kUtf16("UTF-16");
const QString kDroppedLines = QStringLiteral("已忽略 %1 行：空行 %2，重复 %3，不含 http %4");
const QString kStoppingInclusion = QStringLiteral("正在停止：等待当前一行完成……");
const QString kStoppingRanking = QStringLiteral("正在停止……");
const QString kBadProxyList = QStringLiteral("proxy list '%1': %2");
const QString kBadProxyLine = QStringLiteral("proxy list '%1', line %2 '%3': %4");
const QString kEmptyProxyList = QStringLiteral("proxy list '%1' names no proxy");
const QString kBadSetting = QStringLiteral("option '%1': %2");
const QString kBadStoredSetting = QStringLiteral("settings file '%1': %2 '%3': %4");
const QString kSettingsUnused =
    QStringLiteral("settings file '%1' cannot be read (%2); the defaults are used");
const QString kCertificateFailed = QStringLiteral(
    "百度的证书未通过验证，相关行记为“异常”（证书不受信任）：%1。公司代理拦截 HTTPS 时，可用 --insecure"
    "（即基本设置中的“不验证证书”）；但这样无法识别冒充百度的服务器，网络路径上的任何人都能伪造查询结果。");
const QString kRobotCheckMet = QStringLiteral(
    "百度要求安全验证（百度安全验证），相关行会放慢重试，仍不通过则记为“异常”。通过验证的方法：在浏览器中打开 %1 "
    "完成验证，用浏览器的 Cookie 导出扩展把百度的 Cookie 导出到 %2（Netscape 格式），再加上 --cookies %2 "
    "重新运行");
const QString kCookieFilePlaceholder = QStringLiteral("FILE");
const QString kHistoryNotKept = QStringLiteral("%1；查询继续，本次不保存历史记录");

// Taken before main(): with standard input closed, the next file the process
// opens would become descriptor 0 and be read as the input. /dev/null takes
// the place instead, and the run says there is no input.
bool fillClosedStandardInput()
{
    if (::fcntl(STDIN_FILENO, F_GETFD) != -1)
        return false;
    return ::open("/dev/null", O_RDONLY) == STDIN_FILENO;
}
const bool kStandardInputWasClosed = fillClosedStandardInput();

void printError(const CliStreams &streams, const QString &message)
{
    streams.err->write((kMessagePrefix + message + QLatin1Char('\n')).toUtf8());
}

// The option that sets the value behind each settings key, for messages.
QString optionOfKey(const QString &key)
{
    using namespace FetchSettingsKey;
    const std::pair<const char *, const char *> options[] = {
        {kInterval, "--interval"}, {kJitter, "--jitter"},   {kThreads, "--threads"},
        {kRetries, "--retries"},   {kTimeout, "--timeout"}, {kConnectTimeout, "--connect-timeout"},
        {kProxies, "--proxy-list"}};
    for (const auto &option : options) {
        if (key == QLatin1String(option.first))
            return QLatin1String(option.second);
    }
    return key;
}

// A stored value as one line of a message: line breaks and other control characters escaped.
QString shownValue(const QString &value)
{
    QString shown;
    for (const QChar c : value) {
        if (c == QLatin1Char('\n'))
            shown += QLatin1String("\\n");
        else if (c == QLatin1Char('\r'))
            shown += QLatin1String("\\r");
        else if (c.category() == QChar::Other_Control)
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

// An option of this run sets the value of the settings key, so the stored one does not matter.
bool overriddenByOption(const QString &key, const FetchOverrides &overrides)
{
    using namespace FetchSettingsKey;
    const std::pair<const char *, bool> given[] = {
        {kInterval, bool(overrides.intervalMs)},
        {kJitter, bool(overrides.jitterPercent)},
        {kThreads, bool(overrides.threads)},
        {kRetries, bool(overrides.retries)},
        {kConnectTimeout, bool(overrides.connectTimeoutSeconds)},
        {kTimeout, bool(overrides.timeoutSeconds)},
        {kInsecure, overrides.insecure},
        {kProxyMode, !overrides.proxy.isEmpty() || !overrides.proxyListPath.isEmpty()},
        {kProxies, !overrides.proxy.isEmpty() || !overrides.proxyListPath.isEmpty()}};
    for (const auto &option : given) {
        if (key == QLatin1String(option.first))
            return option.second;
    }
    return false;
}

// The settings file read strictly; false after printing every stored value this run would use and cannot.
bool storedSettings(const FetchOverrides &overrides, const CliStreams &streams, FetchSettings *settings)
{
    const std::unique_ptr<QSettings> store = openApplicationSettings();
    const StoredFetchSettings stored = readFetchSettings(*store);
    const QString path = QDir::toNativeSeparators(store->fileName());
    if (!stored.unreadable.isEmpty())
        printError(streams, kSettingsUnused.arg(path, stored.unreadable));
    bool usable = true;
    for (const SettingsProblem &problem : stored.refused) {
        if (overriddenByOption(problem.key, overrides))
            continue;
        printError(streams,
                   kBadStoredSetting.arg(path, problem.key, shownValue(problem.value), problem.message));
        usable = false;
    }
    *settings = stored.settings;
    return usable;
}

// The settings file with this run's options applied; false after printing why they cannot be used.
bool settingsForRun(const FetchOverrides &overrides, const CliStreams &streams, FetchSettings *settings)
{
    if (!storedSettings(overrides, streams, settings))
        return false;
    const std::pair<const std::optional<int> *, int *> numbers[] = {
        {&overrides.intervalMs, &settings->pacing.intervalMs},
        {&overrides.jitterPercent, &settings->pacing.jitterPercent},
        {&overrides.threads, &settings->pacing.maxLinesInFlight},
        {&overrides.retries, &settings->retries},
        {&overrides.connectTimeoutSeconds, &settings->connectTimeoutSeconds},
        {&overrides.timeoutSeconds, &settings->timeoutSeconds}};
    for (const auto &number : numbers) {
        if (*number.first)
            *number.second = **number.first;
    }
    if (overrides.insecure)
        settings->insecure = true;
    if (!overrides.proxy.isEmpty() || !overrides.proxyListPath.isEmpty()) {
        settings->proxyMode = ProxyMode::List;
        settings->proxies.clear();
        if (!overrides.proxy.isEmpty())
            settings->proxies.append(overrides.proxy);
    }
    if (!overrides.proxyListPath.isEmpty()) {
        QFile file(overrides.proxyListPath);
        if (!file.open(QIODevice::ReadOnly)) {
            printError(streams, kBadProxyList.arg(overrides.proxyListPath, file.errorString()));
            return false;
        }
        const QStringList listed = proxyLines(QString::fromUtf8(file.readAll()));
        if (listed.isEmpty()) {
            printError(streams, kEmptyProxyList.arg(overrides.proxyListPath));
            return false;
        }
        for (int i = 0; i < listed.size(); ++i) {
            const QString problem = proxyAddressProblem(listed.at(i));
            if (!problem.isEmpty()) {
                printError(streams, kBadProxyLine.arg(overrides.proxyListPath)
                                        .arg(i + 1)
                                        .arg(maskedProxy(listed.at(i)), problem));
                return false;
            }
        }
        settings->proxies += listed;
    }
    const QList<SettingsProblem> problems = validateFetchSettings(*settings);
    if (!problems.isEmpty()) {
        printError(streams,
                   kBadSetting.arg(optionOfKey(problems.first().key), problems.first().message) + kSeeHelp);
        return false;
    }
    return true;
}

// Runs a driver to its end and writes the report; the exit status.
int drive(RunDriver &driver, const CliOptions &options, const CliStreams &streams, ProgressReporter &progress,
          const ReportTable &reportBase);

// A report that cannot be written should fail before a long run, not after it.
QString reportPathProblem(const QString &path)
{
    const QFileInfo report(path);
    const QFileInfo directory(report.absolutePath());
    if (!directory.isDir())
        return kNoSuchDirectory.arg(path, QDir::toNativeSeparators(directory.filePath()));
    if (!directory.isWritable())
        return kDirectoryReadOnly.arg(path, QDir::toNativeSeparators(directory.filePath()));
    if (report.isDir())
        return kReportIsDirectory.arg(path);
    return QString();
}

bool readInput(const CliOptions &options, const CliStreams &streams, QByteArray *bytes)
{
    if (options.inputPath.isEmpty()) {
        if (!streams.in || !streams.in->isOpen()) {
            printError(streams, kNoInput);
            return false;
        }
        if (streams.inIsTerminal)
            streams.err->write(kTypeLines.toUtf8());
        *bytes = streams.in->readAll();
        return true;
    }
    QFile file(options.inputPath);
    if (!file.open(QIODevice::ReadOnly)) {
        printError(streams, kCannotRead.arg(options.inputPath, file.errorString()));
        return false;
    }
    *bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        printError(streams, kCannotRead.arg(options.inputPath, file.errorString()));
        return false;
    }
    return true;
}

QString droppedText(const QueryInput::Dropped &dropped)
{
    return kDroppedLines.arg(dropped.total())
        .arg(dropped.empty)
        .arg(dropped.duplicate)
        .arg(dropped.withoutHttp);
}
} // namespace

int runCli(const QStringList &arguments, const SearchEndpoints &endpoints, const CliStreams &streams)
{
    if (isListCommand(arguments))
        return runListCommand(arguments, endpoints, streams);
    const CliArguments parsed = CliArguments::parse(arguments);
    if (parsed.outcome() == CliArguments::Outcome::Help) {
        streams.out->write(CliArguments::usageText().toUtf8());
        return kExitOk;
    }
    if (parsed.outcome() == CliArguments::Outcome::UsageError) {
        printError(streams, parsed.error() + kSeeHelp);
        return kExitUsage;
    }
    const CliOptions &options = parsed.options();
    if (options.command == CliCommand::History) {
        HistoryStore store;
        return runHistoryCommand(options, streams, &store);
    }
    return runCheck(options, endpoints, streams);
}

int runCheck(const CliOptions &options, const SearchEndpoints &endpoints, const CliStreams &streams,
             CheckOutcome *outcome)
{
    FetchSettings settings;
    if (!settingsForRun(options.fetch, streams, &settings))
        return kExitUsage;
    if (!options.reportPath.isEmpty()) {
        const QString problem = reportPathProblem(options.reportPath);
        if (!problem.isEmpty()) {
            printError(streams, problem);
            return kExitUsage;
        }
    }

    RunNotice notice;
    if (options.save && !notice.prepare(options, [&](const QString &why) { printError(streams, why); }))
        return kExitUsage;

    QByteArray bytes;
    if (!readInput(options, streams, &bytes))
        return kExitUsage;
    QList<SiteRule> sites;
    QStringList siteHosts;
    for (const QString &typed : options.sites) {
        const SiteRule site = SiteRule::parse(typed);
        if (!siteHosts.contains(site.host())) {
            sites.append(site);
            siteHosts.append(site.host());
        }
    }
    const ToolDescriptor tool =
        options.tool == Tool::SiteRanking ? siteRankingDescriptor(siteHosts) : toolDescriptor(options.tool);
    const QueryInput input = QueryInput::fromBytes(bytes, tool.lineKind);
    const QStringList lines = input.lines();

    ProgressReporter progress(streams.err, streams.errIsTerminal, lines.size(),
                              streams.outIsTerminal && streams.errIsTerminal);
    if (input.encoding() == kGb18030)
        progress.message(kReadAsGb18030);
    else if (input.encoding().startsWith(kUtf16))
        progress.message(kReadAsUtf16.arg(input.encoding()));
    if (input.dropped().total() > 0)
        progress.message(droppedText(input.dropped()));

    ResultOutput output(streams.out, options.format);
    output.setJsonContext({options.tool, tool.hasDevice ? HistoryDevice::key(options.device) : QString(),
                           siteHosts, options.withSerp});
    output.writeHeader(tool.writtenHeadings());

    RequestGate &gate = RequestGate::shared();
    gate.configure(settings.pacing);
    // The pause learned by earlier runs, of the window or the command, holds until the settings are saved.
    gate.setLearned(loadLearnedInterval(*openApplicationSettings()));
    SearchContext context = SearchContext::fromSettings(settings, &gate, endpoints);
    // What the checking threads have to say reaches standard error between the rows, from this thread.
    QObject sayer;
    const auto sayLater = [&sayer, &progress](const QString &text) {
        QMetaObject::invokeMethod(
            &sayer, [&progress, text] { progress.message(text); }, Qt::QueuedConnection);
    };
    // The command never waits for a person: a robot check slows the gate, and the user is told how to pass
    // it.
    context.sessions = options.fetch.cookiesPath.isEmpty()
                           ? std::make_shared<SessionPool>(SessionPool::defaultFolder())
                           : SessionPool::sharingFile(options.fetch.cookiesPath);
    const QString cookieFile =
        options.fetch.cookiesPath.isEmpty() ? kCookieFilePlaceholder : options.fetch.cookiesPath;
    context.notices = std::make_shared<FetchNotices>([sayLater, cookieFile](const FetchNotice &notice) {
        if (notice.kind == FetchNotice::Kind::RobotCheck)
            sayLater(kRobotCheckMet.arg(notice.reason, cookieFile));
        else
            sayLater(notice.kind == FetchNotice::Kind::Certificate ? kCertificateFailed.arg(notice.reason)
                                                                   : notice.reason);
    });
    if (!options.savePagesPath.isEmpty()) {
        const auto saver = std::make_shared<const PageSaver>(options.savePagesPath, lines, sayLater);
        const QString problem = saver->prepare();
        if (!problem.isEmpty()) {
            printError(streams, problem);
            return kExitUsage;
        }
        context.pageSink = [saver](const AnswerPage &page) { saver->save(page); };
    }
    // With --save-pages the pages that could not be read are kept there already.
    const auto drift = std::make_shared<LayoutDriftGuard>(
        options.savePagesPath.isEmpty() ? LayoutDriftGuard::defaultFolder() : options.savePagesPath,
        options.savePagesPath.isEmpty());
    context.driftGuard = drift;

    // A report of several sites names them all.
    const QString siteNames = siteHosts.join(QStringLiteral("、"));
    ReportTable table;
    table.title = reportTitle(tool.reportKind, siteNames);
    table.headings = tool.writtenHeadings();
    table.columnPixelWidths = tool.writtenWidths();
    table.subtitle =
        reportSubtitle(tool.reportKind, options.device, QDateTime::currentDateTime(), siteNames);
    table.numberColumns = tool.numberColumns();
    // A history that cannot be used costs the run nothing but its record.
    std::optional<HistoryStore> store;
    std::optional<RunRecorder> recorder;
    if (options.save) {
        store.emplace();
        recorder.emplace(&*store,
                         [&progress](const QString &why) { progress.message(kHistoryNotKept.arg(why)); });
        StoredRun run = runStarting(options.tool, options.device, lines.size(), context);
        run.sites = siteHosts;
        if (!options.savePagesPath.isEmpty())
            run.pagesFolder = QFileInfo(options.savePagesPath).absoluteFilePath();
        recorder->start(run);
    }
    const auto stoppedByDrift = [&](int status) {
        if (!drift->tripped())
            return status;
        printError(streams, drift->stopMessage());
        return kExitLayoutChanged;
    };
    // The run's digest goes out once the run has ended; the exit status stays the run's.
    const auto notified = [&](int status) {
        if (!recorder)
            return status;
        const QString failed = notice.send(*store, recorder->runId(), options.listName,
                                           [&](const QString &line) { progress.message(line); });
        if (outcome)
            *outcome = {recorder->runId(), failed};
        return status;
    };
    RunOptions runOptions;
    runOptions.sites = sites;
    runOptions.mining.depth = options.depth;
    runOptions.mining.limit = options.limit;
    RunDriver driver(options.tool, newBatchRunner(options.tool, runOptions), lines, options.device, context,
                     siteHosts, &output, &progress, recorder ? &*recorder : nullptr);
    const int status = drive(driver, options, streams, progress, table);
    saveLearnedInterval(*openApplicationSettings(), gate.learnedMs());
    return notified(stoppedByDrift(status));
}

namespace {
int drive(RunDriver &driver, const CliOptions &options, const CliStreams &streams, ProgressReporter &progress,
          const ReportTable &reportBase)
{
    InterruptWatcher interrupts;
    QObject::connect(&interrupts, &InterruptWatcher::interrupted, &driver, [&] {
        progress.message(options.tool == Tool::Inclusion ? kStoppingInclusion : kStoppingRanking);
        driver.stop();
    });
    QEventLoop loop;
    QObject::connect(&driver, &RunDriver::finished, &loop, &QEventLoop::quit);
    driver.start();
    loop.exec();

    bool reportFailed = false;
    if (!options.reportPath.isEmpty()) {
        ReportTable table = reportBase;
        table.rows = driver.rows();
        table.totals = driver.totals();
        const ReportWriteResult written = writeReport(options.reportPath, table);
        if (!written.ok) {
            printError(streams, kReportFailed.arg(options.reportPath, written.errorMessage));
            reportFailed = true;
        }
    }

    if (driver.wasStopped())
        return kExitInterrupted;
    if (reportFailed)
        return kExitReportFailed;
    return driver.sawFailure() ? kExitFailedLines : kExitOk;
}
} // namespace

int runCliOnStandardStreams(const QStringList &arguments, const SearchEndpoints &endpoints)
{
    QFile in;
    QFile out;
    QFile err;
    // Unbuffered descriptors: each row and progress line leaves at once.
    if (!kStandardInputWasClosed)
        in.open(STDIN_FILENO, QIODevice::ReadOnly);
    out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(STDERR_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
    CliStreams streams;
    streams.in = &in;
    streams.out = &out;
    streams.err = &err;
    streams.inIsTerminal = ::isatty(STDIN_FILENO) == 1;
    streams.outIsTerminal = ::isatty(STDOUT_FILENO) == 1;
    streams.errIsTerminal = ::isatty(STDERR_FILENO) == 1;
    return runCli(arguments, endpoints, streams);
}
