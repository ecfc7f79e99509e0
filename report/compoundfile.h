#pragma once

#include <QByteArray>
#include <QString>

// An OLE2 compound document (version 3, 512-byte sectors) holding one stream
// under the root storage, as Excel 97-2003 expects its "Workbook" stream.
class CompoundFile
{
public:
    // Streams shorter than this would belong in the mini stream; they are
    // padded with zero bytes up to it instead.
    static constexpr int kMiniStreamCutoff = 4096;

    static QByteArray withSingleStream(const QString &streamName, const QByteArray &stream);
};
