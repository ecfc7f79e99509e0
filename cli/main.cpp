#include "runcli.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextCodec>

#include <unistd.h>

int main(int argc, char *argv[])
{
    QTextCodec::setCodecForLocale(QTextCodec::codecForMib(106)); // UTF-8 arguments and file names
    QCoreApplication app(argc, argv);

    QFile in;
    QFile out;
    QFile err;
    in.open(STDIN_FILENO, QIODevice::ReadOnly);
    out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(STDERR_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
    CliStreams streams;
    streams.in = &in;
    streams.out = &out;
    streams.err = &err;
    streams.errIsTerminal = ::isatty(STDERR_FILENO) == 1;

    return runCli(app.arguments().mid(1), SearchEndpoints(), streams);
}
