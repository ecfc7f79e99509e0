#include "ui/pages/schedulepage.h"

#include "history/tooldescriptor.h"
#include "ui/widgets/messagebox.h"

#include "ui_schedulepage.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QStandardPaths>
#include <QTableWidgetItem>

namespace {
const char kContext[] = "SchedulePage";
const char *const kHeadings[] = {
    QT_TRANSLATE_NOOP("SchedulePage", "列表"),     QT_TRANSLATE_NOOP("SchedulePage", "工具"),
    QT_TRANSLATE_NOOP("SchedulePage", "频率"),     QT_TRANSLATE_NOOP("SchedulePage", "状态"),
    QT_TRANSLATE_NOOP("SchedulePage", "下次运行"), QT_TRANSLATE_NOOP("SchedulePage", "上次运行"),
    QT_TRANSLATE_NOOP("SchedulePage", "上次结果"), QT_TRANSLATE_NOOP("SchedulePage", "通知")};
const char kPaused[] = QT_TRANSLATE_NOOP("SchedulePage", "已暂停");
const char kActive[] = QT_TRANSLATE_NOOP("SchedulePage", "运行中");
const char kPause[] = QT_TRANSLATE_NOOP("SchedulePage", "暂停");
const char kResume[] = QT_TRANSLATE_NOOP("SchedulePage", "继续");
const char kNever[] = QT_TRANSLATE_NOOP("SchedulePage", "从未运行");
const char kRunLink[] = QT_TRANSLATE_NOOP("SchedulePage", "#%1 %2（在历史记录中查看）");
const char kNotifyFailed[] = QT_TRANSLATE_NOOP("SchedulePage", "通知失败：%1");
const char kNotifyOk[] = QT_TRANSLATE_NOOP("SchedulePage", "正常");
const char kNoLists[] =
    QT_TRANSLATE_NOOP("SchedulePage", "还没有列表：在收录、排名或泛排名页面点“保存为列表”");
const char kSaved[] = QT_TRANSLATE_NOOP("SchedulePage", "已保存列表“%1”的定时任务：%2");
const char kPausedDone[] = QT_TRANSLATE_NOOP("SchedulePage", "已暂停列表“%1”的定时任务");
const char kResumed[] = QT_TRANSLATE_NOOP("SchedulePage", "已继续列表“%1”的定时任务");
const char kRemoved[] = QT_TRANSLATE_NOOP("SchedulePage", "已删除列表“%1”的定时任务");
const char kListRemoved[] = QT_TRANSLATE_NOOP("SchedulePage", "已删除列表“%1”");
const char kRemoveListQuestion[] =
    QT_TRANSLATE_NOOP("SchedulePage", "要删除列表“%1”和它的定时任务吗？历史记录中的运行会保留。");
const char kFailed[] = QT_TRANSLATE_NOOP("SchedulePage", "未完成：%1");
const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm");

QString translated(const char *text)
{
    return QCoreApplication::translate(kContext, text);
}
} // namespace

