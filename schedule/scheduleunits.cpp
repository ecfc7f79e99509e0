#include "schedule/scheduleunits.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

namespace {
const QString kUnitPrefix = QStringLiteral("quillane-list-");
// systemd refuses unit names longer than this, suffix included.
constexpr int kLongestUnitName = 255;
constexpr int kLongestSuffix = 8; // ".service"
constexpr int kSystemctlTimeoutMs = 30000;

const char *const kDayNames[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
const QString kChineseDays = QStringLiteral("一二三四五六日");

const QString kNoSystemctl = QStringLiteral("此系统没有 systemctl，无法建立定时任务");
const QString kNoUserSystemd = QStringLiteral("没有可用的用户 systemd（%1），定时任务不会运行");
const QString kCannotWrite = QStringLiteral("无法写入 %1：%2");
const QString kSystemctlFailed = QStringLiteral("systemctl --user %1 失败：%2");

// A value inside a unit file: "%" starts a specifier there.
QString unitValue(const QString &text)
{
    return QString(text).replace(QLatin1Char('%'), QLatin1String("%%"));
}

// One word of ExecStart, quoted so that spaces, quotes, "$" and "%" reach the program as typed.
QString execWord(const QString &text)
{
    QString word = text;
    word.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('"'), QLatin1String("\\\""))
        .replace(QLatin1Char('$'), QLatin1String("$$"));
    return QLatin1Char('"') + unitValue(word) + QLatin1Char('"');
}

bool writeFile(const QString &path, const QString &text, QString *problem)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0 && file.commit())
        return true;
    *problem = kCannotWrite.arg(QDir::toNativeSeparators(path), file.errorString());
    return false;
}
} // namespace

QString systemdEscape(const QString &text)
{
    QString escaped;
    const QByteArray bytes = text.toUtf8();
    for (int i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == ':' || c == '_' || (c == '.' && i > 0);
        if (c == '/')
            escaped += QLatin1Char('-');
        else if (plain)
            escaped += QLatin1Char(c);
        else
            escaped += QStringLiteral("\\x%1").arg(uchar(c), 2, 16, QLatin1Char('0'));
    }
    return escaped;
}

QString scheduleUnitBase(const QString &listName)
{
    const QString full = kUnitPrefix + systemdEscape(listName);
    if (full.size() + kLongestSuffix <= kLongestUnitName)
        return full;
    // Two long names that begin alike still get units of their own.
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(listName.toUtf8(), QCryptographicHash::Sha1).toHex().left(12));
    QString cut = full.left(kLongestUnitName - kLongestSuffix - hash.size() - 1);
    // Never end inside a \xNN.
    const int escape = cut.lastIndexOf(QLatin1Char('\\'));
    if (escape >= 0 && escape > cut.size() - 4)
        cut.truncate(escape);
    return cut + QLatin1Char('_') + hash;
}

QString onCalendar(const Schedule &schedule)
{
    const QString time = schedule.time.toString(QStringLiteral("HH:mm:00"));
    if (schedule.repeat != Repeat::Weekly)
        return QStringLiteral("*-*-* ") + time;
    QStringList days;
    for (int day = 0; day < 7; ++day) {
        if (schedule.weekdays & (1 << day))
            days << QLatin1String(kDayNames[day]);
    }
    return days.join(QLatin1Char(',')) + QStringLiteral(" *-*-* ") + time;
}

QString timerUnitText(const Schedule &schedule)
{
    return QStringLiteral("# Written by Quillane工具 (定时任务); changed and removed by it too.\n"
                          "[Unit]\n"
                          "Description=Quillane工具: %1 (%2)\n"
                          "Documentation=man:quillane-cli(1)\n"
                          "\n"
                          "[Timer]\n"
                          "OnCalendar=%3\n"
                          "# A run missed while the computer was off happens at the next start.\n"
                          "Persistent=true\n"
                          "RandomizedDelaySec=5min\n"
                          "\n"
                          "[Install]\n"
                          "WantedBy=timers.target\n")
        .arg(unitValue(schedule.listName), unitValue(describeRepeat(schedule)), onCalendar(schedule));
}

QString serviceUnitText(const Schedule &schedule, const QString &cliProgram)
{
    QString exec = cliProgram + QStringLiteral(" schedule run ") + execWord(schedule.listName);
    if (schedule.repeat == Repeat::EveryNDays)
        exec += QStringLiteral(" --if-due");
    return QStringLiteral("# Written by Quillane工具 (定时任务); changed and removed by it too.\n"
                          "[Unit]\n"
                          "Description=Quillane工具: check the list %1 and keep it in the history\n"
                          "Documentation=man:quillane-cli(1)\n"
                          "\n"
                          "[Service]\n"
                          "Type=oneshot\n"
                          "# quillane-cli wherever it was installed: the package, /usr/local or ~/.local.\n"
                          "Environment=PATH=%h/.local/bin:/usr/local/bin:/usr/bin:/bin\n"
                          "ExecStart=%2\n"
                          "# The rows are in the history; the journal keeps the progress and the totals.\n"
                          "StandardOutput=null\n"
                          "# 3: some line is 异常; the run itself went well.\n"
                          "SuccessExitStatus=3\n"
                          "Nice=10\n")
        .arg(unitValue(schedule.listName), exec);
}

