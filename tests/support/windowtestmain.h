#pragma once

#include "startup.h"

#include <QApplication>
#include <QtTest>

// main() of the tests that build the real window: the process is prepared as
// start-up prepares it (embedded browser settings) before the QApplication.
#define QUILLANE_WINDOW_TEST_MAIN(TestObject)                                                                \
    int main(int argc, char *argv[])                                                                       \
    {                                                                                                      \
        Startup::prepareProcess();                                                                         \
        QApplication app(argc, argv);                                                                      \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                           \
        TestObject test;                                                                                   \
        QTEST_SET_MAIN_SOURCE_PATH                                                                         \
        return QTest::qExec(&test, argc, argv);                                                            \
    }
