// Whoever gives quillane-cli a new command or option is told here to document
// it: every one that `quillane-cli --help` lists must appear in the man page
// and in the bash completion.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

const QString kManPage = QStringLiteral(QUILLANE_DIST_DIR "/quillane-cli.1.in");
const QString kCompletion = QStringLiteral(QUILLANE_DIST_DIR "/quillane-cli.bash");

// An option stands alone: "-h", "--report", but not the "-8" of "UTF-8" or
// the "-order" of "byte-order".
const QRegularExpression kOption(QStringLiteral("(?<![\\w-])--?[A-Za-z][\\w-]*"));
// "quillane-cli inclusion|ranking [...]", "quillane-cli history list|show RUN":
// the alternatives right after the program's name, and those of a following
// lower-case word.
const QRegularExpression kUsage(QStringLiteral("quillane-cli ([a-z][\\w|-]*)(?: ([a-z][\\w|-]*)(?=\\s|$))?"));
const QRegularExpression kCommandsHeading(QStringLiteral("^\\s*\\w*\\s*commands:\\s*$"),
                                          QRegularExpression::CaseInsensitiveOption);
const QRegularExpression kListedCommand(QStringLiteral("^\\s+([a-z][\\w-]*)"));
// roff: "\-" is a hyphen-minus, "\fB" and the like change fonts, "\%" and "\&" print nothing.
const QRegularExpression kRoffEscape(QStringLiteral("\\\\(f[BIRP]|%|&)"));

QString helpText()
{
    QProcess help;
    help.start(QStringLiteral(QUILLANE_CLI_SHIPPED), {QStringLiteral("--help")});
    help.waitForFinished(30000);
    return QString::fromUtf8(help.readAllStandardOutput());
}

QStringList namesIn(const QString &help)
{
    QStringList names;
    for (auto it = kOption.globalMatch(help); it.hasNext();)
        names.append(it.next().captured());
    for (auto it = kUsage.globalMatch(help); it.hasNext();) {
        const QRegularExpressionMatch usage = it.next();
        names += usage.captured(1).split(QLatin1Char('|'), Qt::SkipEmptyParts);
        names += usage.captured(2).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    }
    bool inCommands = false;
    for (const QString &line : help.split(QLatin1Char('\n'))) {
        if (kCommandsHeading.match(line).hasMatch()) {
            inCommands = true;
        } else if (line.trimmed().isEmpty()) {
            inCommands = false;
        } else if (inCommands) {
            const QRegularExpressionMatch listed = kListedCommand.match(line);
            if (listed.hasMatch())
                names.append(listed.captured(1));
        }
    }
    names.removeDuplicates();
    return names;
}

QString readDocument(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QString text = QString::fromUtf8(file.readAll());
    if (path.endsWith(QLatin1String(".1.in")))
        text.replace(QLatin1String("\\-"), QLatin1String("-")).remove(kRoffEscape);
    return text;
}

bool mentions(const QString &text, const QString &name)
{
    const QRegularExpression word(QStringLiteral("(?<![\\w-])") + QRegularExpression::escape(name) +
                                  QStringLiteral("(?![\\w-])"));
    return word.match(text).hasMatch();
}

} // namespace

class TestCliDocs : public QObject
{
    Q_OBJECT

private slots:
    void everyListedNameIsDocumented_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("document");
        const QStringList names = namesIn(helpText());
        // Without this the rows would vanish, and the test pass, if --help stopped answering.
        QVERIFY2(names.contains(QStringLiteral("inclusion")) && names.contains(QStringLiteral("--help")),
                 "no commands or options found in quillane-cli --help");
        for (const QString &name : names) {
            for (const QString &document : {kManPage, kCompletion}) {
                const QString row = name + QLatin1String(" in ") + QFileInfo(document).fileName();
                QTest::newRow(qPrintable(row)) << name << document;
            }
        }
    }

    void everyListedNameIsDocumented()
    {
        QFETCH(QString, name);
        QFETCH(QString, document);
        const QString text = readDocument(document);
        QVERIFY2(!text.isEmpty(), qPrintable(document + QLatin1String(" cannot be read")));
        QVERIFY2(
            mentions(text, name),
            qPrintable(QStringLiteral("quillane-cli --help lists '%1' but %2 does not: document it there")
                           .arg(name, document)));
    }
};

QTEST_GUILESS_MAIN(TestCliDocs)
#include "tst_clidocs.moc"
