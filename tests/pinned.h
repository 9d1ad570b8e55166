#pragma once

// Pins what the window's texts depend on: the locale, before the application
// object exists, and today, through the date services' test seam.

#include "dates.h"

#include <QApplication>
#include <QDate>
#include <QTest>

namespace Pinned {

inline QDate &today()
{
    static QDate day;
    return day;
}

inline void setToday(QDate day)
{
    today() = day;
    SetTodaySource([] { return today(); });
}

} // namespace Pinned

#define DAYVANE_PINNED_MAIN(TestClass, localeName)                                                 \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        qputenv("LC_ALL", localeName);                                                             \
        qputenv("QT_QPA_PLATFORM", "offscreen");                                                   \
        QApplication app(argc, argv);                                                              \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
