#include "dates.h"

#include <QDate>
#include <QLocale>
#include <QTest>

#include <chrono>
#include <cmath>
#include <limits>

namespace {

TDateTime day(int y, int m, int d)
{
    return QDateToDate(QDate(y, m, d));
}

enum class Step { Day, Week, Month };

} // namespace

class TestDates : public QObject
{
    Q_OBJECT

private slots:
    void dayCounts_data();
    void dayCounts();
    void steps_data();
    void steps();
    void compareDate_data();
    void compareDate();
    void dayOfTheYear_data();
    void dayOfTheYear();
    void numbers_data();
    void numbers();
    void timeLocale_data();
    void timeLocale();
    void formatDateTime_data();
    void formatDateTime();
    void agreesWithChronoFrom1600To2400();
};

void TestDates::dayCounts_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<TDateTime>("count");

    QTest::newRow("30 December 1899 is day 0") << QDate(1899, 12, 30) << 0.0;
    QTest::newRow("1 January 1900 is day 2") << QDate(1900, 1, 1) << 2.0;
    QTest::newRow("29 December 1899 is day -1") << QDate(1899, 12, 29) << -1.0;
    QTest::newRow("1 January 0001 is the first day") << QDate(1, 1, 1) << MinDateTime;
    QTest::newRow("31 December 9999 is the last day") << QDate(9999, 12, 31) << MaxDateTime;
}

void TestDates::dayCounts()
{
    QFETCH(QDate, date);
    QFETCH(TDateTime, count);

    QCOMPARE(QDateToDate(date), count);
    QCOMPARE(DateToQDate(count), date);
    QCOMPARE(DateToQDate(count + 0.999), date);
}

void TestDates::steps_data()
{
    QTest::addColumn<Step>("step");
    QTest::addColumn<TDateTime>("from");
    QTest::addColumn<int>("count");
    QTest::addColumn<TDateTime>("to");

    QTest::newRow("31 January + 1 day is 1 February")
        << Step::Day << day(2026, 1, 31) << 1 << day(2026, 2, 1);
    QTest::newRow("1 January - 1 day is 31 December of the year before")
        << Step::Day << day(2026, 1, 1) << -1 << day(2025, 12, 31);
    QTest::newRow("28 February + 1 day is 29 February in a leap year")
        << Step::Day << day(2024, 2, 28) << 1 << day(2024, 2, 29);
    QTest::newRow("29 December + 1 week crosses the year end")
        << Step::Week << day(2026, 12, 29) << 1 << day(2027, 1, 5);
    QTest::newRow("3 March - 1 week crosses back into February")
        << Step::Week << day(2026, 3, 3) << -1 << day(2026, 2, 24);
    QTest::newRow("31 January + 1 month clamps to 28 February in a common year")
        << Step::Month << day(2026, 1, 31) << 1 << day(2026, 2, 28);
    QTest::newRow("31 January + 1 month clamps to 29 February in a leap year")
        << Step::Month << day(2024, 1, 31) << 1 << day(2024, 2, 29);
    QTest::newRow("31 March - 1 month clamps to 28 February")
        << Step::Month << day(2026, 3, 31) << -1 << day(2026, 2, 28);
    QTest::newRow("31 May - 1 month clamps to 30 April")
        << Step::Month << day(2026, 5, 31) << -1 << day(2026, 4, 30);
    QTest::newRow("15 December + 1 month crosses the year end")
        << Step::Month << day(2026, 12, 15) << 1 << day(2027, 1, 15);
    QTest::newRow("15 January - 1 month crosses back into December")
        << Step::Month << day(2026, 1, 15) << -1 << day(2025, 12, 15);

    QTest::newRow("a day step keeps the time of day")
        << Step::Day << day(2026, 3, 31) + 0.75 << 1 << day(2026, 4, 1) + 0.75;
    QTest::newRow("a month step keeps the time of day")
        << Step::Month << day(2026, 3, 31) + 0.25 << -1 << day(2026, 2, 28) + 0.25;
    QTest::newRow("a day step before day 0 keeps the time of day")
        << Step::Day << -1.0 + 0.75 << -1 << -2.0 + 0.75;

    QTest::newRow("31 December 9999 + 1 day stays") << Step::Day << MaxDateTime << 1 << MaxDateTime;
    QTest::newRow("31 December 9999 18:00 + 1 day stays")
        << Step::Day << MaxDateTime + 0.75 << 1 << MaxDateTime + 0.75;
    QTest::newRow("30 December 9999 + 1 day is the last day")
        << Step::Day << MaxDateTime - 1 << 1 << MaxDateTime;
    QTest::newRow("1 January 0001 - 1 day stays") << Step::Day << MinDateTime << -1 << MinDateTime;
    QTest::newRow("28 December 9999 + 1 week stays")
        << Step::Week << day(9999, 12, 28) << 1 << day(9999, 12, 28);
    QTest::newRow("24 December 9999 + 1 week is the last day")
        << Step::Week << day(9999, 12, 24) << 1 << MaxDateTime;
    QTest::newRow("5 January 0001 - 1 week stays")
        << Step::Week << day(1, 1, 5) << -1 << day(1, 1, 5);
    QTest::newRow("15 December 9999 + 1 month stays")
        << Step::Month << day(9999, 12, 15) << 1 << day(9999, 12, 15);
    QTest::newRow("31 January 0001 - 1 month stays")
        << Step::Month << day(1, 1, 31) << -1 << day(1, 1, 31);
    QTest::newRow("28 February 0001 - 1 month is 28 January 0001")
        << Step::Month << day(1, 2, 28) << -1 << day(1, 1, 28);

    const TDateTime nan = std::numeric_limits<double>::quiet_NaN();
    const TDateTime inf = std::numeric_limits<double>::infinity();
    QTest::newRow("a day before the range stays where it is")
        << Step::Day << MinDateTime - 5 << 1 << MinDateTime - 5;
    QTest::newRow("a day after the range stays where it is")
        << Step::Month << MaxDateTime + 40 << -1 << MaxDateTime + 40;
    QTest::newRow("infinity stays where it is") << Step::Week << inf << -1 << inf;
    QTest::newRow("not a number stays where it is") << Step::Day << nan << 1 << nan;
}

