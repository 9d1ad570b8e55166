#pragma once

#include <QString>

class QDate;
class QLocale;

// A moment as a count of days: the whole part is the calendar day (day 0 is
// 30 December 1899), the fraction is the time of day. A later moment is always
// the larger number, also before day 0, so the day of t is floor(t).
using TDateTime = double;

// The supported range, 1 January 0001 to 31 December 9999, as day counts.
inline constexpr TDateTime MinDateTime = -693593.0;
inline constexpr TDateTime MaxDateTime = 2958465.0;

// Conversions between a day count and a calendar date. DateToQDate returns an
// invalid QDate outside the supported range; QDateToDate expects a valid date.
QDate DateToQDate(TDateTime t);
TDateTime QDateToDate(QDate d);

// Whether t lies on a day within the supported range.
bool IsValidDate(TDateTime t);

// Today's local date, time of day zero.
TDateTime Date();

// Tests pin "today" with this; nullptr restores the system clock. The program
// itself never calls it.
void SetTodaySource(QDate (*today)());

// Steps by whole days, weeks of 7 days or calendar months. The time of day is
// kept. A month step clamps the day to the target month's last day
// (31 January + 1 month = 28 or 29 February). A step that would leave the
// supported range, or that starts outside it, returns t unchanged.
TDateTime IncDay(TDateTime t, int days);
TDateTime IncWeek(TDateTime t, int weeks);
TDateTime IncMonth(TDateTime t, int months);

// 0 when a and b fall on the same calendar day whatever their times of day,
// otherwise -1 when a lies on an earlier day and 1 when on a later one.
int CompareDate(TDateTime a, TDateTime b);

// The number of t's day within its year: 1 for 1 January, at most 366.
// 0 for a day outside the supported range.
quint16 DayOfTheYear(TDateTime t);

// The locale that dates are written in: that of LC_ALL, else LC_TIME, else
// LANG, as POSIX orders them; the C locale when none is set.
QLocale TimeLocale();

// The long date pattern of a locale (Qt's pattern syntax); by default the
// time locale's.
QString LongDateFormat();
QString LongDateFormat(const QLocale &locale);

// t written out with the pattern and the locale's own day and month names;
// empty for a day outside the supported range.
QString FormatDateTime(const QString &format, TDateTime t);
QString FormatDateTime(const QString &format, TDateTime t, const QLocale &locale);

// The nearest whole number; an exact half rounds away from zero.
qint64 Round(double x);

// Decimal digits with a leading '-' for negatives, never grouped.
QString IntToStr(qint64 n);
