#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>

#include <map>
#include <memory>
#include <mutex>

// One identity Baidu sees, as a browser would be one: a cookie jar that every
// transfer of the session shares (libcurl's cookie engine behind a share
// handle), the page each request names as its Referer, and whether Baidu's
// home page was visited yet. Thread-safe; shared by the lines of all runs.
class BaiduSession
{
public:
    // The jar starts from cookieFile (Netscape format) when it exists and is
    // written back to it, private to the user, whenever it changed; an empty
    // path keeps the cookies in memory only.
    explicit BaiduSession(const QString &cookieFile = QString());
    ~BaiduSession();
    BaiduSession(const BaiduSession &) = delete;
    BaiduSession &operator=(const BaiduSession &) = delete;

    // libcurl's share handle (a CURLSH *) for CURLOPT_SHARE.
    void *shareHandle() const { return m_share; }
    QString cookieFile() const { return m_cookieFile; }

    // The jar in Netscape cookie-file lines, one cookie a line.
    QByteArray cookies() const;
    // Adds cookies given as Netscape cookie-file lines or as Set-Cookie header
    // lines ("Set-Cookie: name=value; domain=..."); comments and blanks are skipped.
    void addCookies(const QByteArray &lines);
    // Empties the jar and removes its file; the home page is visited again.
    void clear();
    // Writes the jar to its file (mode 0600) when it changed since the last
    // write; false when that failed.
    bool saveIfChanged();

    // True once per home page: the caller visits it now, before the first search there.
    bool takeHomeVisit(const QByteArray &home);
    // The Referer of the next request on the site of home: the previous page asked there, else home.
    QByteArray referer(const QByteArray &home) const;
    void setPreviousPage(const QByteArray &home, const QByteArray &address);

private:
    void *m_share = nullptr;
    const QString m_cookieFile;
    mutable std::mutex m_mutex; // the members below; the jar has its own locks
    QSet<QByteArray> m_visitedHomes;
    QHash<QByteArray, QByteArray> m_previousPages;
    QByteArray m_savedCookies;
    // libcurl's lock callbacks take these, one per kind of shared data.
    struct Locks;
    std::unique_ptr<Locks> m_locks;
};

// The sessions of a process: one per proxy, and one for requests that go
// straight to Baidu, each keeping its cookies in a file of one folder between runs.
class SessionPool
{
public:
    // folder: where the sessions' cookie files live; empty: nothing is kept.
    explicit SessionPool(const QString &folder = QString());
    // Every request shares one session, started from file and written back to it (the command's --cookies).
    static std::shared_ptr<SessionPool> sharingFile(const QString &file);

    // The session of a proxy address ("" for none), made on first use.
    std::shared_ptr<BaiduSession> forProxy(const QByteArray &proxy);
    // Empties every session's jar and removes every cookie file of the folder.
    void clearAll();

    // The data folder's "cookies" folder, where the window's and the command's sessions live.
    static QString defaultFolder();
    // The cookie file of a proxy's session in folder; never names the proxy's password.
    static QString cookieFileOf(const QString &folder, const QByteArray &proxy);

private:
    std::mutex m_mutex;
    QString m_folder;
    QString m_sharedFile; // set: one session for all
    std::map<QByteArray, std::shared_ptr<BaiduSession>> m_sessions;
};

// The home page of the site a search address or prefix belongs to: "https://m.baidu.com/" for
// "https://m.baidu.com/s?word=...".
QByteArray homePageOf(const QByteArray &address);
