#include "ui/pages/notifysettingsbox.h"

#include "search/fetchsettings.h"

#include <QFutureWatcher>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QtConcurrent/QtConcurrentRun>

namespace {
const QString kTitle = QStringLiteral("通知");
const QString kChannelsLabel = QStringLiteral("通知渠道");
const QString kChannelsHint =
    QStringLiteral("每行一个，保存后的查询有变化时发送：\n"
                   "wecom:https://qyapi.weixin.qq.com/cgi-bin/webhook/send?key=…\n"
                   "dingtalk:https://oapi.dingtalk.com/robot/send?access_token=…#SEC…\n"
                   "feishu:https://open.feishu.cn/open-apis/bot/v2/hook/…\n"
                   "smtp://用户:密码@smtp.example.cn:587/收件人@example.cn");
const QString kThresholdLabel = QStringLiteral("排名变动");
const QString kThresholdHint = QStringLiteral("名及以上时通知");
const QString kTestButton = QStringLiteral("测试通知");
const QString kNotANumber = QStringLiteral("须为整数");
const QString kNoChannel = QStringLiteral("请至少填写一个通知渠道");
const QString kTesting = QStringLiteral("正在发送示例通知……");
const QString kErrorStyle = QStringLiteral("color:#a11d12;");
const QLatin1String kChannelsKey(NotifySettingsKey::kChannels);

QLabel *errorLabel(const char *name, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setStyleSheet(kErrorStyle);
    label->setWordWrap(true);
    label->hide();
    return label;
}
} // namespace

NotifySettingsBox::NotifySettingsBox(QWidget *parent)
    : QGroupBox(kTitle, parent), m_channels(new QPlainTextEdit(this)),
      m_channelsError(errorLabel("notifyChannelsError", this)), m_threshold(new QLineEdit(this)),
      m_thresholdError(errorLabel("moveThresholdError", this)),
      m_testButton(new QPushButton(kTestButton, this)), m_testResult(new QLabel(this)),
      m_testWatcher(new QFutureWatcher<QList<NotifyOutcome>>(this)),
      m_testAbort(std::make_shared<std::atomic<bool>>(false))
{
    setObjectName(QStringLiteral("notifyGroup"));
    m_channels->setObjectName(QStringLiteral("notifyChannelsEdit"));
    m_channels->setPlaceholderText(kChannelsHint);
    m_channels->setMinimumHeight(110);
    m_channels->setMaximumHeight(140);
    m_threshold->setObjectName(QStringLiteral("moveThresholdEdit"));
    m_testButton->setObjectName(QStringLiteral("testNotifyBtn"));
    m_testResult->setObjectName(QStringLiteral("notifyTestResult"));
    m_testResult->setWordWrap(true);
    m_testResult->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *layout = new QGridLayout(this);
    layout->setColumnStretch(1, 2);
    layout->setColumnStretch(2, 1);
    layout->addWidget(new QLabel(kChannelsLabel, this), 0, 0, Qt::AlignTop);
    layout->addWidget(m_channels, 0, 1, 1, 2);
    layout->addWidget(m_channelsError, 1, 1, 1, 2);
    layout->addWidget(new QLabel(kThresholdLabel, this), 2, 0);
    auto *threshold = new QHBoxLayout;
    threshold->addWidget(m_threshold);
    threshold->addWidget(new QLabel(kThresholdHint, this));
    layout->addLayout(threshold, 2, 1);
    layout->addWidget(m_thresholdError, 2, 2);
    layout->addWidget(m_testButton, 3, 0);
    layout->addWidget(m_testResult, 3, 1, 1, 2);

    connect(m_testButton, &QPushButton::clicked, this, &NotifySettingsBox::sendSample);
    connect(m_testWatcher, &QFutureWatcher<QList<NotifyOutcome>>::finished, this,
            &NotifySettingsBox::showOutcomes);

    const std::unique_ptr<QSettings> store = openApplicationSettings();
    QList<SettingsProblem> problems;
    showSettings(loadNotifySettings(*store, &problems));
    // A value edited by hand into something unusable is shown as it is, named
    // where it belongs, and must be mended before the page is saved again.
    for (const SettingsProblem &problem : qAsConst(problems)) {
        const QVariant stored = store->value(problem.key);
        if (problem.key == kChannelsKey) {
            m_channels->setPlainText(stored.toStringList().join(QLatin1Char('\n')));
            showProblem(m_channelsError, problem.message);
        } else {
            m_threshold->setText(stored.toString());
            showProblem(m_thresholdError, problem.message);
        }
    }
}

NotifySettingsBox::~NotifySettingsBox()
{
    m_testAbort->store(true);
    m_testWatcher->disconnect(this);
    m_testWatcher->waitForFinished();
}

void NotifySettingsBox::showSettings(const NotifySettings &settings)
{
    m_channels->setPlainText(settings.channels.join(QLatin1Char('\n')));
    m_threshold->setText(QString::number(settings.moveThreshold));
    m_channelsError->hide();
    m_thresholdError->hide();
}

bool NotifySettingsBox::readForm(NotifySettings *settings)
{
    m_channelsError->hide();
    m_thresholdError->hide();
    settings->channels = proxyLines(m_channels->toPlainText());
    const bool number = parseSettingNumber(m_threshold->text(), &settings->moveThreshold);
    if (!number)
        showProblem(m_thresholdError, kNotANumber);
    const QList<SettingsProblem> problems = validateNotifySettings(*settings);
    for (const SettingsProblem &problem : problems) {
        if (problem.key == kChannelsKey)
            showProblem(m_channelsError, problem.message);
        else if (number)
            showProblem(m_thresholdError, problem.message);
    }
    return number && problems.isEmpty();
}

void NotifySettingsBox::sendSample()
{
    // The threshold plays no part in a sample: only the channels must be usable.
    NotifySettings settings;
    readForm(&settings);
    if (settings.channels.isEmpty()) {
        showProblem(m_channelsError, kNoChannel);
        return;
    }
    QList<NotifyChannel> channels;
    for (const QString &text : qAsConst(settings.channels)) {
        const std::optional<NotifyChannel> channel = NotifyChannel::parse(text);
        if (!channel)
            return;
        channels.append(*channel);
    }
    m_testButton->setEnabled(false);
    m_testResult->setText(kTesting);
    NotifyOptions options = m_options;
    const std::shared_ptr<std::atomic<bool>> abort = m_testAbort;
    m_testWatcher->setFuture(QtConcurrent::run([channels, options, abort]() mutable {
        options.abortFlag = abort.get();
        return sendDigest(sampleDigest(), channels, options);
    }));
}

void NotifySettingsBox::showOutcomes()
{
    QStringList lines;
    const QList<NotifyOutcome> outcomes = m_testWatcher->result();
    for (const NotifyOutcome &outcome : outcomes)
        lines.append(outcome.summary());
    m_testResult->setText(lines.join(QLatin1Char('\n')));
    m_testButton->setEnabled(true);
}

void NotifySettingsBox::showProblem(QLabel *label, const QString &message)
{
    label->setText(message);
    label->show();
}
