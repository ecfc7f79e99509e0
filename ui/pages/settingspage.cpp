#include "ui/pages/settingspage.h"
#include "ui/pages/notifysettingsbox.h"
#include "ui_settingspage.h"

#include <QComboBox>
#include <QDir>
#include <QFutureWatcher>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>

namespace {
const QString kNotANumber = QStringLiteral("须为整数");
const QString kSaved = QStringLiteral("已保存，之后开始的查询按此设置进行");
const QString kNotSaved = QStringLiteral("未保存：请改正标出的项");
const QString kStoreFailed = QStringLiteral("未保存：设置文件无法写入");
const QString kDefaultsShown = QStringLiteral("已填入默认值，按“保存”后生效");
const QString kTesting = QStringLiteral("正在测试……");
const QString kNoProxyListed = QStringLiteral("代理列表为空");
const QString kProbeLine = QStringLiteral("%1 — %2");
const QString kStoredRefused = QStringLiteral("设置文件中的“%1”无法使用：%2。现用默认值，改正后按“保存”");
const QString kStoredProxiesRefused =
    QStringLiteral("设置文件中的代理设置无法使用：%1。改正并保存之前不发出任何请求");
const QString kStoredProblems = QStringLiteral("设置文件 %1 中有无法使用的值，已在各项旁标出");
const QString kRobotCheckGroup = QStringLiteral("百度安全验证");
const QString kRobotCheckLabel = QStringLiteral("遇到安全验证时：");
const QString kHandOff = QStringLiteral("暂停并让我验证");
const QString kSlowDown = QStringLiteral("自动放慢并重试");
const QString kRobotCheckNote = QStringLiteral("命令行与定时查询从不等待，总是自动放慢并重试");
const QString kClearCookies = QStringLiteral("清除Cookie");
const QString kLearnedPause = QStringLiteral(
    "已学到的请求间隔：%1 毫秒（新的查询从它与上面的间隔中较长者开始；保存设置或清除Cookie 后忘记）");
const QString kNothingLearned = QStringLiteral("已学到的请求间隔：无（按上面的间隔查询）");
const QString kCookiesCleared = QStringLiteral("已清除 Cookie 与学到的请求间隔");
const QString kFileUnusable = QStringLiteral("设置文件 %1 %2，已使用默认设置");
} // namespace

SettingsPage::SettingsPage(QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::SettingsPage>()),
      m_probeWatcher(new QFutureWatcher<QList<ProxyProbe>>(this)),
      m_probeAbort(std::make_shared<std::atomic<bool>>(false))
{
    ui->setupUi(this);
    using namespace FetchSettingsKey;
    m_numbers = {{kInterval, ui->intervalEdit, nullptr, &PacingSettings::intervalMs},
                 {kJitter, ui->jitterEdit, nullptr, &PacingSettings::jitterPercent},
                 {kThreads, ui->threadsEdit, nullptr, &PacingSettings::maxLinesInFlight},
                 {kRetries, ui->retriesEdit, &FetchSettings::retries, nullptr},
                 {kConnectTimeout, ui->connectTimeoutEdit, &FetchSettings::connectTimeoutSeconds, nullptr},
                 {kTimeout, ui->timeoutEdit, &FetchSettings::timeoutSeconds, nullptr},
                 {kLinkTimeout, ui->linkTimeoutEdit, &FetchSettings::linkTimeoutSeconds, nullptr}};
    connect(ui->saveBtn, &QPushButton::clicked, this, &SettingsPage::save);
    connect(ui->defaultsBtn, &QPushButton::clicked, this, &SettingsPage::restoreDefaults);
    connect(ui->testProxyBtn, &QPushButton::clicked, this, &SettingsPage::testProxies);
    connect(m_probeWatcher, &QFutureWatcher<QList<ProxyProbe>>::finished, this, &SettingsPage::showProbes);
    connect(ui->proxyListRbtn, &QRadioButton::toggled, this, &SettingsPage::updateProxyFields);
    addRobotCheckGroup();
    clearProblems();
    showSettings(FetchSettings());
    // It shows the stored notification settings, and what is wrong with them, itself.
    m_notify = new NotifySettingsBox(this);
    ui->pageLayout->insertWidget(ui->pageLayout->indexOf(ui->agentGroup) + 1, m_notify);
}

