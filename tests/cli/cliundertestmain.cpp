#include "cli/runcli.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextCodec>

#include <cstdio>

namespace {
const QLatin1String kEndpointsOption("--endpoints-for-testing");
const QLatin1String kCaFileOption("--ca-file-for-testing");

QByteArray authorityOf(const QString &address)
{
    QString authority = address;
    authority.remove(QStringLiteral("https://")).remove(QStringLiteral("http://"));
    return authority.toLatin1();
}
} // namespace

// quillane-cli for tests: "--endpoints-for-testing https://127.0.0.1:P http://127.0.0.1:Q"
// first, optionally "--ca-file-for-testing FILE" (the certificates the loopback
// servers' one is checked against), then the command's own arguments.
int main(int argc, char *argv[])
{
    QTextCodec::setCodecForLocale(QTextCodec::codecForMib(106));
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.size() < 3 || arguments.first() != kEndpointsOption) {
        std::fprintf(stderr, "usage: quillane-cli-under-test --endpoints-for-testing HTTPS HTTP ARGS...\n");
        return 64;
    }
    int used = 3;
    QByteArray caFile;
    if (arguments.size() >= 5 && arguments.at(3) == kCaFileOption) {
        caFile = QFile::encodeName(arguments.at(4));
        used = 5;
    }
    const SearchEndpoints endpoints =
        SearchEndpoints::at(authorityOf(arguments.at(1)), authorityOf(arguments.at(2)), caFile);
    return runCliOnStandardStreams(arguments.mid(used), endpoints);
}
