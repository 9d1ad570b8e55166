#include "monthpage.h"

#include <QDate>
#include <QLocale>
#include <QSet>
#include <QTest>

#include <limits>

class TestMonthPage : public QObject
{
    Q_OBJECT

private slots:
    void leadingCells_data();
    void leadingCells();
    void dateInCell_data();
    void dateInCell();
    void cellRoundTrip_data();
    void cellRoundTrip();
    void dateShownInCell_data();
    void dateShownInCell();
    void viewShowsEachDayOnce_data();
    void viewShowsEachDayOnce();
    void followSelection_data();
    void followSelection();
    void scrollRows_data();
    void scrollRows();
    void monthTitle_data();
    void monthTitle();
};

void TestMonthPage::leadingCells_data()
{
    QTest::addColumn<QDate>("month");
    QTest::addColumn<Qt::DayOfWeek>("firstDay");
    QTest::addColumn<int>("leading");

    QTest::newRow("a month starting on Monday with Monday first has no leading days")
        << QDate(2026, 6, 1) << Qt::Monday << 0;
    QTest::newRow("a month starting on Tuesday with Monday first has 1 leading day")
        << QDate(2026, 9, 1) << Qt::Monday << 1;
    QTest::newRow("a month starting on Sunday with Monday first has 6 leading days")
        << QDate(2026, 3, 1) << Qt::Monday << 6;
    QTest::newRow("a month starting on Sunday with Sunday first has no leading days")
        << QDate(2026, 3, 1) << Qt::Sunday << 0;
    QTest::newRow("a month starting on Wednesday with Sunday first has 3 leading days")
        << QDate(2026, 4, 1) << Qt::Sunday << 3;
    QTest::newRow("a month starting on Saturday with Sunday first has 6 leading days")
        << QDate(2026, 8, 1) << Qt::Sunday << 6;
    QTest::newRow("a month starting on Saturday with Saturday first has no leading days")
        << QDate(2026, 8, 1) << Qt::Saturday << 0;
    QTest::newRow("a month starting on Thursday with Saturday first has 5 leading days")
        << QDate(2026, 1, 1) << Qt::Saturday << 5;
    QTest::newRow("a month starting on Friday with Saturday first has 6 leading days")
        << QDate(2026, 5, 1) << Qt::Saturday << 6;
    QTest::newRow("any day of the month stands for the month")
        << QDate(2026, 4, 17) << Qt::Sunday << 3;
}

void TestMonthPage::leadingCells()
{
    QFETCH(QDate, month);
    QFETCH(Qt::DayOfWeek, firstDay);
    QFETCH(int, leading);

    QCOMPARE(LeadingCells(month, firstDay), leading);
}

