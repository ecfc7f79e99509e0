#include "runcli.h"

#include <QCoreApplication>
#include <QTextCodec>

#include <cstdio>

namespace {
const QLatin1String kEndpointsOption("--endpoints-for-testing");

QByteArray authorityOf(const QString &address)
{
    QString authority = address;
    authority.remove(QStringLiteral("https://")).remove(QStringLiteral("http://"));
    return authority.toLatin1();
}
} // namespace

// quillane-cli for tests: "--endpoints-for-testing https://127.0.0.1:P http://127.0.0.1:Q"
// first, then the command's own arguments.
int main(int argc, char *argv[])
{
    QTextCodec::setCodecForLocale(QTextCodec::codecForMib(106));
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.size() < 3 || arguments.first() != kEndpointsOption) {
        std::fprintf(stderr, "usage: quillane-cli-under-test --endpoints-for-testing HTTPS HTTP ARGS...\n");
        return 64;
    }
    const SearchEndpoints endpoints =
        SearchEndpoints::at(authorityOf(arguments.at(1)), authorityOf(arguments.at(2)));
    return runCliOnStandardStreams(arguments.mid(3), endpoints);
}
