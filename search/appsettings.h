#pragma once

#include <QString>

#include <memory>

class QSettings;

// The application's one settings file (~/.config/Quillane/quillane.conf),
// shared by the window and the command: the names it is found by and every
// key it holds, defined here once. The fetch group is typed: FetchSettings
// (search/fetchsettings.h) reads and writes the keys of FetchSettingsKey.
namespace AppSettings {
// Start-up names the application by these, so that QSettings() finds the file too.
inline const QString kOrganisation = QStringLiteral("Quillane");
inline const QString kApplication = QStringLiteral("quillane");

// The window's geometry (without filling the work area) and whether it filled the work area.
inline const QString kWindowGeometry = QStringLiteral("window/geometry");
inline const QString kWindowMaximised = QStringLiteral("window/maximised");

// The query pages whose device choice and input text are kept, by their group in the file.
inline const QString kInclusionPage = QStringLiteral("inclusion");
inline const QString kRankingPage = QStringLiteral("ranking");
// A page's device choice (true: mobile) and its input text.
QString pageMobileKey(const QString &page);
QString pageTextKey(const QString &page);

// The folder the last report was exported to.
inline const QString kExportFolder = QStringLiteral("export/lastFolder");
} // namespace AppSettings

// The keys of the fetch group; the settings page also names its fields by them.
namespace FetchSettingsKey {
inline constexpr char kInterval[] = "fetch/intervalMs";
inline constexpr char kJitter[] = "fetch/jitterPercent";
inline constexpr char kThreads[] = "fetch/threads";
inline constexpr char kRetries[] = "fetch/retries";
inline constexpr char kProxyMode[] = "fetch/proxyMode";
inline constexpr char kProxies[] = "fetch/proxies";
inline constexpr char kInsecure[] = "fetch/insecure";
inline constexpr char kConnectTimeout[] = "fetch/connectTimeoutSeconds";
inline constexpr char kTimeout[] = "fetch/timeoutSeconds";
inline constexpr char kLinkTimeout[] = "fetch/linkTimeoutSeconds";
inline constexpr char kDesktopAgent[] = "fetch/desktopAgent";
inline constexpr char kMobileAgent[] = "fetch/mobileAgent";
// On a robot check the window pauses and hands the check to the user (true), or slows down and retries.
inline constexpr char kHandOffRobotChecks[] = "fetch/handOffRobotChecks";
// The pause the gate learned from Baidu's robot checks, for the next run; not part of the form.
inline constexpr char kLearnedInterval[] = "fetch/learnedIntervalMs";
} // namespace FetchSettingsKey

// The keys of the notification group (notify/notifysettings.h reads and writes them).
namespace NotifySettingsKey {
inline constexpr char kChannels[] = "notify/channels";
inline constexpr char kMoveThreshold[] = "notify/moveThreshold";
} // namespace NotifySettingsKey

// The settings file in the platform's config location, found by its names
// whatever the running program calls itself.
std::unique_ptr<QSettings> openApplicationSettings();
