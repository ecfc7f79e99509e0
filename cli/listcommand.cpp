#include "cli/listcommand.h"

#include "cli/cliarguments.h"
#include "cli/queryinput.h"
#include "cli/resultoutput.h"
#include "cli/runcli.h"
#include "history/runsummary.h"
#include "history/tooldescriptor.h"
#include "schedule/schedulebook.h"
#include "search/siterule.h"

#include <QBuffer>
#include <QFile>
#include <QStandardPaths>

namespace {
const int kExitOk = 0;
const int kExitFailed = 1;
const int kExitUsage = 2;

const QString kList = QStringLiteral("list");
const QString kSchedule = QStringLiteral("schedule");
const QLatin1String kMessagePrefix("quillane-cli: ");
const QString kSeeHelp = QStringLiteral(" (see --help)");
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm");

const QString kUnknownListAction = QStringLiteral("unknown list command '%1' (use save, show or remove)");
const QString kUnknownScheduleAction =
    QStringLiteral("unknown schedule command '%1' (use add, list, pause, resume, remove or run)");
const QString kMissingScheduleAction =
    QStringLiteral("missing schedule command (add, list, pause, resume, remove or run)");
const QString kMissingName = QStringLiteral("%1 %2 needs a list's name");
const QString kExtraArgument = QStringLiteral("unexpected argument '%1'");
const QString kUnknownOption = QStringLiteral("unknown option '%1'");
const QString kMissingValue = QStringLiteral("option '%1' needs a value");
const QString kBadTool = QStringLiteral("unknown tool '%1' (use inclusion, ranking or site-ranking)");
const QString kMissingTool = QStringLiteral("list save needs --tool inclusion|ranking|site-ranking");
const QString kUnknownDevice = QStringLiteral("unknown device '%1' (use pc or mobile)");
const QString kBadSite = QStringLiteral("'%1' is no site (use a domain such as qa-site.cn)");
const QString kMissingSite = QStringLiteral("a site-ranking list needs --site DOMAIN");
const QString kSiteNotForTool = QStringLiteral("option '--site' applies to site-ranking lists only");
const QString kBadTime = QStringLiteral("'%1' is no time of day (use HH:MM, such as 09:30)");
const QString kBadDays = QStringLiteral("'%1' are no days (use mon,thu or 1-5; Monday is 1)");
const QString kBadEvery = QStringLiteral("'%1' is no number of days (1 to %2)");
const QString kOneRepeat = QStringLiteral("schedule add needs one of --daily, --weekly or --every");
const QString kCannotRead = QStringLiteral("cannot read '%1': %2");
const QString kNoInput = QStringLiteral("no input: standard input is closed");
const QString kNoLines = QStringLiteral("the list would hold no line");
const QString kNoSuchList = QStringLiteral("no list '%1' (see quillane-cli list)");
const QString kSaved = QStringLiteral("已保存列表“%1”：%2 行\n");
const QString kNotDue = QStringLiteral("列表“%1”未到运行日（每 %2 天），本次跳过\n");
const QString kPaused = QStringLiteral("已暂停");
const QString kActive = QStringLiteral("运行中");
const QString kNever = QStringLiteral("从未运行");
const QString kNotifyFailed = QStringLiteral("通知失败：%1");

const QStringList kToolWords = {HistoryTool::kInclusion, HistoryTool::kRanking, HistoryTool::kSiteRanking};

void printError(const CliStreams &streams, const QString &message)
{
    streams.err->write((kMessagePrefix + message + QLatin1Char('\n')).toUtf8());
}

int usage(const CliStreams &streams, const QString &message)
{
    printError(streams, message + kSeeHelp);
    return kExitUsage;
}

int done(const CliStreams &streams, const QString &problem)
{
    if (problem.isEmpty())
        return kExitOk;
    printError(streams, problem);
    return kExitFailed;
}

// The words and the "--name value" options of one command, split.
struct Words
{
    QStringList positional;
    QList<std::pair<QString, QString>> options;
    QString error;
};

Words splitWords(const QStringList &arguments, const QStringList &valueOptions, const QStringList &flags)
{
    Words words;
    bool ended = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (ended || argument == QLatin1String("-") || !argument.startsWith(QLatin1Char('-'))) {
            words.positional << argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            ended = true;
            continue;
        }
        if (flags.contains(argument)) {
            words.options.append({argument, QString()});
            continue;
        }
        const int equals = argument.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? argument : argument.left(equals);
        if (!valueOptions.contains(name)) {
            words.error = kUnknownOption.arg(argument);
            return words;
        }
        if (equals >= 0) {
            words.options.append({name, argument.mid(equals + 1)});
        } else if (i + 1 < arguments.size()) {
            words.options.append({name, arguments.at(++i)});
        } else {
            words.error = kMissingValue.arg(name);
            return words;
        }
    }
    return words;
}

