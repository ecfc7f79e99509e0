#pragma once

#include "schedule/schedulebook.h"

#include <QWidget>

#include <memory>

class HistoryStore;

namespace Ui {
class SchedulePage;
}

// 定时任务: the schedules of the saved lists, each a systemd user timer of
// its own (see ScheduleBook), with every schedule's next and last run, the
// last run's figures and a failed notification; a schedule is made or
// changed from the form below the table, paused, removed. Where no user
// systemd answers, the page says so and makes none.
class SchedulePage : public QWidget
{
    Q_OBJECT

public:
    explicit SchedulePage(HistoryStore *store, QWidget *parent = nullptr);
    ~SchedulePage() override;

    // The table's columns.
    enum Column
    {
        ListColumn,
        ToolColumn,
        RepeatColumn,
        StateColumn,
        NextColumn,
        LastColumn,
        FiguresColumn,
        NotifyColumn,
        ColumnCount
    };

    // Reads lists and schedules again.
    void refresh();

signals:
    // The last run of a schedule, to be shown in 历史记录.
    void showRunRequested(qint64 runId);

private:
    void fillForm(int row);
    void showRepeatFields();
    Schedule formSchedule();
    void saveSchedule();
    void togglePause();
    void removeSchedule();
    void removeList();
    void showOutcome(const QString &problem, const QString &done);
    QString selectedList() const;

    std::unique_ptr<Ui::SchedulePage> ui;
    ScheduleBook m_book;
    QList<ScheduleView> m_views;
};
