// The input editor's line numbers: a 10,000-line paste, a 100,000-line paste
// and single keystrokes in a 10,000-line editor, each on the real window and
// each with the line numbers painted, and the per-line-append way of filling
// a gutter editor at 10,000 lines as the baseline. Goals: 50 ms, 1 s and 16 ms.
#include "app/startup.h"
#include "ui/widgets/linenumberarea.h"
#include "ui/frame/uidemo08.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolButton>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

const double kPasteGoalMs = 50;
const double kLargePasteGoalMs = 1000;
const double kKeystrokeGoalMs = 16;
const int kKeystrokes = 40;

QString addressLines(int count)
{
    QStringList lines;
    lines.reserve(count);
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("http://www.quillane.com/news/%1.html").arg(i);
    return lines.join(QLatin1Char('\n'));
}

double elapsedMs(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// Time of one paste into the empty editor, with its line numbers painted, and
// of the same paste into a twin editor alone, so the difference is what the
// line numbers cost.
struct PasteCost
{
    double withGutter;
    double editorAlone;
};

PasteCost measurePaste(QPlainTextEdit *editor, LineNumberArea *numbers, QPlainTextEdit *twin,
                       const QString &text)
{
    editor->clear();
    twin->clear();
    QApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    editor->insertPlainText(text);
    numbers->repaint();
    const double withGutter = elapsedMs(timer);

    timer.restart();
    twin->insertPlainText(text);
    const double alone = elapsedMs(timer);
    QApplication::processEvents();
    return {withGutter, alone};
}

// The way the gutter used to be filled: cleared, then one appended number per
// line, each append making the document fit its size anew.
double perLineAppendBaseline(int lines, const QFont &font)
{
    QWidget holder;
    auto *layout = new QHBoxLayout(&holder);
    auto *gutter = new QPlainTextEdit(&holder);
    gutter->setFont(font);
    gutter->setReadOnly(true);
    gutter->setMaximumWidth(30);
    layout->addWidget(gutter);
    holder.resize(300, 500);
    holder.show();
    QObject::connect(gutter->document(), &QTextDocument::contentsChanged, gutter, [gutter] {
        QTextDocument *document = gutter->document();
        document->adjustSize();
        const int width = int(document->size().width() + 13);
        if (width != gutter->width())
            gutter->setFixedWidth(width);
    });
    QApplication::processEvents();

    QElapsedTimer timer;
    timer.start();
    gutter->setPlainText(QString());
    for (int i = 1; i <= lines; ++i)
        gutter->appendPlainText(QString::number(i));
    return elapsedMs(timer);
}

void report(const char *what, double ms, double goal)
{
    std::printf("%-46s %9.2f ms   goal < %6.0f ms   %s\n", what, ms, goal, ms < goal ? "met" : "MISSED");
}

} // namespace

int main(int argc, char *argv[])
{
    // The user's remembered input stays out of the measurement.
    const QTemporaryDir settingsHome;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settingsHome.path()));
    Startup::prepareProcess();
    QApplication app(argc, argv);
    UIDemo08::setAdvertisementAddressForTesting(QUrl(QStringLiteral("about:blank")));
    const std::unique_ptr<UIDemo08> window(Startup::openMainWindow());
    if (!QTest::qWaitForWindowExposed(window.get()))
        return 1;
    QTest::mouseClick(window->findChild<QToolButton *>(QStringLiteral("tbtnMain1")), Qt::LeftButton);
    auto *editor = window->findChild<QPlainTextEdit *>(QStringLiteral("urlsList"));
    auto *gutter = window->findChild<LineNumberArea *>(QStringLiteral("hangHao"));
    QApplication::processEvents();

    // An editor like the page's, in the same place, without a gutter behind it.
    QWidget twinHolder;
    auto *twinLayout = new QHBoxLayout(&twinHolder);
    auto *twin = new QPlainTextEdit(&twinHolder);
    twin->setFont(editor->font());
    twinLayout->addWidget(twin);
    twinHolder.resize(editor->size() + QSize(20, 20));
    twinHolder.show();

    const QString tenThousand = addressLines(10000);
    const QString hundredThousand = addressLines(100000);

    std::vector<double> paste10k, gutter10k, paste100k, gutter100k;
    for (int round = 0; round < 5; ++round) {
        const PasteCost cost = measurePaste(editor, gutter, twin, tenThousand);
        paste10k.push_back(cost.withGutter);
        gutter10k.push_back(cost.withGutter - cost.editorAlone);
    }
    if (editor->blockCount() != 10000 || gutter->paintedNumbers().isEmpty())
        return 2;
    for (int round = 0; round < 3; ++round) {
        const PasteCost cost = measurePaste(editor, gutter, twin, hundredThousand);
        paste100k.push_back(cost.withGutter);
        gutter100k.push_back(cost.withGutter - cost.editorAlone);
    }
    if (editor->blockCount() != 100000 || gutter->paintedNumbers().isEmpty())
        return 2;

    // Keystrokes in the middle of a 10,000-line editor: characters, and line
    // breaks, which change the line count.
    editor->setPlainText(tenThousand);
    QApplication::processEvents();
    QTextCursor middle(editor->document()->findBlockByNumber(5000));
    editor->setTextCursor(middle);
    editor->setFocus();
    std::vector<double> characterKeys, returnKeys;
    for (int i = 0; i < kKeystrokes; ++i) {
        QElapsedTimer timer;
        timer.start();
        // Each keystroke is timed with the repaint it causes.
        QTest::keyClick(editor, Qt::Key_A);
        QApplication::processEvents();
        characterKeys.push_back(elapsedMs(timer));
        timer.restart();
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();
        returnKeys.push_back(elapsedMs(timer));
    }
    if (editor->blockCount() != 10000 + kKeystrokes)
        return 2;

    const double baseline = perLineAppendBaseline(10000, gutter->font());

    std::printf("Line numbers of the input editor (median of the rounds)\n");
    report("10,000-line paste, gutter share", median(gutter10k), kPasteGoalMs);
    std::printf("%-46s %9.2f ms\n", "10,000-line paste, editor and gutter", median(paste10k));
    report("100,000-line paste, gutter share", median(gutter100k), kLargePasteGoalMs);
    std::printf("%-46s %9.2f ms\n", "100,000-line paste, editor and gutter", median(paste100k));
    report("keystroke (character) in 10,000 lines", median(characterKeys), kKeystrokeGoalMs);
    report("keystroke (line break) in 10,000 lines", median(returnKeys), kKeystrokeGoalMs);
    std::printf("%-46s %9.2f ms\n", "baseline: per-line append, 10,000 lines", baseline);
    std::printf("%-46s %9.1f x\n", "baseline / painted numbers at 10,000 lines",
                baseline / std::max(median(gutter10k), 0.01));
    return 0;
}