bool readLines(const QString &path, const CliStreams &streams, QByteArray *bytes)
{
    if (path.isEmpty() || path == QLatin1String("-")) {
        if (!streams.in || !streams.in->isOpen()) {
            printError(streams, kNoInput);
            return false;
        }
        *bytes = streams.in->readAll();
        return true;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        printError(streams, kCannotRead.arg(path, file.errorString()));
        return false;
    }
    *bytes = file.readAll();
    return true;
}

QString listFields(const SavedList &list)
{
    const ToolDescriptor *tool = toolOfHistoryKey(list.tool);
    const std::optional<Device> device = HistoryDevice::deviceOf(list.device);
    QStringList fields{list.name, tool ? tool->shortName : list.tool,
                       device ? deviceName(*device) : list.device,
                       QStringLiteral("%1行").arg(list.lines.size())};
    if (!list.sites.isEmpty())
        fields << list.sites.join(QLatin1Char(' '));
    return QString::fromUtf8(ResultOutput::formatRow(fields, OutputFormat::Tsv));
}

int listCommand(const QStringList &arguments, const CliStreams &streams, ScheduleBook &book)
{
    const Words words = splitWords(
        arguments, {QStringLiteral("--tool"), QStringLiteral("--device"), QStringLiteral("--site")}, {});
    if (!words.error.isEmpty())
        return usage(streams, words.error);
    QStringList positional = words.positional;
    const QString action = positional.isEmpty() ? QStringLiteral("list") : positional.takeFirst();
    if (action == QLatin1String("list")) {
        if (!positional.isEmpty())
            return usage(streams, kExtraArgument.arg(positional.first()));
        const QList<SavedList> lists = book.lists().lists();
        for (const SavedList &list : lists)
            streams.out->write(listFields(list).toUtf8());
        return done(streams, book.lists().errorMessage());
    }
    if (action != QLatin1String("save") && action != QLatin1String("show") &&
        action != QLatin1String("remove"))
        return usage(streams, kUnknownListAction.arg(action));
    if (positional.isEmpty())
        return usage(streams, kMissingName.arg(kList, action));
    const QString name = positional.takeFirst();
    if (action != QLatin1String("save") && !words.options.isEmpty())
        return usage(streams, kUnknownOption.arg(words.options.first().first));
    if (action == QLatin1String("remove")) {
        if (!positional.isEmpty())
            return usage(streams, kExtraArgument.arg(positional.first()));
        if (!book.lists().list(name) && book.lists().errorMessage().isEmpty())
            return usage(streams, kNoSuchList.arg(name));
        return done(streams, book.removeList(name));
    }
    if (action == QLatin1String("show")) {
        if (!positional.isEmpty())
            return usage(streams, kExtraArgument.arg(positional.first()));
        const std::optional<SavedList> list = book.lists().list(name);
        if (!list)
            return book.lists().errorMessage().isEmpty() ? usage(streams, kNoSuchList.arg(name))
                                                         : done(streams, book.lists().errorMessage());
        // The lines alone on standard output, so that they can be saved again.
        streams.err->write(listFields(*list).toUtf8());
        for (const QString &line : list->lines)
            streams.out->write((line + QLatin1Char('\n')).toUtf8());
        return kExitOk;
    }

    SavedList list;
    list.name = name;
    list.device = HistoryDevice::kDesktop;
    for (const auto &option : words.options) {
        if (option.first == QLatin1String("--tool")) {
            if (!kToolWords.contains(option.second))
                return usage(streams, kBadTool.arg(option.second));
            list.tool = option.second;
        } else if (option.first == QLatin1String("--device")) {
            if (!HistoryDevice::deviceOf(option.second))
                return usage(streams, kUnknownDevice.arg(option.second));
            list.device = option.second;
        } else {
            if (!SiteRule::parse(option.second).isValid())
                return usage(streams, kBadSite.arg(option.second));
            list.sites << option.second;
        }
    }
    if (list.tool.isEmpty())
        return usage(streams, kMissingTool);
    if (list.tool == HistoryTool::kSiteRanking && list.sites.isEmpty())
        return usage(streams, kMissingSite);
    if (list.tool != HistoryTool::kSiteRanking && !list.sites.isEmpty())
        return usage(streams, kSiteNotForTool);
    if (positional.size() > 1)
        return usage(streams, kExtraArgument.arg(positional.at(1)));
    const QString problem = listNameProblem(name);
    if (!problem.isEmpty())
        return usage(streams, problem);
    QByteArray bytes;
    if (!readLines(positional.value(0), streams, &bytes))
        return kExitUsage;
    list.lines =
        QueryInput::fromBytes(bytes, toolDescriptor(toolOfHistoryKey(list.tool)->tool).lineKind).lines();
    if (list.lines.isEmpty())
        return usage(streams, kNoLines);
    const QString saved = book.saveList(list);
    if (saved.isEmpty())
        streams.err->write(kSaved.arg(name).arg(list.lines.size()).toUtf8());
    return done(streams, saved);
}