void TestMonthPage::dateInCell_data()
{
    QTest::addColumn<QDate>("month");
    QTest::addColumn<Qt::DayOfWeek>("firstDay");
    QTest::addColumn<int>("cell");
    QTest::addColumn<QDate>("date");

    QTest::newRow("March 2026 with Monday first opens on Monday 23 February")
        << QDate(2026, 3, 1) << Qt::Monday << 0 << QDate(2026, 2, 23);
    QTest::newRow("March 2026 with Monday first has 1 March at the end of the first row")
        << QDate(2026, 3, 1) << Qt::Monday << 6 << QDate(2026, 3, 1);
    QTest::newRow("March 2026 with Monday first ends on Sunday 5 April")
        << QDate(2026, 3, 1) << Qt::Monday << 41 << QDate(2026, 4, 5);
    QTest::newRow("April 2026 with Saturday first opens on Saturday 28 March")
        << QDate(2026, 4, 1) << Qt::Saturday << 0 << QDate(2026, 3, 28);

    QTest::newRow("February 2026 with Sunday first fits in exactly 4 rows")
        << QDate(2026, 2, 1) << Qt::Sunday << 27 << QDate(2026, 2, 28);
    QTest::newRow("February 2026 with Sunday first has March from the fifth row")
        << QDate(2026, 2, 1) << Qt::Sunday << 28 << QDate(2026, 3, 1);
    QTest::newRow("February 2024, a leap year, has a 29th")
        << QDate(2024, 2, 1) << Qt::Monday << 31 << QDate(2024, 2, 29);
    QTest::newRow("February 2024 is followed by March after its 29th")
        << QDate(2024, 2, 1) << Qt::Monday << 32 << QDate(2024, 3, 1);
    QTest::newRow("February 2100, no leap year, goes from the 28th to March")
        << QDate(2100, 2, 1) << Qt::Monday << 28 << QDate(2100, 3, 1);
    QTest::newRow("February 2000, a leap year by the 400-year rule, has a 29th")
        << QDate(2000, 2, 1) << Qt::Monday << 29 << QDate(2000, 2, 29);

    QTest::newRow("January 0001 with Sunday first has no day before the range")
        << QDate(1, 1, 1) << Qt::Sunday << 0 << QDate();
    QTest::newRow("January 0001 with Sunday first starts in its second cell")
        << QDate(1, 1, 1) << Qt::Sunday << 1 << QDate(1, 1, 1);
    QTest::newRow("December 9999 with Sunday first ends the range in cell 33")
        << QDate(9999, 12, 1) << Qt::Sunday << 33 << QDate(9999, 12, 31);
    QTest::newRow("December 9999 has no day after the range")
        << QDate(9999, 12, 1) << Qt::Sunday << 34 << QDate();
    QTest::newRow("a month after the range has no days")
        << QDate(10000, 1, 1) << Qt::Monday << 10 << QDate();
    QTest::newRow("a month before the range has no days")
        << QDate(-1, 12, 1) << Qt::Monday << 10 << QDate();
    QTest::newRow("an invalid month has no days") << QDate() << Qt::Monday << 10 << QDate();
    QTest::newRow("no cell before the page") << QDate(2026, 3, 1) << Qt::Monday << -1 << QDate();
    QTest::newRow("no cell after the page") << QDate(2026, 3, 1) << Qt::Monday << 42 << QDate();
}

void TestMonthPage::dateInCell()
{
    QFETCH(QDate, month);
    QFETCH(Qt::DayOfWeek, firstDay);
    QFETCH(int, cell);
    QFETCH(QDate, date);

    QCOMPARE(DateInCell(month, cell, firstDay), date);
}

void TestMonthPage::cellRoundTrip_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<int>("months");
    QTest::addColumn<Qt::DayOfWeek>("firstDay");

    QTest::newRow("2024 to 2026 with Monday first") << QDate(2024, 1, 1) << 36 << Qt::Monday;
    QTest::newRow("2024 to 2026 with Sunday first") << QDate(2024, 1, 1) << 36 << Qt::Sunday;
    QTest::newRow("2024 to 2026 with Saturday first") << QDate(2024, 1, 1) << 36 << Qt::Saturday;
    QTest::newRow("the first year of the range") << QDate(1, 1, 1) << 12 << Qt::Sunday;
    QTest::newRow("the last year of the range") << QDate(9999, 1, 1) << 12 << Qt::Saturday;
}

// Every page is consecutive days in week order, holds all of its own month,
// and maps each of its days back to the cell it came from.
void TestMonthPage::cellRoundTrip()
{
    QFETCH(QDate, from);
    QFETCH(int, months);
    QFETCH(Qt::DayOfWeek, firstDay);

    for (int m = 0; m < months; ++m) {
        const QDate month = from.addMonths(m);
        int ownDays = 0;
        QDate previous;
        for (int cell = 0; cell < CellsPerPage; ++cell) {
            const QDate date = DateInCell(month, cell, firstDay);
            if (!date.isValid())
                continue;
            const QString where
                = QStringLiteral("%1, cell %2").arg(month.toString(Qt::ISODate)).arg(cell);
            QVERIFY2(CellOfDate(month, date, firstDay) == cell, qPrintable(where));
            QVERIFY2((date.dayOfWeek() - firstDay + 7) % 7 == cell % 7, qPrintable(where));
            QVERIFY2(!previous.isValid() || previous.addDays(1) == date, qPrintable(where));
            previous = date;
            if (date.month() == month.month())
                ++ownDays;
        }
        QCOMPARE(ownDays, month.daysInMonth());
        QCOMPARE(CellOfDate(month, month.addDays(-7), firstDay), -1);
        QCOMPARE(CellOfDate(month, month.addMonths(1).addDays(14), firstDay), -1);
    }
}

