#pragma once

#include "search/robotcheckhandoff.h"

#include <QDialog>
#include <QMap>
#include <QNetworkCookie>

#include <memory>

class QLabel;
class QWebEngineProfile;
class QWebEngineView;

// "百度安全验证": Baidu's check page in an embedded browser that carries the
// session's user agent, proxy and cookies, for the user to pass. When the
// view leaves the check (a page that is no check loads), the cookies it holds
// go into the session and the hand-off resumes the runs; "跳过验证" or
// closing the dialog lets them go on without it.
class RobotCheckDialog : public QDialog
{
    Q_OBJECT

public:
    RobotCheckDialog(const RobotCheckMeeting &meeting, std::shared_ptr<RobotCheckHandOff> handOff,
                     QWidget *parent = nullptr);
    ~RobotCheckDialog() override;

    // Sets or lifts the application proxy the view goes through; the view has no proxy of its own.
    static void useProxy(const QByteArray &proxy);

private:
    void pageLoaded(bool ok);
    void finish(bool passed);

    const RobotCheckMeeting m_meeting;
    const std::shared_ptr<RobotCheckHandOff> m_handOff;
    QWebEngineProfile *m_profile;
    QWebEngineView *m_view;
    // The view's cookies, by domain, path and name.
    QMap<QString, QNetworkCookie> m_cookies;
    bool m_finished = false;
};
