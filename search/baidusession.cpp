#include "search/baidusession.h"

#include "search/pagefetcher.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <curl/curl.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString kFolder = QStringLiteral("quillane/cookies");
const QString kDirectFile = QStringLiteral("direct.txt");
const QString kProxyFile = QStringLiteral("proxy-%1.txt");
constexpr char kFileHeader[] = "# Netscape HTTP Cookie File\n";
constexpr char kSetCookie[] = "Set-Cookie:";

// An easy handle on the session's jar, for reading or filling it outside a transfer.
struct JarHandle
{
    explicit JarHandle(void *share) : handle(curl_easy_init())
    {
        if (handle) {
            curl_easy_setopt(handle, CURLOPT_SHARE, static_cast<CURLSH *>(share));
            curl_easy_setopt(handle, CURLOPT_COOKIEFILE, "");
        }
    }
    ~JarHandle()
    {
        if (handle) {
            // Cleaning up an easy handle with a cookie jar set would write it; none is set.
            curl_easy_setopt(handle, CURLOPT_SHARE, nullptr);
            curl_easy_cleanup(handle);
        }
    }
    CURL *handle;
};

bool writePrivateFile(const QString &path, const QByteArray &bytes)
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    // An older file keeps its mode through O_CREAT: make it private too.
    bool ok = ::fchmod(fd, 0600) == 0;
    qint64 written = 0;
    while (ok && written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        ok = n > 0;
        written += n > 0 ? n : 0;
    }
    return ::close(fd) == 0 && ok;
}
} // namespace

struct BaiduSession::Locks
{
    std::mutex byKind[CURL_LOCK_DATA_LAST];
};

namespace {
void lockShare(CURL *, curl_lock_data data, curl_lock_access, void *locks)
{
    static_cast<std::mutex *>(locks)[data].lock();
}
void unlockShare(CURL *, curl_lock_data data, void *locks)
{
    static_cast<std::mutex *>(locks)[data].unlock();
}
} // namespace

BaiduSession::BaiduSession(const QString &cookieFile)
    : m_cookieFile(cookieFile), m_locks(std::make_unique<Locks>())
{
    initialiseFetching();
    CURLSH *share = curl_share_init();
    curl_share_setopt(share, CURLSHOPT_LOCKFUNC, lockShare);
    curl_share_setopt(share, CURLSHOPT_UNLOCKFUNC, unlockShare);
    curl_share_setopt(share, CURLSHOPT_USERDATA, m_locks->byKind);
    curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    m_share = share;
    if (!m_cookieFile.isEmpty()) {
        QFile file(m_cookieFile);
        if (file.open(QIODevice::ReadOnly))
            addCookies(file.readAll());
        m_savedCookies = cookies();
    }
}

BaiduSession::~BaiduSession()
{
    curl_share_cleanup(static_cast<CURLSH *>(m_share));
}

QByteArray BaiduSession::cookies() const
{
    JarHandle jar(m_share);
    QByteArray lines;
    curl_slist *list = nullptr;
    if (jar.handle && curl_easy_getinfo(jar.handle, CURLINFO_COOKIELIST, &list) == CURLE_OK) {
        for (curl_slist *item = list; item; item = item->next)
            lines += QByteArray(item->data) + '\n';
        curl_slist_free_all(list);
    }
    return lines;
}

void BaiduSession::addCookies(const QByteArray &lines)
{
    JarHandle jar(m_share);
    if (!jar.handle)
        return;
    for (QByteArray line : lines.split('\n')) {
        line = line.trimmed();
        // "#HttpOnly_" prefixes a real cookie line in the files browsers' add-ons write.
        if (line.isEmpty() || (line.startsWith('#') && !line.startsWith("#HttpOnly_")))
            continue;
        // libcurl reads a line as a header only with its name; a tab-separated one is a file line.
        if (!line.contains('\t') && !line.startsWith(kSetCookie))
            line.prepend(QByteArray(kSetCookie) + ' ');
        curl_easy_setopt(jar.handle, CURLOPT_COOKIELIST, line.constData());
    }
}

void BaiduSession::clear()
{
    {
        JarHandle jar(m_share);
        if (jar.handle)
            curl_easy_setopt(jar.handle, CURLOPT_COOKIELIST, "ALL");
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_visitedHomes.clear();
    m_previousPages.clear();
    m_savedCookies.clear();
    if (!m_cookieFile.isEmpty())
        QFile::remove(m_cookieFile);
}

bool BaiduSession::saveIfChanged()
{
    if (m_cookieFile.isEmpty())
        return true;
    const QByteArray now = cookies();
    std::lock_guard<std::mutex> lock(m_mutex);
    if (now == m_savedCookies)
        return true;
    if (!writePrivateFile(m_cookieFile, kFileHeader + now))
        return false;
    m_savedCookies = now;
    return true;
}

bool BaiduSession::takeHomeVisit(const QByteArray &home)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_visitedHomes.contains(home))
        return false;
    m_visitedHomes.insert(home);
    return true;
}

QByteArray BaiduSession::referer(const QByteArray &home) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_previousPages.value(home, home);
}

void BaiduSession::setPreviousPage(const QByteArray &home, const QByteArray &address)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_previousPages.insert(home, address);
}

SessionPool::SessionPool(const QString &folder) : m_folder(folder) {}

std::shared_ptr<SessionPool> SessionPool::sharingFile(const QString &file)
{
    auto pool = std::make_shared<SessionPool>();
    pool->m_sharedFile = file;
    return pool;
}

std::shared_ptr<BaiduSession> SessionPool::forProxy(const QByteArray &proxy)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const QByteArray key = m_sharedFile.isEmpty() ? proxy : QByteArray();
    std::shared_ptr<BaiduSession> &session = m_sessions[key];
    if (!session) {
        const QString file = !m_sharedFile.isEmpty() ? m_sharedFile
                             : m_folder.isEmpty()    ? QString()
                                                     : cookieFileOf(m_folder, key);
        session = std::make_shared<BaiduSession>(file);
    }
    return session;
}

void SessionPool::clearAll()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto &entry : m_sessions)
        entry.second->clear();
    if (m_folder.isEmpty())
        return;
    // Also the files of proxies not used since the program started.
    QDir folder(m_folder);
    for (const QString &name : folder.entryList({QStringLiteral("*.txt")}, QDir::Files))
        folder.remove(name);
}

QString SessionPool::defaultFolder()
{
    const QDir data(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    return data.filePath(kFolder);
}

QString SessionPool::cookieFileOf(const QString &folder, const QByteArray &proxy)
{
    if (proxy.isEmpty())
        return QDir(folder).filePath(kDirectFile);
    const QByteArray digest = QCryptographicHash::hash(proxy, QCryptographicHash::Sha1).toHex().left(16);
    return QDir(folder).filePath(kProxyFile.arg(QString::fromLatin1(digest)));
}

QByteArray homePageOf(const QByteArray &address)
{
    const int scheme = address.indexOf("://");
    if (scheme < 0)
        return address;
    const int path = address.indexOf('/', scheme + 3);
    return (path < 0 ? address : address.left(path)) + '/';
}