SchedulePage::SchedulePage(HistoryStore *store, QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::SchedulePage>()), m_book(*store, SystemdUser::standard())
{
    ui->setupUi(this);
    QStringList headings;
    for (const char *heading : kHeadings)
        headings << translated(heading);
    ui->scheduleTable->setColumnCount(ColumnCount);
    ui->scheduleTable->setHorizontalHeaderLabels(headings);
    ui->scheduleTable->horizontalHeader()->setStretchLastSection(true);
    ui->scheduleTable->verticalHeader()->hide();

    connect(ui->scheduleRepeat, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &SchedulePage::showRepeatFields);
    connect(ui->scheduleTable, &QTableWidget::currentCellChanged, this, [this](int row) { fillForm(row); });
    connect(ui->scheduleTable, &QTableWidget::cellClicked, this, [this](int row, int column) {
        if (column == LastColumn && row < m_views.size() && m_views.at(row).lastRun)
            emit showRunRequested(m_views.at(row).lastRun->id);
    });
    connect(ui->scheduleSave, &QPushButton::clicked, this, &SchedulePage::saveSchedule);
    connect(ui->schedulePause, &QPushButton::clicked, this, &SchedulePage::togglePause);
    connect(ui->scheduleRemove, &QPushButton::clicked, this, &SchedulePage::removeSchedule);
    connect(ui->listRemove, &QPushButton::clicked, this, &SchedulePage::removeList);

    // Said once, plainly: schedules that no systemd would run are not made.
    const QString unavailable = m_book.systemd().unavailableReason();
    // The weekly timers of earlier versions become schedules here, and the page says so.
    const QStringList adopted =
        unavailable.isEmpty() ? m_book.adoptWeeklyTimers(
                                    QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                              : QStringList();
    const QString status = unavailable.isEmpty() ? adopted.join(QLatin1Char('\n')) : unavailable;
    ui->systemdStatus->setText(status);
    ui->systemdStatus->setVisible(!status.isEmpty());
    ui->scheduleSave->setEnabled(unavailable.isEmpty());
    ui->schedulePause->setEnabled(unavailable.isEmpty());
    showRepeatFields();
    refresh();
}

SchedulePage::~SchedulePage() = default;

void SchedulePage::refresh()
{
    const QString chosen = ui->scheduleList->currentText();
    const QList<SavedList> lists = m_book.lists().lists();
    ui->scheduleList->clear();
    for (const SavedList &list : lists)
        ui->scheduleList->addItem(list.name);
    if (!chosen.isEmpty())
        ui->scheduleList->setCurrentText(chosen);
    ui->listRemove->setEnabled(!lists.isEmpty());

    m_views = m_book.views();
    QTableWidget *table = ui->scheduleTable;
    const QSignalBlocker blocker(table);
    table->setRowCount(m_views.size());
    for (int row = 0; row < m_views.size(); ++row) {
        const ScheduleView &view = m_views.at(row);
        const std::optional<SavedList> list = m_book.lists().list(view.schedule.listName);
        const ToolDescriptor *tool = list ? toolOfHistoryKey(list->tool) : nullptr;
        const std::optional<Device> device = list ? HistoryDevice::deviceOf(list->device) : std::nullopt;
        QString toolText = tool ? tool->shortName : QString();
        if (device)
            toolText += QLatin1Char(' ') + deviceName(*device);
        const QString last = view.lastRun
                                 ? translated(kRunLink)
                                       .arg(view.lastRun->id)
                                       .arg(view.lastRun->startedAt.toLocalTime().toString(kTimeFormat))
                                 : translated(kNever);
        const QString notify = view.schedule.notifyError.isEmpty()
                                   ? (view.lastRun ? translated(kNotifyOk) : QString())
                                   : translated(kNotifyFailed).arg(view.schedule.notifyError);
        const QString cells[ColumnCount] = {view.schedule.listName,
                                            toolText,
                                            view.repeat,
                                            translated(view.schedule.paused ? kPaused : kActive),
                                            view.nextRun.isValid() ? view.nextRun.toString(kTimeFormat)
                                                                   : QStringLiteral("-"),
                                            last,
                                            view.lastFigures,
                                            notify};
        for (int column = 0; column < ColumnCount; ++column) {
            auto *item = new QTableWidgetItem(cells[column]);
            item->setToolTip(cells[column]);
            if (column == LastColumn && view.lastRun) {
                QFont font = item->font();
                font.setUnderline(true);
                item->setFont(font);
                item->setForeground(QColor(0x1e, 0x5a, 0xa8));
            }
            if (column == NotifyColumn && !view.schedule.notifyError.isEmpty())
                item->setForeground(QColor(0xb2, 0x22, 0x22));
            table->setItem(row, column, item);
        }
    }
    table->resizeColumnsToContents();
    const QString problem = m_book.lists().errorMessage();
    if (!problem.isEmpty())
        ui->scheduleStatus->setText(problem);
    else if (lists.isEmpty())
        ui->scheduleStatus->setText(translated(kNoLists));
    fillForm(table->currentRow());
}

QString SchedulePage::selectedList() const
{
    return ui->scheduleList->currentText();
}

void SchedulePage::fillForm(int row)
{
    if (row < 0 || row >= m_views.size()) {
        ui->schedulePause->setText(translated(kPause));
        return;
    }
    const Schedule &schedule = m_views.at(row).schedule;
    ui->scheduleList->setCurrentText(schedule.listName);
    ui->scheduleRepeat->setCurrentIndex(int(schedule.repeat));
    for (int day = 0; day < 7; ++day) {
        if (auto *box = findChild<QCheckBox *>(QStringLiteral("scheduleDay%1").arg(day + 1)))
            box->setChecked(schedule.weekdays & (1 << day));
    }
    ui->scheduleEveryDays->setValue(schedule.everyDays);
    ui->scheduleTime->setTime(schedule.time);
    ui->schedulePause->setText(translated(schedule.paused ? kResume : kPause));
}

void SchedulePage::showRepeatFields()
{
    const auto repeat = Repeat(ui->scheduleRepeat->currentIndex());
    ui->scheduleDays->setVisible(repeat == Repeat::Weekly);
    ui->scheduleEveryDays->setVisible(repeat == Repeat::EveryNDays);
}

Schedule SchedulePage::formSchedule()
{
    Schedule schedule;
    schedule.listName = selectedList();
    schedule.repeat = Repeat(ui->scheduleRepeat->currentIndex());
    for (int day = 0; day < 7; ++day) {
        const auto *box = findChild<QCheckBox *>(QStringLiteral("scheduleDay%1").arg(day + 1));
        if (box && box->isChecked())
            schedule.weekdays |= 1 << day;
    }
    schedule.everyDays = ui->scheduleEveryDays->value();
    schedule.time = ui->scheduleTime->time();
    schedule.time.setHMS(schedule.time.hour(), schedule.time.minute(), 0);
    // Editing keeps a paused schedule paused.
    if (const std::optional<Schedule> stored = m_book.lists().schedule(schedule.listName))
        schedule.paused = stored->paused;
    return schedule;
}

void SchedulePage::showOutcome(const QString &problem, const QString &done)
{
    ui->scheduleStatus->setText(problem.isEmpty() ? done : translated(kFailed).arg(problem));
    refresh();
}

void SchedulePage::saveSchedule()
{
    if (selectedList().isEmpty()) {
        ui->scheduleStatus->setText(translated(kNoLists));
        return;
    }
    const Schedule schedule = formSchedule();
    showOutcome(m_book.setSchedule(schedule),
                translated(kSaved).arg(schedule.listName, describeRepeat(schedule)));
}

void SchedulePage::togglePause()
{
    const QString name = selectedList();
    const std::optional<Schedule> schedule = m_book.lists().schedule(name);
    if (!schedule)
        return;
    const bool pause = !schedule->paused;
    showOutcome(m_book.setPaused(name, pause), translated(pause ? kPausedDone : kResumed).arg(name));
}

void SchedulePage::removeSchedule()
{
    const QString name = selectedList();
    if (name.isEmpty())
        return;
    showOutcome(m_book.removeSchedule(name), translated(kRemoved).arg(name));
}

void SchedulePage::removeList()
{
    const QString name = selectedList();
    if (name.isEmpty() || !QuillaneMessageBox::ask(translated(kRemoveListQuestion).arg(name)))
        return;
    showOutcome(m_book.removeList(name), translated(kListRemoved).arg(name));
}
