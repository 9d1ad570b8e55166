#pragma once

#include "dates.h"

class QLocale;

// The distance line for selected date s against today t: "That's today!",
// "That was: n days ago." or "Days until then: n.". n is never grouped and,
// since s then lies on another day, never below 1.
QString DaysUntilText(TDateTime s, TDateTime t);

// The day-of-year line: s written out in the long date format, then
// " is day #", its number within the year and " of the year.".
QString DayOfYearText(TDateTime s);
QString DayOfYearText(TDateTime s, const QLocale &locale);