void SettingsPage::addRobotCheckGroup()
{
    auto *group = new QGroupBox(kRobotCheckGroup, this);
    group->setObjectName(QStringLiteral("robotCheckGroup"));
    auto *grid = new QGridLayout(group);
    grid->addWidget(new QLabel(kRobotCheckLabel, group), 0, 0);
    m_robotCheckChoice = new QComboBox(group);
    m_robotCheckChoice->setObjectName(QStringLiteral("robotCheckChoice"));
    m_robotCheckChoice->addItems({kHandOff, kSlowDown});
    grid->addWidget(m_robotCheckChoice, 0, 1);
    auto *note = new QLabel(kRobotCheckNote, group);
    note->setWordWrap(true);
    grid->addWidget(note, 0, 2);
    m_learnedPause = new QLabel(group);
    m_learnedPause->setObjectName(QStringLiteral("learnedPauseLabel"));
    m_learnedPause->setWordWrap(true);
    grid->addWidget(m_learnedPause, 1, 0, 1, 2);
    auto *clear = new QPushButton(kClearCookies, group);
    clear->setObjectName(QStringLiteral("clearCookiesBtn"));
    grid->addWidget(clear, 1, 2, Qt::AlignLeft);
    connect(clear, &QPushButton::clicked, this, [this] {
        emit clearCookiesRequested();
        showLearnedPause();
        ui->statusLabel->setText(kCookiesCleared);
    });
    // Below the connection settings, above the agents.
    ui->pageLayout->insertWidget(ui->pageLayout->indexOf(ui->agentGroup), group);
    showLearnedPause();
}

void SettingsPage::setLearnedPauseSource(std::function<int()> source)
{
    m_learnedPauseSource = std::move(source);
    showLearnedPause();
}

void SettingsPage::showLearnedPause()
{
    const int learned = m_learnedPauseSource ? m_learnedPauseSource() : 0;
    m_learnedPause->setText(learned > 0 ? kLearnedPause.arg(learned) : kNothingLearned);
}

void SettingsPage::showEvent(QShowEvent *event)
{
    showLearnedPause();
    QWidget::showEvent(event);
}

SettingsPage::~SettingsPage()
{
    m_probeAbort->store(true);
    m_probeWatcher->disconnect(this);
    m_probeWatcher->waitForFinished();
}

void SettingsPage::showSettings(const FetchSettings &settings)
{
    m_settings = settings;
    for (const NumberField &field : qAsConst(m_numbers)) {
        const int value = field.member ? settings.*field.member : settings.pacing.*field.pacingMember;
        field.edit->setText(QString::number(value));
    }
    ui->proxyNoneRbtn->setChecked(settings.proxyMode == ProxyMode::None);
    ui->proxySystemRbtn->setChecked(settings.proxyMode == ProxyMode::System);
    ui->proxyListRbtn->setChecked(settings.proxyMode == ProxyMode::List);
    ui->proxyListEdit->setPlainText(settings.proxies.join(QLatin1Char('\n')));
    ui->insecureCheck->setChecked(settings.insecure);
    m_robotCheckChoice->setCurrentIndex(settings.handOffRobotChecks ? 0 : 1);
    // Long agents show from their start.
    ui->desktopAgentEdit->setText(settings.desktopAgent);
    ui->desktopAgentEdit->setCursorPosition(0);
    ui->mobileAgentEdit->setText(settings.mobileAgent);
    ui->mobileAgentEdit->setCursorPosition(0);
    updateProxyFields();
}

void SettingsPage::showStoredSettings(const StoredFetchSettings &stored, const QString &path)
{
    clearProblems();
    showSettings(stored.settings);
    const QString file = QDir::toNativeSeparators(path);
    m_storedProblems = !stored.unreadable.isEmpty() || !stored.refused.isEmpty();
    if (!stored.unreadable.isEmpty()) {
        ui->statusLabel->setText(kFileUnusable.arg(file, stored.unreadable));
        return;
    }
    for (const SettingsProblem &problem : stored.refused) {
        const bool proxies = problem.key == QLatin1String(FetchSettingsKey::kProxies) ||
                             problem.key == QLatin1String(FetchSettingsKey::kProxyMode);
        if (proxies) {
            // The list as stored, to be mended rather than typed again.
            ui->proxyListEdit->setPlainText(stored.storedProxies.join(QLatin1Char('\n')));
            showProblem(problem.key, kStoredProxiesRefused.arg(problem.value.isEmpty()
                                                                   ? problem.message
                                                                   : problem.message + QStringLiteral("：") +
                                                                         problem.value));
        } else {
            showProblem(problem.key, kStoredRefused.arg(problem.value, problem.message));
        }
    }
    if (m_storedProblems)
        ui->statusLabel->setText(kStoredProblems.arg(file));
}

bool SettingsPage::readForm(FetchSettings *settings)
{
    bool numbers = true;
    for (const NumberField &field : qAsConst(m_numbers)) {
        int value = 0;
        if (!parseSettingNumber(field.edit->text(), &value)) {
            showProblem(QLatin1String(field.key), kNotANumber);
            numbers = false;
            continue;
        }
        if (field.member)
            settings->*field.member = value;
        else
            settings->pacing.*field.pacingMember = value;
    }
    settings->proxyMode = ui->proxyListRbtn->isChecked()     ? ProxyMode::List
                          : ui->proxySystemRbtn->isChecked() ? ProxyMode::System
                                                             : ProxyMode::None;
    settings->proxies = proxyLines(ui->proxyListEdit->toPlainText());
    settings->insecure = ui->insecureCheck->isChecked();
    settings->handOffRobotChecks = m_robotCheckChoice->currentIndex() == 0;
    settings->desktopAgent = ui->desktopAgentEdit->text();
    settings->mobileAgent = ui->mobileAgentEdit->text();
    return numbers;
}

