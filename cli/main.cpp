#include "cli/runcli.h"

#include <QCoreApplication>
#include <QTextCodec>

int main(int argc, char *argv[])
{
    QTextCodec::setCodecForLocale(QTextCodec::codecForMib(106)); // UTF-8 arguments and file names
    QCoreApplication app(argc, argv);
    return runCliOnStandardStreams(app.arguments().mid(1), SearchEndpoints());
}
