#pragma once

#include "app/startup.h"
#include "tests/support/testsettings.h"
#include "ui/frame/uidemo08.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

// main() of the tests that build the real window: the process is prepared as
// start-up prepares it (embedded browser settings) before the QApplication.
// The advertisement panel points at a closed loopback port unless a test
// serves its own page, so that no window test ever leaves the machine.
// Settings and the run history live in folders of their own that go with
// the process, so no run sees what an earlier one or the user left, and
// runs are unpaced.
#define QUILLANE_WINDOW_TEST_MAIN(TestObject)                                                                \
    int main(int argc, char *argv[])                                                                         \
    {                                                                                                        \
        const QTemporaryDir settingsHome;                                                                    \
        testsupport::useUnpacedSettings(settingsHome.path());                                                \
        const QTemporaryDir dataHome;                                                                        \
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));                                        \
        Startup::prepareProcess();                                                                           \
        QApplication app(argc, argv);                                                                        \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                             \
        UIDemo08::setAdvertisementAddressForTesting(                                                         \
            QUrl(QStringLiteral("http://127.0.0.1:9/pcads/ad.html")));                                       \
        TestObject test;                                                                                     \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
