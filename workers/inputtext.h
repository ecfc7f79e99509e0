#pragma once

#include <QByteArray>
#include <QString>

// The text of a file of query lines, and the encoding it was read in
// ("UTF-8", "GB18030", "UTF-16LE" or "UTF-16BE"), so that the user can be told.
struct InputText
{
    QString text;
    QString encoding;
};

// Reads a file of query lines as the editors that made it saved it, the
// command's input and the window's opened or dropped files alike. A byte-order
// mark decides first (UTF-8, UTF-16 LE or BE: Windows Notepad's "Unicode" is
// UTF-16 LE with a mark); UTF-16 without a mark shows in its NUL bytes (every
// other byte NUL in text that is mostly ASCII, as addresses are); then UTF-8
// when the bytes are valid UTF-8, else GB18030, Windows' Chinese code page.
// The mark is not part of the text.
InputText decodeInputText(const QByteArray &bytes);
