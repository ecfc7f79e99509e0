#include "ui/widgets/robotcheckdialog.h"

#include "search/pagefetcher.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QDateTime>
#include <QLabel>
#include <QNetworkProxy>
#include <QPushButton>
#include <QUrl>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace {
const char kContext[] = "RobotCheckDialog";
const char kTitle[] = QT_TRANSLATE_NOOP("RobotCheckDialog", "百度安全验证");
const char kWhy[] = QT_TRANSLATE_NOOP("RobotCheckDialog", "百度要求验证后才能继续查询，请在下方完成验证");
const char kSkip[] = QT_TRANSLATE_NOOP("RobotCheckDialog", "跳过验证");
constexpr int kViewWidth = 760;
constexpr int kViewHeight = 560;
const QString kHttpOnlyPrefix = QStringLiteral("#HttpOnly_");
const QString kTrue = QStringLiteral("TRUE");

QString translated(const char *text)
{
    return QCoreApplication::translate(kContext, text);
}

QString keyOf(const QNetworkCookie &cookie)
{
    return cookie.domain() + QLatin1Char('\t') + cookie.path() + QLatin1Char('\t') +
           QString::fromUtf8(cookie.name());
}

// A line of a Netscape cookie file as the cookie it stands for, and the address it belongs to.
bool parseCookieLine(QString line, QNetworkCookie *cookie, QUrl *origin)
{
    const bool httpOnly = line.startsWith(kHttpOnlyPrefix);
    if (httpOnly)
        line = line.mid(kHttpOnlyPrefix.size());
    const QStringList fields = line.split(QLatin1Char('\t'));
    if (fields.size() < 7)
        return false;
    QString domain = fields.at(0);
    const bool subdomains = fields.at(1) == kTrue;
    const QString host = domain.startsWith(QLatin1Char('.')) ? domain.mid(1) : domain;
    cookie->setName(fields.at(5).toUtf8());
    cookie->setValue(fields.at(6).toUtf8());
    cookie->setPath(fields.at(2));
    cookie->setSecure(fields.at(3) == kTrue);
    cookie->setHttpOnly(httpOnly);
    const qint64 expires = fields.at(4).toLongLong();
    if (expires > 0)
        cookie->setExpirationDate(QDateTime::fromSecsSinceEpoch(expires));
    // A host-only cookie has no domain attribute: the origin's host takes it.
    cookie->setDomain(subdomains ? QLatin1Char('.') + host : QString());
    *origin = QUrl(QStringLiteral("%1://%2/")
                       .arg(cookie->isSecure() ? QStringLiteral("https") : QStringLiteral("http"), host));
    return true;
}

// The cookie as a Set-Cookie line the session's jar takes.
QByteArray setCookieLine(const QNetworkCookie &cookie, const QString &host)
{
    QNetworkCookie copy = cookie;
    if (copy.domain().isEmpty())
        copy.setDomain(host);
    return "Set-Cookie: " + copy.toRawForm(QNetworkCookie::Full);
}
} // namespace

RobotCheckDialog::RobotCheckDialog(const RobotCheckMeeting &meeting,
                                   std::shared_ptr<RobotCheckHandOff> handOff, QWidget *parent)
    : QDialog(parent), m_meeting(meeting), m_handOff(std::move(handOff)),
      m_profile(new QWebEngineProfile(this)), m_view(new QWebEngineView(this))
{
    setObjectName(QStringLiteral("robotCheckDialog"));
    setWindowTitle(translated(kTitle));
    // Closed any way at all (Esc, the title bar): skipped, unless passed before.
    connect(this, &QDialog::finished, this, [this] {
        finish(false);
        deleteLater();
    });
    auto *why = new QLabel(translated(kWhy), this);
    why->setObjectName(QStringLiteral("robotCheckReason"));
    why->setWordWrap(true);
    auto *skip = new QPushButton(translated(kSkip), this);
    skip->setObjectName(QStringLiteral("skipRobotCheck"));
    connect(skip, &QPushButton::clicked, this, [this] { finish(false); });

    // Off the record: the user's other browsing never mixes with the session's cookies.
    m_profile->setHttpUserAgent(QString::fromUtf8(meeting.userAgent));
    m_profile->setHttpAcceptLanguage(QStringLiteral("zh-CN,zh;q=0.9"));
    auto *page = new QWebEnginePage(m_profile, m_view);
    m_view->setPage(page);
    m_view->setObjectName(QStringLiteral("robotCheckView"));
    m_view->setMinimumSize(kViewWidth, kViewHeight);
    QWebEngineCookieStore *store = m_profile->cookieStore();
    connect(store, &QWebEngineCookieStore::cookieAdded, this,
            [this](const QNetworkCookie &cookie) { m_cookies.insert(keyOf(cookie), cookie); });
    connect(store, &QWebEngineCookieStore::cookieRemoved, this,
            [this](const QNetworkCookie &cookie) { m_cookies.remove(keyOf(cookie)); });
    if (meeting.session) {
        for (const QByteArray &line : meeting.session->cookies().split('\n')) {
            QNetworkCookie cookie;
            QUrl origin;
            if (parseCookieLine(QString::fromUtf8(line), &cookie, &origin))
                store->setCookie(cookie, origin);
        }
    }
    useProxy(meeting.proxy);
    connect(page, &QWebEnginePage::loadFinished, this, &RobotCheckDialog::pageLoaded);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(why);
    layout->addWidget(m_view, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(skip);
    layout->addLayout(buttons);
    m_view->load(QUrl::fromEncoded(meeting.address.toUtf8()));
}

RobotCheckDialog::~RobotCheckDialog()
{
    // Gone with the window: the runs go on without the user (or end with the window).
    disconnect(this, &QDialog::finished, nullptr, nullptr);
    if (!m_finished && m_handOff)
        m_handOff->resolve(false);
    useProxy(QByteArray());
    // The page uses the profile: it goes first.
    delete m_view;
}

void RobotCheckDialog::useProxy(const QByteArray &proxy)
{
    if (proxy.isEmpty()) {
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        return;
    }
    const QUrl url = QUrl::fromEncoded(proxy);
    const bool socks = url.scheme().startsWith(QLatin1String("socks"));
    QNetworkProxy::setApplicationProxy(
        QNetworkProxy(socks ? QNetworkProxy::Socks5Proxy : QNetworkProxy::HttpProxy, url.host(),
                      quint16(url.port(socks ? 1080 : 8080)), url.userName(), url.password()));
}

void RobotCheckDialog::pageLoaded(bool ok)
{
    if (!ok || m_finished)
        return;
    m_view->page()->toHtml([this](const QString &html) {
        if (m_finished)
            return;
        FetchResult page;
        page.ok = true;
        page.httpStatus = 200;
        page.body = html.toUtf8();
        // Still the check (or a page without anything yet): the user is not done.
        if (page.body.isEmpty() || isRobotCheckAnswer(page))
            return;
        finish(true);
    });
}

void RobotCheckDialog::finish(bool passed)
{
    if (m_finished)
        return;
    m_finished = true;
    if (passed && m_meeting.session) {
        QByteArray lines;
        const QString host = m_view->url().host();
        for (const QNetworkCookie &cookie : qAsConst(m_cookies))
            lines += setCookieLine(cookie, host) + '\n';
        m_meeting.session->addCookies(lines);
        m_meeting.session->saveIfChanged();
    }
    if (m_handOff)
        m_handOff->resolve(passed);
    if (isVisible())
        done(passed ? Accepted : Rejected);
}