QString timeText(const QDateTime &time, const QString &otherwise)
{
    return time.isValid() ? time.toLocalTime().toString(kTimeFormat) : otherwise;
}

int listSchedules(const CliStreams &streams, ScheduleBook &book)
{
    for (const ScheduleView &view : book.views()) {
        QStringList fields{view.schedule.listName, view.repeat, view.schedule.paused ? kPaused : kActive,
                           timeText(view.nextRun, QStringLiteral("-"))};
        if (view.lastRun)
            fields << QStringLiteral("%1 %2").arg(view.lastRun->id).arg(timeText(view.lastRun->startedAt, {}))
                   << view.lastFigures;
        else
            fields << kNever;
        if (!view.schedule.notifyError.isEmpty())
            fields << kNotifyFailed.arg(
                QString(view.schedule.notifyError).replace(QLatin1Char('\n'), QLatin1String("; ")));
        streams.out->write(ResultOutput::formatRow(fields, OutputFormat::Tsv));
    }
    return done(streams, book.lists().errorMessage());
}

// A saved list's lines checked as `TOOL --save` checks a file, its schedule told of the run.
int runList(const QString &name, bool ifDue, const SearchEndpoints &endpoints, const CliStreams &streams,
            ScheduleBook &book)
{
    const std::optional<SavedList> list = book.lists().list(name);
    if (!list)
        return book.lists().errorMessage().isEmpty() ? usage(streams, kNoSuchList.arg(name))
                                                     : done(streams, book.lists().errorMessage());
    const std::optional<Schedule> schedule = book.lists().schedule(name);
    if (ifDue && schedule && !isDue(*schedule, QDateTime::currentDateTime())) {
        streams.err->write(kNotDue.arg(name).arg(schedule->everyDays).toUtf8());
        return kExitOk;
    }
    CliOptions options;
    options.tool = toolOfHistoryKey(list->tool)->tool;
    options.device = HistoryDevice::deviceOf(list->device).value_or(Device::Desktop);
    options.sites = list->sites;
    options.save = true;
    options.listName = name;
    QBuffer lines;
    lines.setData(list->lines.join(QLatin1Char('\n')).toUtf8());
    lines.open(QIODevice::ReadOnly);
    CliStreams listStreams = streams;
    listStreams.in = &lines;
    listStreams.inIsTerminal = false;
    CheckOutcome outcome;
    const QDateTime started = QDateTime::currentDateTimeUtc();
    const int status = runCheck(options, endpoints, listStreams, &outcome);
    if (schedule && outcome.runId > 0)
        book.lists().recordRun(name, outcome.runId, started, outcome.notifyFailure);
    return status;
}

bool parseTime(const QString &text, QTime *time)
{
    *time = QTime::fromString(text, QStringLiteral("H:mm"));
    return time->isValid();
}

