#pragma once

#include "history/liststore.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// systemd's escaping of a unit name's part (as systemd-escape does it):
// "/" becomes "-", ASCII letters, digits, ":", "_" and a "." not in front
// stay, every other byte of the UTF-8 form becomes \xNN.
QString systemdEscape(const QString &text);
// The units of a list's schedule, without suffix: quillane-list-NAME, the
// name escaped (and shortened with a hash of it where systemd's 255 bytes would not do).
QString scheduleUnitBase(const QString &listName);

// The timer's calendar: "*-*-* 09:00:00", "Mon,Thu *-*-* 09:00:00". Every N
// days fires daily; the run itself skips the days that are not due.
QString onCalendar(const Schedule &schedule);
QString timerUnitText(const Schedule &schedule);
// cliProgram: what the service starts, "/usr/bin/env quillane-cli" unless a test says otherwise.
QString serviceUnitText(const Schedule &schedule, const QString &cliProgram);

// The next time the schedule runs after now (local time); invalid when paused.
QDateTime nextRunAfter(const Schedule &schedule, const QDateTime &now);
// An every-N-days schedule whose last run is not yet N days old is not due.
bool isDue(const Schedule &schedule, const QDateTime &now);

// "每天 09:00", "每周一、四 09:00", "每 3 天 09:00".
QString describeRepeat(const Schedule &schedule);

// Parses the days of --weekly: "mon,thu", "1,4" or "1-5" (Monday is 1); 0 when not days.
int parseWeekdays(const QString &text);

// The user's systemd, as values so that tests can stand in for it: the folder
// it reads user units from and the systemctl program that talks to it.
struct SystemdUser
{
    QString unitFolder; // $XDG_CONFIG_HOME/systemd/user
    QString systemctl;  // empty: there is none
    QString cliProgram = QStringLiteral("/usr/bin/env quillane-cli");

    static SystemdUser standard();

    // Empty when a user systemd answers; else why schedules cannot be kept, in Chinese.
    QString unavailableReason() const;
    // Writes both units and enables the timer (disables it while paused). Empty or why not.
    QString install(const Schedule &schedule) const;
    // Stops and disables the timer and deletes both units. Empty or why not.
    QString uninstall(const QString &listName) const;
    // Stops and disables a unit of the user's. Empty or why not.
    QString disable(const QString &unit) const;

private:
    QString run(const QStringList &arguments) const;
};