void TestDates::steps()
{
    QFETCH(Step, step);
    QFETCH(TDateTime, from);
    QFETCH(int, count);
    QFETCH(TDateTime, to);

    TDateTime result = 0;
    switch (step) {
    case Step::Day:
        result = IncDay(from, count);
        break;
    case Step::Week:
        result = IncWeek(from, count);
        break;
    case Step::Month:
        result = IncMonth(from, count);
        break;
    }
    if (std::isnan(to))
        QVERIFY(std::isnan(result));
    else
        QCOMPARE(result, to);
}

void TestDates::compareDate_data()
{
    QTest::addColumn<TDateTime>("a");
    QTest::addColumn<TDateTime>("b");
    QTest::addColumn<int>("expected");

    const TDateTime d = day(2026, 3, 31);
    QTest::newRow("same day, midnight and noon") << d << d + 0.5 << 0;
    QTest::newRow("same day, first and last minute") << d + 0.0007 << d + 0.9993 << 0;
    QTest::newRow("midnight is the next day") << d + 0.9999 << d + 1.0 << -1;
    QTest::newRow("the day before compares lower") << d - 1 << d << -1;
    QTest::newRow("the day after compares higher") << d + 1 << d + 0.9 << 1;
    QTest::newRow("before day 0, the same day at other hours") << -1.25 << -1.75 << 0;
    QTest::newRow("before day 0, the hour before day 0 is the day before") << -0.01 << 0.0 << -1;
}

void TestDates::compareDate()
{
    QFETCH(TDateTime, a);
    QFETCH(TDateTime, b);
    QFETCH(int, expected);

    QCOMPARE(CompareDate(a, b), expected);
    QCOMPARE(CompareDate(b, a), -expected);
}

void TestDates::dayOfTheYear_data()
{
    QTest::addColumn<TDateTime>("date");
    QTest::addColumn<int>("number");

    QTest::newRow("1 January is day 1") << day(2026, 1, 1) << 1;
    QTest::newRow("1 March of a common year is day 60") << day(2026, 3, 1) << 60;
    QTest::newRow("1 March of a leap year is day 61") << day(2024, 3, 1) << 61;
    QTest::newRow("31 December of a common year is day 365") << day(2026, 12, 31) << 365;
    QTest::newRow("31 December of a leap year is day 366") << day(2024, 12, 31) << 366;
    QTest::newRow("31 December 1900 is day 365, 1900 is no leap year") << day(1900, 12, 31) << 365;
    QTest::newRow("31 December 2000 is day 366, 2000 is a leap year") << day(2000, 12, 31) << 366;
    QTest::newRow("the time of day does not count") << day(2026, 1, 1) + 0.99 << 1;
    QTest::newRow("the last day of the range") << MaxDateTime << 365;
    QTest::newRow("a day after the range has no number") << MaxDateTime + 1 << 0;
}

void TestDates::dayOfTheYear()
{
    QFETCH(TDateTime, date);
    QFETCH(int, number);

    QCOMPARE(int(DayOfTheYear(date)), number);
}

void TestDates::numbers_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("2.4999 rounds down") << 2.4999 << QStringLiteral("2");
    QTest::newRow("an exact half rounds away from zero") << 2.5 << QStringLiteral("3");
    QTest::newRow("a negative exact half rounds away from zero") << -2.5 << QStringLiteral("-3");
    QTest::newRow("many years of days have no separators")
        << 2958464.0 << QStringLiteral("2958464");
    QTest::newRow("beyond 32 bits") << 12345678901.0 << QStringLiteral("12345678901");
}

void TestDates::numbers()
{
    QFETCH(double, value);
    QFETCH(QString, text);

    // Grouping must not come from the locale, whichever is in force.
    QLocale::setDefault(QLocale(QLocale::German));
    QCOMPARE(IntToStr(Round(value)), text);
    QLocale::setDefault(QLocale::c());
}

