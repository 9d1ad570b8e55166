#include "monthpage.h"

#include "dates.h"

#include <QDate>
#include <QLocale>
#include <QString>

#include <algorithm>

namespace {

bool inRange(QDate date)
{
    return date.isValid() && date >= DateToQDate(MinDateTime) && date <= DateToQDate(MaxDateTime);
}

// Months are counted from January of year 0 so that month arithmetic never
// passes through QDate, which has no year 0 and would go on into years BC.
qint64 monthNumber(QDate date)
{
    return qint64(date.year()) * 12 + date.month() - 1;
}

QDate monthFromNumber(qint64 number)
{
    if (number < monthNumber(DateToQDate(MinDateTime))
        || number > monthNumber(DateToQDate(MaxDateTime)))
        return {};
    return QDate(int(number / 12), int(number % 12) + 1, 1);
}

QDate clampedMonth(qint64 number)
{
    return monthFromNumber(std::clamp(
        number, monthNumber(DateToQDate(MinDateTime)), monthNumber(DateToQDate(MaxDateTime))));
}

QString quoted(QString text)
{
    return u'\'' + text.replace(u'\'', QStringLiteral("''")) + u'\'';
}

} // namespace

QDate FirstOfMonth(QDate date)
{
    return inRange(date) ? QDate(date.year(), date.month(), 1) : QDate();
}

QDate AddMonths(QDate month, int months)
{
    return inRange(month) ? monthFromNumber(monthNumber(month) + months) : QDate();
}

int LeadingCells(QDate month, Qt::DayOfWeek firstDayOfWeek)
{
    const QDate first = FirstOfMonth(month);
    return first.isValid() ? (first.dayOfWeek() - firstDayOfWeek + DaysPerWeek) % DaysPerWeek : 0;
}

QDate DateInCell(QDate month, int cell, Qt::DayOfWeek firstDayOfWeek)
{
    const QDate first = FirstOfMonth(month);
    if (!first.isValid() || cell < 0 || cell >= CellsPerPage)
        return {};
    const QDate date = first.addDays(cell - LeadingCells(first, firstDayOfWeek));
    return inRange(date) ? date : QDate();
}

int CellOfDate(QDate month, QDate date, Qt::DayOfWeek firstDayOfWeek)
{
    const QDate first = FirstOfMonth(month);
    if (!first.isValid() || !inRange(date))
        return -1;
    const qint64 cell = first.daysTo(date) + LeadingCells(first, firstDayOfWeek);
    return cell >= 0 && cell < CellsPerPage ? int(cell) : -1;
}

QDate DateShownInCell(QDate firstVisible, int position, int cell, Qt::DayOfWeek firstDayOfWeek)
{
    if (position < 0 || position >= MonthsPerView)
        return {};
    const QDate month = AddMonths(firstVisible, position);
    const QDate date = DateInCell(month, cell, firstDayOfWeek);
    if (!date.isValid())
        return {};
    const QDate own = FirstOfMonth(date);
    if (own == month || (position == 0 && own < month)
        || (position == MonthsPerView - 1 && own > month))
        return date;
    return {};
}

QDate FirstVisibleAfterSelecting(QDate firstVisible, QDate selected)
{
    const QDate month = FirstOfMonth(selected);
    const QDate first = FirstOfMonth(firstVisible);
    if (!month.isValid())
        return first;
    if (!first.isValid())
        return month;
    const qint64 offset = monthNumber(month) - monthNumber(first);
    qint64 rows = 0;
    if (offset < 0)
        rows = -((-offset + MonthsPerRow - 1) / MonthsPerRow);
    else if (offset >= MonthsPerView)
        rows = (offset - MonthsPerView) / MonthsPerRow + 1;
    return clampedMonth(monthNumber(first) + rows * MonthsPerRow);
}

QDate FirstVisibleAfterScrolling(QDate firstVisible, int rows)
{
    const QDate first = FirstOfMonth(firstVisible);
    return first.isValid() ? clampedMonth(monthNumber(first) + qint64(rows) * MonthsPerRow)
                           : QDate();
}

QString MonthTitle(QDate month, const QLocale &locale)
{
    const QDate first = FirstOfMonth(month);
    if (!first.isValid())
        return {};
    const QString name = locale.standaloneMonthName(first.month());

    // Qt has no year-and-month pattern. Most languages put the stand-alone
    // month name before the year: a date pattern's MMMM would be the genitive
    // in Russian or Polish ("марта 2026"). Languages whose long date starts
    // with the year write the title as that date does up to its month and the
    // month's counter word: "2026年3月", "2026년 3월", "2026. március".
    const QString pattern = locale.dateFormat(QLocale::LongFormat);
    const qsizetype yearAt = pattern.indexOf(u'y');
    const qsizetype monthAt = pattern.indexOf(u'M');
    if (yearAt < 0 || monthAt < yearAt)
        return name + u' ' + locale.toString(first, u"yyyy");

    qsizetype monthEnd = monthAt;
    while (monthEnd < pattern.size() && pattern[monthEnd] == u'M')
        ++monthEnd;
    qsizetype end = monthEnd;
    while (end < pattern.size() && pattern[end].isLetter() && pattern[end].unicode() > 0x7f)
        ++end;
    const QString monthField
        = monthEnd - monthAt >= 4 ? quoted(name) : pattern.mid(monthAt, monthEnd - monthAt);
    return locale.toString(first,
        pattern.mid(yearAt, monthAt - yearAt) + monthField + pattern.mid(monthEnd, end - monthEnd));
}
