#include "dateinfo.h"

#include <QLocale>
#include <QString>

#include <algorithm>

namespace {

// With a time of day on s, s - t can round to 0 although s lies on another
// day ("That was: 0 days ago."); such a distance still counts as one day.
qint64 daysApart(TDateTime later, TDateTime earlier)
{
    return std::max<qint64>(1, Round(later - earlier));
}

} // namespace

QString DaysUntilText(TDateTime s, TDateTime t)
{
    if (CompareDate(t, s) == 0)
        return QStringLiteral("That's today!");
    if (t > s)
        return QStringLiteral("That was: ") + IntToStr(daysApart(t, s))
            + QStringLiteral(" days ago.");
    return QStringLiteral("Days until then: ") + IntToStr(daysApart(s, t)) + QStringLiteral(".");
}

QString DayOfYearText(TDateTime s)
{
    return DayOfYearText(s, TimeLocale());
}

QString DayOfYearText(TDateTime s, const QLocale &locale)
{
    return FormatDateTime(LongDateFormat(locale), s, locale) + QStringLiteral(" is day #")
        + IntToStr(DayOfTheYear(s)) + QStringLiteral(" of the year.");
}
