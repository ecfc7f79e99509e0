#include "cli/runcli.h"

#include "cli/batchdriver.h"
#include "cli/cliarguments.h"
#include "cli/historycommand.h"
#include "cli/interruptwatcher.h"
#include "cli/pagesaver.h"
#include "cli/progressreporter.h"
#include "cli/queryinput.h"
#include "cli/resultoutput.h"
#include "cli/runnotice.h"
#include "cli/tooldriver.h"
#include "history/historystore.h"
#include "history/runrecorder.h"
#include "report/reportwriter.h"
#include "report/runreport.h"
#include "search/fetchsettings.h"

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <fcntl.h>
#include <functional>
#include <memory>
#include <optional>

#include <unistd.h>

namespace {
const int kExitOk = 0;
const int kExitReportFailed = 1;
const int kExitUsage = 2;
const int kExitFailedLines = 3;
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
const QString kMobileMode = QStringLiteral("sjd");
const QString kBadProxyList = QStringLiteral("proxy list '%1': %2");
const QString kEmptyProxyList = QStringLiteral("proxy list '%1' names no proxy");
const QString kBadSetting = QStringLiteral("option '%1': %2");
const QString kCertificateFailed =
    QStringLiteral("百度的证书未通过验证，相关行记为“异常”：%1（公司代理拦截 HTTPS 时可用 --insecure）");
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

// The settings file with this run's options applied; false after printing why they cannot be used.
bool settingsForRun(const FetchOverrides &overrides, const CliStreams &streams, FetchSettings *settings)
{
    *settings = loadFetchSettings(*openApplicationSettings());
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
        for (const QString &proxy : listed) {
            const QString problem = proxyAddressProblem(proxy);
            if (!problem.isEmpty()) {
                printError(streams,
                           kBadProxyList.arg(overrides.proxyListPath, proxy + QLatin1String(": ") + problem));
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

StoredRun runToStore(const CliOptions &options, int lineCount, const SearchContext &context)
{
    QString tool = HistoryTool::kInclusion;
    if (options.command == CliCommand::Ranking)
        tool = HistoryTool::kRanking;
    else if (options.command == CliCommand::SiteRanking)
        tool = HistoryTool::kSiteRanking;
    else if (options.command == CliCommand::Mine)
        tool = HistoryTool::kMining;
    // Mining asks without a device choice.
    const QString device = options.command == CliCommand::Mine ? QString()
                           : options.deviceMode == kMobileMode ? HistoryDevice::kMobile
                                                               : HistoryDevice::kDesktop;
    return runStarting(tool, device, lineCount, context);
}

ReportKind reportKindOf(CliCommand command)
{
    switch (command) {
    case CliCommand::Ranking:
        return ReportKind::Ranking;
    case CliCommand::SiteRanking:
        return ReportKind::SiteRanking;
    case CliCommand::Mine:
        return ReportKind::Mining;
    case CliCommand::Inclusion:
        break;
    }
    return ReportKind::Inclusion;
}

// Runs a driver to its end and writes the report; the exit status.
template <typename Driver>
int drive(Driver &driver, const CliOptions &options, const CliStreams &streams, ProgressReporter &progress,
          const ReportTable &reportBase, const std::function<QList<ReportTotal>()> &totals);

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
    const QueryInput input = QueryInput::fromBytes(bytes, options.kind);
    const QStringList lines = input.lines();

    ProgressReporter progress(streams.err, streams.errIsTerminal, lines.size(),
                              streams.outIsTerminal && streams.errIsTerminal);
    if (input.encoding() == kGb18030)
        progress.message(kReadAsGb18030);
    else if (input.encoding().startsWith(kUtf16))
        progress.message(kReadAsUtf16.arg(input.encoding()));
    if (input.dropped().total() > 0)
        progress.message(droppedText(input.dropped()));

    const ReportKind kind = reportKindOf(options.command);
    const QStringList headings = reportHeadings(kind);
    ResultOutput output(streams.out, options.format);
    output.writeHeader(headings);

    RequestGate &gate = RequestGate::shared();
    gate.configure(settings.pacing);
    SearchContext context = SearchContext::fromSettings(settings, &gate, endpoints);
    if (!options.savePagesPath.isEmpty()) {
        const auto saver = std::make_shared<const PageSaver>(options.savePagesPath, lines);
        const QString problem = saver->prepare();
        if (!problem.isEmpty()) {
            printError(streams, problem);
            return kExitUsage;
        }
        context.pageSink = [saver](const AnswerPage &page) { saver->save(page); };
    }

    ReportTable table;
    table.title = reportTitle(kind);
    table.headings = headings;
    table.columnPixelWidths = initialColumnWidths(kind);
    table.subtitle = reportSubtitle(kind, options.deviceMode == kMobileMode, QDateTime::currentDateTime());
    table.numberColumns = reportNumberColumns(kind);
    // A history that cannot be used costs the run nothing but its record.
    std::optional<HistoryStore> store;
    std::optional<RunRecorder> recorder;
    if (options.save) {
        store.emplace();
        recorder.emplace(&*store,
                         [&progress](const QString &why) { progress.message(kHistoryNotKept.arg(why)); });
        recorder->start(runToStore(options, lines.size(), context));
    }
    // The run's digest goes out once the run has ended; the exit status stays the run's.
    const auto notified = [&](int status) {
        if (recorder)
            notice.send(*store, recorder->runId(), [&](const QString &line) { progress.message(line); });
        return status;
    };
    if (options.command == CliCommand::SiteRanking || options.command == CliCommand::Mine) {
        ToolDriver driver(options, lines, context, &output, &progress, recorder ? &*recorder : nullptr);
        return notified(drive(driver, options, streams, progress, table, [&] { return driver.totals(); }));
    }
    BatchDriver driver(options, lines, context, &output, &progress, recorder ? &*recorder : nullptr);
    bool certificateTold = false;
    driver.setFailureListener([&](const QString &failure) {
        if (certificateTold || !failure.startsWith(certificateFailureReason()))
            return;
        certificateTold = true;
        progress.message(kCertificateFailed.arg(failure));
    });
    return notified(drive(driver, options, streams, progress, table, [&] {
        return reportTotals(lines.size(), driver.hits(), driver.notIncluded(), driver.failed());
    }));
}

namespace {
template <typename Driver>
int drive(Driver &driver, const CliOptions &options, const CliStreams &streams, ProgressReporter &progress,
          const ReportTable &reportBase, const std::function<QList<ReportTotal>()> &totals)
{
    InterruptWatcher interrupts;
    QObject::connect(&interrupts, &InterruptWatcher::interrupted, &driver, [&] {
        progress.message(options.kind == QueryKind::Inclusion ? kStoppingInclusion : kStoppingRanking);
        driver.stop();
    });
    QEventLoop loop;
    QObject::connect(&driver, &Driver::finished, &loop, &QEventLoop::quit);
    driver.start();
    loop.exec();

    bool reportFailed = false;
    if (!options.reportPath.isEmpty()) {
        ReportTable table = reportBase;
        table.rows = driver.rows();
        table.totals = totals();
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