void SettingsPage::save()
{
    clearProblems();
    FetchSettings settings = m_settings;
    const bool numbers = readForm(&settings);
    const QList<SettingsProblem> problems = validateFetchSettings(settings);
    for (const SettingsProblem &problem : problems) {
        // A field that is no number already says so.
        if (problemLabel(problem.key)->text().isEmpty())
            showProblem(problem.key, problem.message);
    }
    NotifySettings notify;
    if (!m_notify->readForm(&notify) || !numbers || !problems.isEmpty()) {
        ui->statusLabel->setText(kNotSaved);
        return;
    }
    const std::unique_ptr<QSettings> store = openApplicationSettings();
    if (!saveFetchSettings(*store, settings) || !saveNotifySettings(*store, notify)) {
        ui->statusLabel->setText(kStoreFailed);
        return;
    }
    m_settings = settings;
    m_storedProblems = false;
    ui->statusLabel->setText(kSaved);
    emit settingsSaved(settings);
    showLearnedPause();
}

void SettingsPage::restoreDefaults()
{
    const FetchSettings saved = m_settings;
    clearProblems();
    showSettings(FetchSettings());
    m_notify->showSettings(NotifySettings());
    m_settings = saved;
    ui->statusLabel->setText(kDefaultsShown);
}

void SettingsPage::testProxies()
{
    clearProblems();
    FetchSettings settings = m_settings;
    readForm(&settings);
    const QStringList proxies = settings.proxies;
    if (proxies.isEmpty()) {
        showProblem(QLatin1String(FetchSettingsKey::kProxies), kNoProxyListed);
        return;
    }
    for (const SettingsProblem &problem : validateFetchSettings(settings)) {
        if (problem.key == QLatin1String(FetchSettingsKey::kProxies)) {
            showProblem(problem.key, problem.message);
            return;
        }
    }
    ui->testProxyBtn->setEnabled(false);
    ui->proxyTestResult->setText(kTesting);
    FetchOptions options = settings.fetchOptions();
    // A time-out setting that is no number must not make every probe wait forever.
    if (options.timeoutSeconds <= 0)
        options.timeoutSeconds = FetchSettings().timeoutSeconds;
    const SearchEndpoints endpoints = m_probeEndpoints;
    const std::shared_ptr<std::atomic<bool>> abort = m_probeAbort;
    m_probeWatcher->setFuture(QtConcurrent::run([proxies, endpoints, options, abort] {
        QList<ProxyProbe> probes;
        for (const QString &proxy : proxies)
            probes.append(probeProxy(proxy.toUtf8(), endpoints, options, abort.get()));
        return probes;
    }));
}

void SettingsPage::showProbes()
{
    QStringList lines;
    const QList<ProxyProbe> probes = m_probeWatcher->result();
    for (const ProxyProbe &probe : probes) {
        // The transfer's own error text may quote the address: its password never shows.
        const QString address = QString::fromUtf8(probe.proxy);
        const QString masked = maskedProxy(address);
        QString summary = probe.summary().replace(address, masked);
        const QString password = QUrl(address).password();
        if (!password.isEmpty())
            summary.replace(password, QUrl(masked).password());
        lines.append(kProbeLine.arg(masked, summary));
    }
    ui->proxyTestResult->setText(lines.join(QLatin1Char('\n')));
    ui->testProxyBtn->setEnabled(true);
}

void SettingsPage::updateProxyFields()
{
    const bool list = ui->proxyListRbtn->isChecked();
    ui->proxyListEdit->setEnabled(list);
    ui->testProxyBtn->setEnabled(list && !m_probeWatcher->isRunning());
}

void SettingsPage::clearProblems()
{
    for (QLabel *label : findChildren<QLabel *>()) {
        // The 通知 section names its own problems, those of the stored file included.
        if (m_notify && m_notify->isAncestorOf(label))
            continue;
        if (label->objectName().endsWith(QLatin1String("Error"))) {
            label->clear();
            label->hide();
        }
    }
}

QLabel *SettingsPage::problemLabel(const QString &key) const
{
    // "fetch/intervalMs" -> "intervalError", "fetch/connectTimeoutSeconds" -> "connectTimeoutError".
    QString name = key.section(QLatin1Char('/'), 1);
    for (const char *unit : {"Ms", "Seconds", "Percent"}) {
        if (name.endsWith(QLatin1String(unit)))
            name.chop(int(qstrlen(unit)));
    }
    auto *label = findChild<QLabel *>(name + QLatin1String("Error"));
    return label ? label : ui->statusLabel;
}

void SettingsPage::showProblem(const QString &key, const QString &message)
{
    QLabel *label = problemLabel(key);
    label->setText(message);
    label->show();
}