QDateTime nextRunAfter(const Schedule &schedule, const QDateTime &now)
{
    if (schedule.paused)
        return QDateTime();
    const QDateTime local = now.toLocalTime();
    QDate day = local.date();
    if (schedule.repeat == Repeat::EveryNDays && schedule.lastRunAt.isValid())
        day = std::max(day, schedule.lastRunAt.toLocalTime().date().addDays(schedule.everyDays));
    for (int i = 0; i < 8 + Schedule::kMostEveryDays; ++i, day = day.addDays(1)) {
        const QDateTime at(day, schedule.time);
        if (at <= local)
            continue;
        if (schedule.repeat == Repeat::Weekly && !(schedule.weekdays & (1 << (day.dayOfWeek() - 1))))
            continue;
        return at;
    }
    return QDateTime();
}

bool isDue(const Schedule &schedule, const QDateTime &now)
{
    if (schedule.repeat != Repeat::EveryNDays || !schedule.lastRunAt.isValid())
        return true;
    return schedule.lastRunAt.toLocalTime().date().daysTo(now.toLocalTime().date()) >= schedule.everyDays;
}

QString describeRepeat(const Schedule &schedule)
{
    const QString time = schedule.time.toString(QStringLiteral("HH:mm"));
    switch (schedule.repeat) {
    case Repeat::Daily:
        return QStringLiteral("每天 ") + time;
    case Repeat::Weekly: {
        QString days;
        for (int day = 0; day < 7; ++day) {
            if (schedule.weekdays & (1 << day))
                days += (days.isEmpty() ? QString() : QStringLiteral("、")) + kChineseDays.at(day);
        }
        return QStringLiteral("每周") + days + QLatin1Char(' ') + time;
    }
    case Repeat::EveryNDays:
        return QStringLiteral("每 %1 天 ").arg(schedule.everyDays) + time;
    }
    return time;
}

int parseWeekdays(const QString &text)
{
    int days = 0;
    for (const QString &part : text.toLower().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList range = part.trimmed().split(QLatin1Char('-'));
        if (range.size() > 2)
            return 0;
        int ends[2] = {0, 0};
        for (int i = 0; i < range.size(); ++i) {
            const QString word = range.at(i).trimmed();
            bool number = false;
            int day = word.toInt(&number);
            if (!number) {
                day = 0;
                for (int d = 0; d < 7; ++d) {
                    if (word == QString::fromLatin1(kDayNames[d]).toLower())
                        day = d + 1;
                }
            }
            if (day < 1 || day > 7)
                return 0;
            ends[i] = day;
        }
        const int last = range.size() == 2 ? ends[1] : ends[0];
        if (last < ends[0])
            return 0;
        for (int day = ends[0]; day <= last; ++day)
            days |= 1 << (day - 1);
    }
    return days;
}

SystemdUser SystemdUser::standard()
{
    SystemdUser user;
    user.unitFolder = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                          .filePath(QStringLiteral("systemd/user"));
    user.systemctl = QStandardPaths::findExecutable(QStringLiteral("systemctl"));
    return user;
}

QString SystemdUser::run(const QStringList &arguments) const
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(systemctl, QStringList{QStringLiteral("--user")} + arguments);
    const bool ended = process.waitForFinished(kSystemctlTimeoutMs);
    if (ended && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return QString();
    const QString said = QString::fromUtf8(process.readAll()).trimmed();
    return kSystemctlFailed.arg(arguments.join(QLatin1Char(' ')),
                                said.isEmpty() ? process.errorString()
                                               : said.section(QLatin1Char('\n'), 0, 0));
}

QString SystemdUser::disable(const QString &unit) const
{
    return run({QStringLiteral("disable"), QStringLiteral("--now"), unit});
}

QString SystemdUser::unavailableReason() const
{
    if (systemctl.isEmpty())
        return kNoSystemctl;
    const QString problem = run({QStringLiteral("show-environment")});
    return problem.isEmpty() ? QString() : kNoUserSystemd.arg(problem);
}

QString SystemdUser::install(const Schedule &schedule) const
{
    const QString unavailable = unavailableReason();
    if (!unavailable.isEmpty())
        return unavailable;
    QDir folder(unitFolder);
    if (!folder.mkpath(QStringLiteral(".")))
        return kCannotWrite.arg(QDir::toNativeSeparators(unitFolder), QStringLiteral("无法建立文件夹"));
    const QString base = scheduleUnitBase(schedule.listName);
    QString problem;
    if (!writeFile(folder.filePath(base + QStringLiteral(".service")), serviceUnitText(schedule, cliProgram),
                   &problem) ||
        !writeFile(folder.filePath(base + QStringLiteral(".timer")), timerUnitText(schedule), &problem))
        return problem;
    problem = run({QStringLiteral("daemon-reload")});
    if (!problem.isEmpty())
        return problem;
    const QString timer = base + QStringLiteral(".timer");
    if (schedule.paused)
        return run({QStringLiteral("disable"), QStringLiteral("--now"), timer});
    // A changed calendar takes effect only when the timer starts again.
    problem = run({QStringLiteral("enable"), timer});
    return problem.isEmpty() ? run({QStringLiteral("restart"), timer}) : problem;
}

QString SystemdUser::uninstall(const QString &listName) const
{
    const QString base = scheduleUnitBase(listName);
    QDir folder(unitFolder);
    const QString timer = base + QStringLiteral(".timer");
    const bool present = folder.exists(timer) || folder.exists(base + QStringLiteral(".service"));
    QString problem;
    if (present && !systemctl.isEmpty())
        problem = run({QStringLiteral("disable"), QStringLiteral("--now"), timer});
    // The files go whatever systemctl said: a unit left behind would run a list that is gone.
    folder.remove(timer);
    folder.remove(base + QStringLiteral(".service"));
    if (present && !systemctl.isEmpty()) {
        const QString reload = run({QStringLiteral("daemon-reload")});
        if (problem.isEmpty())
            problem = reload;
    }
    return problem;
}
