#include "dates.h"

#include <QDate>
#include <QLocale>
#include <QString>

#include <cmath>

namespace {

// QDate's Julian day of day 0, 30 December 1899.
constexpr qint64 JulianDayOfZero = 2415019;

QDate (*todaySource)() = nullptr;

// The day of t as a Julian day, or nothing when t is not a usable number.
bool dayOf(TDateTime t, qint64 &julianDay)
{
    if (!std::isfinite(t) || t < MinDateTime || t >= MaxDateTime + 1.0)
        return false;
    julianDay = JulianDayOfZero + static_cast<qint64>(std::floor(t));
    return true;
}

TDateTime timeOfDay(TDateTime t)
{
    return t - std::floor(t);
}

// Moves t to another day, keeping its time of day, unless that day is out of range.
TDateTime moveTo(TDateTime t, QDate day)
{
    if (!day.isValid())
        return t;
    const TDateTime moved = QDateToDate(day) + timeOfDay(t);
    return IsValidDate(moved) ? moved : t;
}

} // namespace

QDate DateToQDate(TDateTime t)
{
    qint64 jd = 0;
    return dayOf(t, jd) ? QDate::fromJulianDay(jd) : QDate();
}

TDateTime QDateToDate(QDate d)
{
    return static_cast<TDateTime>(d.toJulianDay() - JulianDayOfZero);
}

bool IsValidDate(TDateTime t)
{
    qint64 jd = 0;
    return dayOf(t, jd);
}

TDateTime Date()
{
    return QDateToDate(todaySource ? todaySource() : QDate::currentDate());
}

void SetTodaySource(QDate (*today)())
{
    todaySource = today;
}

TDateTime IncDay(TDateTime t, int days)
{
    const QDate d = DateToQDate(t);
    return d.isValid() ? moveTo(t, d.addDays(days)) : t;
}

TDateTime IncWeek(TDateTime t, int weeks)
{
    return IncDay(t, 7 * weeks);
}

TDateTime IncMonth(TDateTime t, int months)
{
    const QDate d = DateToQDate(t);
    return d.isValid() ? moveTo(t, d.addMonths(months)) : t;
}

int CompareDate(TDateTime a, TDateTime b)
{
    const double da = std::floor(a);
    const double db = std::floor(b);
    return da < db ? -1 : (da > db ? 1 : 0);
}

quint16 DayOfTheYear(TDateTime t)
{
    const QDate d = DateToQDate(t);
    return d.isValid() ? static_cast<quint16>(d.dayOfYear()) : 0;
}

QLocale TimeLocale()
{
    for (const char *name : {"LC_ALL", "LC_TIME", "LANG"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            return QLocale(value);
    }
    return QLocale::c();
}

QString LongDateFormat()
{
    return LongDateFormat(TimeLocale());
}

QString LongDateFormat(const QLocale &locale)
{
    return locale.dateFormat(QLocale::LongFormat);
}

QString FormatDateTime(const QString &format, TDateTime t)
{
    return FormatDateTime(format, t, TimeLocale());
}

QString FormatDateTime(const QString &format, TDateTime t, const QLocale &locale)
{
    const QDate d = DateToQDate(t);
    return d.isValid() ? locale.toString(d, format) : QString();
}

qint64 Round(double x)
{
    return std::llround(x);
}

QString IntToStr(qint64 n)
{
    return QString::number(n);
}