void TestMonthPage::dateShownInCell_data()
{
    QTest::addColumn<QDate>("firstVisible");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("cell");
    QTest::addColumn<Qt::DayOfWeek>("firstDay");
    QTest::addColumn<QDate>("date");

    const QDate march = QDate(2026, 3, 1);
    QTest::newRow("the first month shows its leading days")
        << march << 0 << 0 << Qt::Monday << QDate(2026, 2, 23);
    QTest::newRow("the first month leaves its trailing cells empty")
        << march << 0 << 41 << Qt::Monday << QDate();
    QTest::newRow("an inner month leaves its leading cells empty")
        << march << 1 << 0 << Qt::Monday << QDate();
    QTest::newRow("an inner month shows its own days")
        << march << 1 << 2 << Qt::Monday << QDate(2026, 4, 1);
    QTest::newRow("an inner month leaves its trailing cells empty")
        << march << 1 << 41 << Qt::Monday << QDate();
    QTest::newRow("the last month shows its trailing days")
        << march << 11 << 41 << Qt::Monday << QDate(2027, 3, 14);
    QTest::newRow("the last month leaves its leading cells empty")
        << QDate(2026, 4, 1) << 11 << 0 << Qt::Sunday << QDate();
    QTest::newRow("the leading cells before January 0001 stay empty")
        << QDate(1, 1, 1) << 0 << 0 << Qt::Sunday << QDate();
    QTest::newRow("a month after December 9999 is empty")
        << QDate(9999, 12, 1) << 1 << 10 << Qt::Sunday << QDate();
    QTest::newRow("a position outside the view is empty")
        << march << 12 << 10 << Qt::Monday << QDate();
    QTest::newRow("nothing shows before a first month is set")
        << QDate() << 0 << 10 << Qt::Monday << QDate();
}

void TestMonthPage::dateShownInCell()
{
    QFETCH(QDate, firstVisible);
    QFETCH(int, position);
    QFETCH(int, cell);
    QFETCH(Qt::DayOfWeek, firstDay);
    QFETCH(QDate, date);

    QCOMPARE(DateShownInCell(firstVisible, position, cell, firstDay), date);
}

void TestMonthPage::viewShowsEachDayOnce_data()
{
    QTest::addColumn<QDate>("firstVisible");
    QTest::addColumn<Qt::DayOfWeek>("firstDay");
    QTest::addColumn<QDate>("firstShown");
    QTest::addColumn<QDate>("lastShown");

    QTest::newRow("March 2026 to February 2027 with Monday first")
        << QDate(2026, 3, 1) << Qt::Monday << QDate(2026, 2, 23) << QDate(2027, 3, 14);
    QTest::newRow("March 2026 to February 2027 with Sunday first")
        << QDate(2026, 3, 1) << Qt::Sunday << QDate(2026, 3, 1) << QDate(2027, 3, 13);
    QTest::newRow("March 2026 to February 2027 with Saturday first")
        << QDate(2026, 3, 1) << Qt::Saturday << QDate(2026, 2, 28) << QDate(2027, 3, 12);
    QTest::newRow("the view from January 0001")
        << QDate(1, 1, 1) << Qt::Sunday << QDate(1, 1, 1) << QDate(2, 1, 5);
    QTest::newRow("the view that ends with December 9999")
        << QDate(9999, 1, 1) << Qt::Monday << QDate(9998, 12, 28) << QDate(9999, 12, 31);
    QTest::newRow("the view that runs past December 9999")
        << QDate(9999, 6, 1) << Qt::Monday << QDate(9999, 5, 31) << QDate(9999, 12, 31);
}

