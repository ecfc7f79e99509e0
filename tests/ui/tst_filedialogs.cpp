// Where the window's file dialogs start and the names they suggest.
#include "history/historystore.h"
#include "tests/support/windowtestmain.h"
#include "ui/frame/uidemo08.h"
#include "ui/widgets/openfiledialog.h"
#include "ui/widgets/savefiledialog.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

class TestFileDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("HOME", QFile::encodeName(m_home.path()));
        StoredRun run;
        run.tool = HistoryTool::kRanking;
        run.device = HistoryDevice::kMobile;
        run.lineCount = 1;
        run.startedAt = QDateTime(QDate(2026, 12, 9), QTime(15, 30));
        HistoryStore store;
        const qint64 id = store.beginRun(run);
        const QString line = QStringLiteral("词\thttp://a.cn/");
        store.addLines(id, {{0, line, QStringLiteral("已收录"), QStringLiteral("3"), QString(),
                             line.split(QLatin1Char('\t')) +
                                 QStringList{QStringLiteral("已收录"), QStringLiteral("3"), QString()}}});
        store.finishRun(id, run.startedAt.addSecs(60));
    }
    void cleanupTestCase()
    {
        OpenFileDialog::setAnswererForTesting({});
        SaveFileDialog::setAnswererForTesting({});
    }

    // The documents folder when there is one, else the home folder: never "/".
    void startFolderAndName_data()
    {
        QTest::addColumn<bool>("documents");
        QTest::addColumn<QString>("dialog");
        for (bool documents : {false, true}) {
            const QString where =
                documents ? QStringLiteral(", with Documents") : QStringLiteral(", no Documents");
            for (const char *dialog : {"导入", "导出报表", "历史记录 导出报表"})
                QTest::newRow(qPrintable(QString::fromUtf8(dialog) + where))
                    << documents << QString::fromUtf8(dialog);
        }
    }
    void startFolderAndName()
    {
        QFETCH(bool, documents);
        QFETCH(QString, dialog);
        QDir home(m_home.path());
        if (documents)
            QVERIFY(home.mkpath(QStringLiteral("Documents")));
        else
            QVERIFY(home.rmpath(QStringLiteral("Documents")) || !home.exists(QStringLiteral("Documents")));
        const QString expected = documents ? home.filePath(QStringLiteral("Documents")) : home.path();
        QString asked;
        OpenFileDialog::setAnswererForTesting([&](const QString &, const QString &folder) {
            asked = folder;
            return QString();
        });
        SaveFileDialog::setAnswererForTesting([&](const SaveFileDialog::Request &request) {
            asked = request.directory;
            return QString();
        });
        UIDemo08 window;
        window.show();
        const auto click = [&](const QString &name) {
            auto *button = window.findChild<QAbstractButton *>(name);
            QVERIFY2(button && button->isEnabled(), qPrintable(name));
            button->click();
        };
        click(QStringLiteral("tbtnMain3"));
        if (dialog == QLatin1String("导入")) {
            click(QStringLiteral("tbtnMain1"));
            click(QStringLiteral("importBtn"));
            QCOMPARE(asked, expected);
            return;
        }
        if (dialog == QLatin1String("导出报表")) {
            click(QStringLiteral("historyOpen"));
            click(QStringLiteral("daochuBtn_2"));
        } else {
            click(QStringLiteral("historyExport"));
        }
        const QFileInfo suggested(asked);
        QCOMPARE(suggested.absolutePath(), expected);
        QCOMPARE(suggested.fileName(), QStringLiteral("排名查询-移动-20261209-1530.xlsx"));
    }

private:
    QTemporaryDir m_home;
};

QUILLANE_WINDOW_TEST_MAIN(TestFileDialogs)
#include "tst_filedialogs.moc"