void TestDates::timeLocale_data()
{
    QTest::addColumn<QByteArray>("lcAll");
    QTest::addColumn<QByteArray>("lcTime");
    QTest::addColumn<QByteArray>("lang");
    QTest::addColumn<QString>("expected");

    QTest::newRow("LANG alone") << QByteArray() << QByteArray() << QByteArray("de_DE.UTF-8")
                                << QStringLiteral("de_DE");
    QTest::newRow("LC_TIME over LANG") << QByteArray() << QByteArray("fr_FR.UTF-8")
                                       << QByteArray("en_US.UTF-8") << QStringLiteral("fr_FR");
    QTest::newRow("LC_ALL over LC_TIME") << QByteArray("fi_FI.UTF-8") << QByteArray("fr_FR.UTF-8")
                                         << QByteArray("en_US.UTF-8") << QStringLiteral("fi_FI");
    QTest::newRow("a modifier is ignored") << QByteArray() << QByteArray("ru_RU.UTF-8@euro")
                                           << QByteArray() << QStringLiteral("ru_RU");
    QTest::newRow("nothing set is the C locale")
        << QByteArray() << QByteArray() << QByteArray() << QStringLiteral("C");
}

void TestDates::timeLocale()
{
    QFETCH(QByteArray, lcAll);
    QFETCH(QByteArray, lcTime);
    QFETCH(QByteArray, lang);
    QFETCH(QString, expected);

    const auto set = [](const char *name, const QByteArray &value) {
        if (value.isEmpty())
            qunsetenv(name);
        else
            qputenv(name, value);
    };
    set("LC_ALL", lcAll);
    set("LC_TIME", lcTime);
    set("LANG", lang);
    QCOMPARE(TimeLocale().name(), expected);
}

void TestDates::formatDateTime_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<TDateTime>("date");
    QTest::addColumn<QString>("text");

    QTest::newRow("en_US") << "en_US" << day(2026, 3, 31)
                           << QStringLiteral("Tuesday, March 31, 2026");
    QTest::newRow("en_GB") << "en_GB" << day(2026, 3, 31)
                           << QStringLiteral("Tuesday, 31 March 2026");
    QTest::newRow("de_DE") << "de_DE" << day(2026, 3, 31)
                           << QStringLiteral("Dienstag, 31. März 2026");
    QTest::newRow("ru_RU uses the genitive month name")
        << "ru_RU" << day(2026, 3, 31) << QStringLiteral("вторник, 31 марта 2026 г.");
    QTest::newRow("the time of day does not show")
        << "en_US" << day(2026, 3, 31) + 0.99 << QStringLiteral("Tuesday, March 31, 2026");
    QTest::newRow("the first day of the range")
        << "en_US" << MinDateTime << QStringLiteral("Monday, January 1, 0001");
    QTest::newRow("a day outside the range is empty") << "en_US" << MinDateTime - 1 << QString();
}

void TestDates::formatDateTime()
{
    QFETCH(QString, locale);
    QFETCH(TDateTime, date);
    QFETCH(QString, text);

    const QLocale l(locale);
    QCOMPARE(FormatDateTime(LongDateFormat(l), date, l), text);
}

// Every day from 1600 to 2400 against the C++20 civil calendar, which shares
// no code with QDate.
void TestDates::agreesWithChronoFrom1600To2400()
{
    using namespace std::chrono;
    const sys_days zero = sys_days(year(1899) / December / 30);
    const auto serial = [&](year_month_day ymd) {
        return TDateTime((sys_days(ymd) - zero).count());
    };
    const auto stepMonths = [](year_month_day ymd, int n) {
        year_month_day to = ymd + months(n);
        return to.ok() ? to : year_month_day(year_month_day_last(to.year(), to.month() / last));
    };

    for (sys_days d = sys_days(year(1600) / January / 1); d <= sys_days(year(2400) / December / 31);
         d += days(1)) {
        const year_month_day ymd(d);
        const TDateTime t = serial(ymd);
        const int expectedDayOfYear = (d - sys_days(ymd.year() / January / 1)).count() + 1;
        if (DayOfTheYear(t) != expectedDayOfYear)
            QFAIL(qPrintable(QStringLiteral("day of year of %1").arg(t)));
        if (IncDay(t, 1) != serial(year_month_day(d + days(1)))
            || IncDay(t, -1) != serial(year_month_day(d - days(1))))
            QFAIL(qPrintable(QStringLiteral("day step from %1").arg(t)));
        if (IncMonth(t, 1) != serial(stepMonths(ymd, 1))
            || IncMonth(t, -1) != serial(stepMonths(ymd, -1)))
            QFAIL(qPrintable(QStringLiteral("month step from %1").arg(t)));
        if (CompareDate(t + 0.9, t) != 0 || CompareDate(t, t + 1) != -1)
            QFAIL(qPrintable(QStringLiteral("comparison at %1").arg(t)));
    }
}

QTEST_APPLESS_MAIN(TestDates)
#include "tst_dates.moc"