// The days shown, read month by month, run without a gap or a repeat.
void TestMonthPage::viewShowsEachDayOnce()
{
    QFETCH(QDate, firstVisible);
    QFETCH(Qt::DayOfWeek, firstDay);
    QFETCH(QDate, firstShown);
    QFETCH(QDate, lastShown);

    QList<QDate> shown;
    for (int position = 0; position < MonthsPerView; ++position) {
        for (int cell = 0; cell < CellsPerPage; ++cell) {
            const QDate date = DateShownInCell(firstVisible, position, cell, firstDay);
            if (date.isValid())
                shown.append(date);
        }
    }
    QVERIFY(!shown.isEmpty());
    QCOMPARE(shown.first(), firstShown);
    QCOMPARE(shown.last(), lastShown);
    for (qsizetype i = 1; i < shown.size(); ++i)
        QCOMPARE(shown[i], shown[i - 1].addDays(1));
}

void TestMonthPage::followSelection_data()
{
    QTest::addColumn<QDate>("firstVisible");
    QTest::addColumn<QDate>("selected");
    QTest::addColumn<QDate>("expected");

    const QDate february = QDate(2026, 2, 1);
    QTest::newRow("the first selection puts its month top left")
        << QDate() << QDate(2026, 2, 28) << february;
    QTest::newRow("the first selection of 31 December 9999 puts December 9999 top left")
        << QDate() << QDate(9999, 12, 31) << QDate(9999, 12, 1);
    QTest::newRow("a day in the first month keeps the view")
        << february << QDate(2026, 2, 1) << february;
    QTest::newRow("a day in the last month keeps the view")
        << february << QDate(2027, 1, 31) << february;
    QTest::newRow("the month after the view scrolls one row forward")
        << february << QDate(2027, 2, 1) << QDate(2026, 5, 1);
    QTest::newRow("the third month after the view still scrolls one row forward")
        << february << QDate(2027, 4, 30) << QDate(2026, 5, 1);
    QTest::newRow("the fourth month after the view scrolls two rows forward")
        << february << QDate(2027, 5, 1) << QDate(2026, 8, 1);
    QTest::newRow("the month before the view scrolls one row back")
        << february << QDate(2026, 1, 31) << QDate(2025, 11, 1);
    QTest::newRow("the third month before the view still scrolls one row back")
        << february << QDate(2025, 11, 1) << QDate(2025, 11, 1);
    QTest::newRow("the fourth month before the view scrolls two rows back")
        << february << QDate(2025, 10, 31) << QDate(2025, 8, 1);
    QTest::newRow("a far jump forward brings the month into the bottom row")
        << february << QDate(2100, 6, 15) << QDate(2099, 8, 1);
    QTest::newRow("a far jump back brings the month into the top row")
        << february << QDate(1900, 1, 1) << QDate(1899, 11, 1);
    QTest::newRow("a row back from March 0001 stops at January 0001")
        << QDate(1, 3, 1) << QDate(1, 1, 1) << QDate(1, 1, 1);
    QTest::newRow("December 9999 in the view keeps it")
        << QDate(9999, 1, 1) << QDate(9999, 12, 31) << QDate(9999, 1, 1);
    QTest::newRow("December 9999 beyond the view scrolls as for any month")
        << QDate(9998, 9, 1) << QDate(9999, 12, 31) << QDate(9999, 3, 1);
    QTest::newRow("an invalid selection keeps the view") << february << QDate() << february;
    QTest::newRow("a selection after the range keeps the view")
        << february << QDate(10000, 1, 1) << february;
}

