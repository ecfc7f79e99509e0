#pragma once

#include <QByteArray>

// Small answer pages in the shape of Baidu's desktop and mobile result pages,
// built from the pieces the inclusion checks read.
namespace testsupport {

// A whole desktop answer page around the given markup.
QByteArray desktopPage(const QByteArray &inner);
// A result heading the way Baidu writes it: the anchor's attributes on the
// line before, so the heading line's first ">" closes the anchor.
QByteArray desktopHeading(const QByteArray &title);
QByteArray desktopDateSpan(const QByteArray &date);

// A whole mobile answer page around the given markup.
QByteArray mobilePage(const QByteArray &inner);
// The opening of the first result's block: its data-log with the address
// (mu) and its link, left open for the title and date spans that follow.
QByteArray mobileFirstResult(const QByteArray &firstAddress);
QByteArray mobileTitleSpan(const QByteArray &title);
QByteArray mobileDateSpan(const QByteArray &date);
QByteArray mobileFooterSpan(const QByteArray &text);

} // namespace testsupport
