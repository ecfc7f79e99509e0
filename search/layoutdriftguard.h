#pragma once

#include "search/resultpage.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <functional>
#include <mutex>

// Watches the answer pages of one run for a change of Baidu's markup: when
// kPagesInARow result pages in a row are pages the reader cannot read (no
// result container, or blocks without headings), it trips, once. The run's
// workers then stop it, the window or the command says so, and those pages
// are kept in the guard's folder for the user to show. Robot checks, block
// pages and failed transfers neither count nor break the row (the gate
// handles them); a page read, or Baidu's word that it has nothing, starts
// the row again. Thread-safe: the lines of a run note their pages at once.
class LayoutDriftGuard
{
public:
    static constexpr int kPagesInARow = 5;

    // keepPages: write the pages of the row into folder when tripping (the
    // command with --save-pages keeps them there itself).
    explicit LayoutDriftGuard(const QString &folder, bool keepPages = true);
    LayoutDriftGuard(const LayoutDriftGuard &) = delete;
    LayoutDriftGuard &operator=(const LayoutDriftGuard &) = delete;

    // What the reader made of one answer page; name says which line and request it answered.
    void notePage(const ResultPage &page, const QByteArray &body, const QString &name);

    bool tripped() const { return m_tripped.load(); }
    // Once tripped: the folder that holds the pages (a fresh one beside the given one when that is taken).
    QString folder() const;

    // Called once when the guard trips, on the thread that noted the last page;
    // at once when it has already tripped.
    void addTripHandler(const std::function<void()> &handler);

    // "<data folder>/quillane/layout-pages/<date-time>": where the window keeps the pages.
    static QString defaultFolder();
    // What the window and the command say when the guard has tripped.
    static QString stopText();
    // stopText() and where the pages are.
    QString stopMessage() const;

private:
    struct KeptPage
    {
        QString name;
        QByteArray body;
    };

    void keepPages(const QList<KeptPage> &pages);

    QString m_folder; // guarded by m_mutex
    const bool m_keepPages;
    std::atomic<bool> m_tripped{false};
    mutable std::mutex m_mutex;
    QList<KeptPage> m_row;
    QList<std::function<void()>> m_handlers;
};