void TestMonthPage::followSelection()
{
    QFETCH(QDate, firstVisible);
    QFETCH(QDate, selected);
    QFETCH(QDate, expected);

    QCOMPARE(FirstVisibleAfterSelecting(firstVisible, selected), expected);
}

void TestMonthPage::scrollRows_data()
{
    QTest::addColumn<QDate>("firstVisible");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QDate>("expected");

    QTest::newRow("a row forward is three months later")
        << QDate(2026, 2, 1) << 1 << QDate(2026, 5, 1);
    QTest::newRow("a row back crosses into the year before")
        << QDate(2026, 2, 1) << -1 << QDate(2025, 11, 1);
    QTest::newRow("four rows back is a year back") << QDate(2026, 2, 1) << -4 << QDate(2025, 2, 1);
    QTest::newRow("a row back from March 0001 stops at January 0001")
        << QDate(1, 3, 1) << -1 << QDate(1, 1, 1);
    QTest::newRow("at January 0001 a row back stays") << QDate(1, 1, 1) << -1 << QDate(1, 1, 1);
    QTest::newRow("a row forward from November 9999 stops at December 9999")
        << QDate(9999, 11, 1) << 1 << QDate(9999, 12, 1);
    QTest::newRow("the most rows forward stop at December 9999")
        << QDate(2026, 2, 1) << std::numeric_limits<int>::max() << QDate(9999, 12, 1);
    QTest::newRow("the most rows back stop at January 0001")
        << QDate(2026, 2, 1) << std::numeric_limits<int>::min() << QDate(1, 1, 1);
    QTest::newRow("nothing shown scrolls nowhere") << QDate() << 1 << QDate();
}

void TestMonthPage::scrollRows()
{
    QFETCH(QDate, firstVisible);
    QFETCH(int, rows);
    QFETCH(QDate, expected);

    QCOMPARE(FirstVisibleAfterScrolling(firstVisible, rows), expected);
}

void TestMonthPage::monthTitle_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDate>("month");
    QTest::addColumn<QString>("title");

    const QDate march = QDate(2026, 3, 1);
    QTest::newRow("en_US") << "en_US" << march << QStringLiteral("March 2026");
    QTest::newRow("de_DE") << "de_DE" << march << QStringLiteral("März 2026");
    QTest::newRow("ru_RU takes the nominative month name")
        << "ru_RU" << march << QStringLiteral("март 2026");
    QTest::newRow("pl_PL takes the nominative month name")
        << "pl_PL" << march << QStringLiteral("marzec 2026");
    QTest::newRow("ja_JP puts the year first") << "ja_JP" << march << QStringLiteral("2026年3月");
    QTest::newRow("zh_CN writes the month as a number")
        << "zh_CN" << march << QStringLiteral("2026年3月");
    QTest::newRow("ko_KR") << "ko_KR" << march << QStringLiteral("2026년 3월");
    QTest::newRow("hu_HU puts the year first")
        << "hu_HU" << march << QStringLiteral("2026. március");
    QTest::newRow("lt_LT puts the year first with the nominative month name")
        << "lt_LT" << march << QStringLiteral("2026 m. kovas");
    QTest::newRow("ar_EG writes the year in its own digits")
        << "ar_EG" << march << QStringLiteral("مارس ٢٠٢٦");
    QTest::newRow("the first month of the range has four year digits")
        << "en_US" << QDate(1, 1, 1) << QStringLiteral("January 0001");
    QTest::newRow("any day stands for its month")
        << "en_US" << QDate(2026, 3, 31) << QStringLiteral("March 2026");
    QTest::newRow("a month after the range has no title")
        << "en_US" << QDate(10000, 1, 1) << QString();
}

void TestMonthPage::monthTitle()
{
    QFETCH(QString, locale);
    QFETCH(QDate, month);
    QFETCH(QString, title);

    QCOMPARE(MonthTitle(month, QLocale(locale)), title);
}

QTEST_APPLESS_MAIN(TestMonthPage)
#include "tst_monthpage.moc"
