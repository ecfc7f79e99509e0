#include "workers/inputtext.h"

#include <QTextCodec>
#include <QtEndian>

namespace {
const QString kUtf8 = QStringLiteral("UTF-8");
const QString kGb18030 = QStringLiteral("GB18030");
const QString kUtf16Le = QStringLiteral("UTF-16LE");
const QString kUtf16Be = QStringLiteral("UTF-16BE");

const QByteArray kUtf8Mark("\xEF\xBB\xBF");
const QByteArray kUtf16LeMark("\xFF\xFE");
const QByteArray kUtf16BeMark("\xFE\xFF");
const QChar kByteOrderMark(0xFEFF);
constexpr int kUtf8Mib = 106;

// Enough of the start of a file to tell its NUL pattern.
constexpr int kSampledUnits = 4096;

enum class ByteOrder
{
    None,
    Little,
    Big
};

// UTF-16 text that is mostly ASCII has a NUL as the high byte of most units
// and hardly ever a NUL as the low byte; other encodings have no NUL at all.
ByteOrder utf16ByNulPattern(const QByteArray &bytes)
{
    const int units = qMin(bytes.size() / 2, kSampledUnits);
    if (units == 0)
        return ByteOrder::None;
    int evenNuls = 0;
    int oddNuls = 0;
    for (int i = 0; i < units; ++i) {
        evenNuls += bytes.at(2 * i) == '\0';
        oddNuls += bytes.at(2 * i + 1) == '\0';
    }
    const auto most = [units](int nuls) { return 2 * nuls >= units; };
    const auto few = [units](int nuls) { return 10 * nuls <= units; };
    if (most(oddNuls) && few(evenNuls))
        return ByteOrder::Little;
    if (most(evenNuls) && few(oddNuls))
        return ByteOrder::Big;
    return ByteOrder::None;
}

QString fromUtf16(const QByteArray &bytes, int from, ByteOrder order)
{
    QString text;
    text.reserve((bytes.size() - from) / 2);
    const char *data = bytes.constData();
    for (int at = from; at + 1 < bytes.size(); at += 2)
        text += QChar(order == ByteOrder::Little ? qFromLittleEndian<quint16>(data + at)
                                                 : qFromBigEndian<quint16>(data + at));
    if ((bytes.size() - from) % 2) // a cut-off last unit
        text += QChar(QChar::ReplacementCharacter);
    return text;
}
} // namespace

InputText decodeInputText(const QByteArray &bytes)
{
    InputText input;
    QTextCodec *utf8 = QTextCodec::codecForMib(kUtf8Mib);
    if (bytes.startsWith(kUtf8Mark)) {
        input.text = utf8->toUnicode(bytes.constData() + kUtf8Mark.size(), bytes.size() - kUtf8Mark.size());
        input.encoding = kUtf8;
        return input;
    }
    ByteOrder order = ByteOrder::None;
    int from = 0;
    if (bytes.startsWith(kUtf16LeMark) || bytes.startsWith(kUtf16BeMark)) {
        order = bytes.startsWith(kUtf16LeMark) ? ByteOrder::Little : ByteOrder::Big;
        from = 2;
    } else {
        order = utf16ByNulPattern(bytes);
    }
    if (order != ByteOrder::None) {
        input.text = fromUtf16(bytes, from, order);
        input.encoding = order == ByteOrder::Little ? kUtf16Le : kUtf16Be;
        return input;
    }

    QTextCodec::ConverterState state;
    input.text = utf8->toUnicode(bytes.constData(), bytes.size(), &state);
    input.encoding = kUtf8;
    if (state.invalidChars > 0) {
        if (QTextCodec *codec = QTextCodec::codecForName(kGb18030.toLatin1())) {
            input.text = codec->toUnicode(bytes);
            input.encoding = kGb18030;
        }
    }
    // GB18030 has a byte-order mark of its own.
    if (input.text.startsWith(kByteOrderMark))
        input.text.remove(0, 1);
    return input;
}
