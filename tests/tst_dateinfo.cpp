#include "dateinfo.h"

#include <QDate>
#include <QLocale>
#include <QTest>

namespace {

TDateTime day(int y, int m, int d)
{
    return QDateToDate(QDate(y, m, d));
}

} // namespace

class TestDateInfo : public QObject
{
    Q_OBJECT

private slots:
    void daysUntil_data();
    void daysUntil();
    void dayOfYear_data();
    void dayOfYear();
    void dayOfYearFollowsTheTimeLocale();
};

void TestDateInfo::daysUntil_data()
{
    QTest::addColumn<TDateTime>("selected");
    QTest::addColumn<TDateTime>("today");
    QTest::addColumn<QString>("text");

    const TDateTime today = day(2026, 12, 11);
    QTest::newRow("today") << today << today << QStringLiteral("That's today!");
    QTest::newRow("today at 23:59 is still today")
        << today + 0.9993 << today << QStringLiteral("That's today!");
    QTest::newRow("today at noon is still today")
        << today + 0.5 << today << QStringLiteral("That's today!");
    QTest::newRow("yesterday has no singular")
        << today - 1 << today << QStringLiteral("That was: 1 days ago.");
    QTest::newRow("tomorrow") << today + 1 << today << QStringLiteral("Days until then: 1.");
    QTest::newRow("three days back")
        << today - 3 << today << QStringLiteral("That was: 3 days ago.");
    QTest::newRow("a month back over November")
        << day(2026, 11, 11) << today << QStringLiteral("That was: 30 days ago.");
    QTest::newRow("the first day of the range, no separators")
        << MinDateTime << today << QStringLiteral("That was: 739960 days ago.");
    QTest::newRow("the last day of the range, no separators")
        << MaxDateTime << today << QStringLiteral("Days until then: 2912098.");
    QTest::newRow("yesterday late in the evening is one day ago, not zero")
        << today - 1 + 0.9 << today << QStringLiteral("That was: 1 days ago.");
    QTest::newRow("yesterday at noon rounds the half day up")
        << today - 1 + 0.5 << today << QStringLiteral("That was: 1 days ago.");
    QTest::newRow("tomorrow at 18:00 rounds to the nearest day")
        << today + 1.75 << today << QStringLiteral("Days until then: 2.");
}

void TestDateInfo::daysUntil()
{
    QFETCH(TDateTime, selected);
    QFETCH(TDateTime, today);
    QFETCH(QString, text);

    QCOMPARE(DaysUntilText(selected, today), text);
}

void TestDateInfo::dayOfYear_data()
{
    QTest::addColumn<TDateTime>("selected");
    QTest::addColumn<QString>("text");

    QTest::newRow("1 January is day 1")
        << day(2026, 1, 1) << QStringLiteral("Thursday, January 1, 2026 is day #1 of the year.");
    QTest::newRow("1 March of a common year is day 60")
        << day(2026, 3, 1) << QStringLiteral("Sunday, March 1, 2026 is day #60 of the year.");
    QTest::newRow("31 December of a leap year is day 366") << day(
        2024, 12, 31) << QStringLiteral("Tuesday, December 31, 2024 is day #366 of the year.");
    QTest::newRow("31 December of a common year is day 365") << day(
        2026, 12, 31) << QStringLiteral("Thursday, December 31, 2026 is day #365 of the year.");
    QTest::newRow("a time of day changes nothing") << day(2026, 12, 11)
            + 0.7 << QStringLiteral("Friday, December 11, 2026 is day #345 of the year.");
}

void TestDateInfo::dayOfYear()
{
    QFETCH(TDateTime, selected);
    QFETCH(QString, text);

    QCOMPARE(DayOfYearText(selected, QLocale(QStringLiteral("en_US"))), text);
}

void TestDateInfo::dayOfYearFollowsTheTimeLocale()
{
    qputenv("LANG", "en_US.UTF-8");
    qputenv("LC_TIME", "de_DE.UTF-8");
    qunsetenv("LC_ALL");
    QCOMPARE(DayOfYearText(day(2026, 3, 1)),
        QStringLiteral("Sonntag, 1. März 2026 is day #60 of the year."));
}

QTEST_APPLESS_MAIN(TestDateInfo)
#include "tst_dateinfo.moc"