int scheduleCommand(const QStringList &arguments, const SearchEndpoints &endpoints, const CliStreams &streams,
                    ScheduleBook &book)
{
    const Words words = splitWords(
        arguments, {QStringLiteral("--daily"), QStringLiteral("--weekly"), QStringLiteral("--every")},
        {QStringLiteral("--if-due")});
    if (!words.error.isEmpty())
        return usage(streams, words.error);
    QStringList positional = words.positional;
    if (positional.isEmpty())
        return usage(streams, kMissingScheduleAction);
    const QString action = positional.takeFirst();
    const QStringList actions = {QStringLiteral("add"),    QStringLiteral("list"),   QStringLiteral("pause"),
                                 QStringLiteral("resume"), QStringLiteral("remove"), QStringLiteral("run")};
    if (!actions.contains(action))
        return usage(streams, kUnknownScheduleAction.arg(action));
    const bool ifDue = words.options.contains({QStringLiteral("--if-due"), QString()});
    if (!words.options.isEmpty() && action != QLatin1String("add") &&
        !(action == QLatin1String("run") && ifDue && words.options.size() == 1))
        return usage(streams, kUnknownOption.arg(words.options.first().first));
    if (action == QLatin1String("list")) {
        if (!positional.isEmpty())
            return usage(streams, kExtraArgument.arg(positional.first()));
        return listSchedules(streams, book);
    }
    if (positional.isEmpty())
        return usage(streams, kMissingName.arg(kSchedule, action));
    const QString name = positional.takeFirst();
    if (action == QLatin1String("run")) {
        if (!positional.isEmpty())
            return usage(streams, kExtraArgument.arg(positional.first()));
        return runList(name, ifDue, endpoints, streams, book);
    }
    if (action != QLatin1String("add")) {
        if (!positional.isEmpty())
            return usage(streams, kExtraArgument.arg(positional.first()));
        if (action == QLatin1String("remove"))
            return done(streams, book.removeSchedule(name));
        return done(streams, book.setPaused(name, action == QLatin1String("pause")));
    }

    // --weekly DAYS HH:MM and --every N HH:MM take the time as the next word.
    if (ifDue)
        return usage(streams, kUnknownOption.arg(QStringLiteral("--if-due")));
    if (words.options.size() != 1)
        return usage(streams, kOneRepeat);
    Schedule schedule;
    schedule.listName = name;
    const auto &[option, value] = words.options.first();
    QString time = value;
    if (option != QLatin1String("--daily")) {
        if (positional.isEmpty())
            return usage(streams, kMissingValue.arg(option + QStringLiteral(" … HH:MM")));
        time = positional.takeFirst();
    }
    if (!positional.isEmpty())
        return usage(streams, kExtraArgument.arg(positional.first()));
    if (!parseTime(time, &schedule.time))
        return usage(streams, kBadTime.arg(time));
    if (option == QLatin1String("--weekly")) {
        schedule.repeat = Repeat::Weekly;
        schedule.weekdays = parseWeekdays(value);
        if (schedule.weekdays == 0)
            return usage(streams, kBadDays.arg(value));
    } else if (option == QLatin1String("--every")) {
        schedule.repeat = Repeat::EveryNDays;
        bool number = false;
        schedule.everyDays = value.toInt(&number);
        if (!number || schedule.everyDays < 1 || schedule.everyDays > Schedule::kMostEveryDays)
            return usage(streams, kBadEvery.arg(value).arg(Schedule::kMostEveryDays));
    }
    if (!book.lists().list(name) && book.lists().errorMessage().isEmpty())
        return usage(streams, kNoSuchList.arg(name));
    return done(streams, book.setSchedule(schedule));
}
} // namespace

bool isListCommand(const QStringList &arguments)
{
    return !arguments.isEmpty() && (arguments.first() == kList || arguments.first() == kSchedule) &&
           !arguments.contains(QStringLiteral("--help")) && !arguments.contains(QStringLiteral("-h"));
}

int runListCommand(const QStringList &arguments, const SearchEndpoints &endpoints, const CliStreams &streams)
{
    HistoryStore history;
    if (!history.isOpen()) {
        printError(streams, history.errorMessage());
        return kExitFailed;
    }
    ScheduleBook book(history, SystemdUser::standard());
    for (const QString &said :
         book.adoptWeeklyTimers(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)))
        printError(streams, said);
    if (arguments.first() == kList)
        return listCommand(arguments.mid(1), streams, book);
    return scheduleCommand(arguments.mid(1), endpoints, streams, book);
}
