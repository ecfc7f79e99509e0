#pragma once

#include "notify/digestsender.h"
#include "notify/notifysettings.h"

#include <QGroupBox>
#include <QList>

#include <atomic>
#include <memory>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSettings;
template <typename T> class QFutureWatcher;

// The 通知 section of 基本设置: the channels a saved run's digest goes to
// (one per line), the move that alerts, and 测试通知, which sends a sample
// digest to the channels in the form and shows each one's answer or error.
// It shows the stored settings when made; the page that places it stores
// the form with its own 保存, after readForm() found it usable.
class NotifySettingsBox : public QGroupBox
{
    Q_OBJECT

public:
    explicit NotifySettingsBox(QWidget *parent = nullptr);
    ~NotifySettingsBox() override;

    void showSettings(const NotifySettings &settings);
    // The form as settings; false with the problems shown at their fields.
    bool readForm(NotifySettings *settings);

    // Test seam, not reachable from the window: how 测试通知 sends (a test CA).
    void setNotifyOptions(const NotifyOptions &options) { m_options = options; }

private slots:
    void sendSample();
    void showOutcomes();

private:
    void showProblem(QLabel *label, const QString &message);

    QPlainTextEdit *m_channels;
    QLabel *m_channelsError;
    QLineEdit *m_threshold;
    QLabel *m_thresholdError;
    QPushButton *m_testButton;
    QLabel *m_testResult;
    NotifyOptions m_options;
    QFutureWatcher<QList<NotifyOutcome>> *m_testWatcher;
    // Cuts a test's transfers short when the page goes.
    std::shared_ptr<std::atomic<bool>> m_testAbort;
};
