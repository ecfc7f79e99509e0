#pragma once

#include <QByteArray>
#include <QList>

// Pages in the shape of Baidu's answers that the ranking checks read: the
// site query answers (desktop and mobile), the desktop keyword page with its
// result headings, and the mobile keyword page with its embedded entries.
namespace testsupport {

// One heading of a desktop keyword page. An empty link writes an anchor without href.
struct DesktopHeading
{
    QByteArray text;
    QByteArray link;
    QByteArray shown = QByteArray(); // the block's shown address (c-showurl); none when empty
};

// The desktop answer for an included address: its title heading and date span.
QByteArray desktopRankingSitePage(const QByteArray &title, const QByteArray &date);
// The desktop answer for an address Baidu does not have.
QByteArray desktopRankingNotFoundPage();
// A desktop keyword page listing the headings in order; fillerBytes of
// ordinary result markup are spread between them.
QByteArray desktopKeywordPage(const QList<DesktopHeading> &headings, int fillerBytes = 0);

// The mobile answer whose first result carries firstAddress.
QByteArray mobileRankingSitePage(const QByteArray &firstAddress, const QByteArray &date);
// The mobile answer whose first result states no address.
QByteArray mobileRankingNoAddressPage();
QByteArray mobileRankingNotFoundPage();
// A mobile keyword page with one result per address, in order, titled "结果 1", "结果 2", ….
QByteArray mobileKeywordPage(const QList<QByteArray> &entryAddresses);

// Baidu's robot check, served with status 200.
QByteArray robotCheckPage();

} // namespace testsupport
