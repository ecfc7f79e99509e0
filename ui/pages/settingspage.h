#pragma once

#include "search/fetchsettings.h"
#include "search/proxyprobe.h"
#include "search/searchendpoints.h"

#include <QList>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>

class NotifySettingsBox;
class QComboBox;
class QLabel;
class QLineEdit;
template <typename T> class QFutureWatcher;

namespace Ui {
class SettingsPage;
}

// The 基本设置 page: pacing, retries, proxies (with 测试代理), certificate
// checking, time-outs, user agents and the 通知 section, read from and written to the
// application's settings file. 保存 stores the form only when every value is
// usable, and otherwise names the problem beside its field; 恢复默认 fills the
// form with the defaults, to be saved. The frame places it and applies what
// settingsSaved() reports to the runs that start afterwards.
class SettingsPage : public QWidget
{
    Q_OBJECT

public:
    explicit SettingsPage(QWidget *parent = nullptr);
    ~SettingsPage() override;

    // Fills the form; what a later failed save leaves in force.
    void showSettings(const FetchSettings &settings);
    // Fills the form with the settings file as read and marks every value it
    // refused at its field (a refused proxy list shown as stored, to be
    // mended), or says why the file could not be read at all.
    void showStoredSettings(const StoredFetchSettings &stored, const QString &path);
    // The file last shown holds values that are refused, or cannot be read.
    bool hasStoredProblems() const { return m_storedProblems; }
    // The settings last shown or saved.
    FetchSettings settings() const { return m_settings; }

    // Test seam, not reachable from the window: where 测试代理 sends its requests.
    void setProbeEndpoints(const SearchEndpoints &endpoints) { m_probeEndpoints = endpoints; }

    // Where the page reads the pause the gate learned, each time it is shown.
    void setLearnedPauseSource(std::function<int()> source);
    void showLearnedPause();

signals:
    void settingsSaved(const FetchSettings &settings);
    // 清除Cookie: the sessions' cookies and the learned pause are to be forgotten.
    void clearCookiesRequested();

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void save();
    void restoreDefaults();
    void testProxies();
    void showProbes();
    void updateProxyFields();

private:
    struct NumberField
    {
        const char *key;
        QLineEdit *edit;
        int FetchSettings::*member;
        int PacingSettings::*pacingMember;
    };

    // The form as settings; false (with messages at the fields) when a value is not even a number.
    bool readForm(FetchSettings *settings);
    void clearProblems();
    void showProblem(const QString &key, const QString &message);
    QLabel *problemLabel(const QString &key) const;

    void addRobotCheckGroup();

    std::unique_ptr<Ui::SettingsPage> ui;
    QComboBox *m_robotCheckChoice = nullptr;
    QLabel *m_learnedPause = nullptr;
    std::function<int()> m_learnedPauseSource;
    FetchSettings m_settings;
    bool m_storedProblems = false;
    SearchEndpoints m_probeEndpoints;
    QList<NumberField> m_numbers;
    NotifySettingsBox *m_notify = nullptr;
    QFutureWatcher<QList<ProxyProbe>> *m_probeWatcher;
    // Cuts the probes short when the page goes.
    std::shared_ptr<std::atomic<bool>> m_probeAbort;
};
