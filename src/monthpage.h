#pragma once

#include <Qt>

class QDate;
class QLocale;
class QString;

// A month page is the grid of six weeks that shows one month: its first row
// starts on the first day of the week, so the cells before the month's first
// day and after its last hold days of the neighbouring months.
inline constexpr int DaysPerWeek = 7;
inline constexpr int WeeksPerPage = 6;
inline constexpr int CellsPerPage = DaysPerWeek * WeeksPerPage;

// The view is twelve consecutive months, read row by row, three to a row.
inline constexpr int MonthsPerRow = 3;
inline constexpr int MonthRows = 4;
inline constexpr int MonthsPerView = MonthsPerRow * MonthRows;

// Everywhere below, a month is given by any of its days, and only months from
// January 0001 to December 9999 exist: the others have no days.

// The first day of date's month; invalid for a date outside the supported range.
QDate FirstOfMonth(QDate date);

// The first day of the month months after month's; invalid when that month
// lies outside the supported range.
QDate AddMonths(QDate month, int months);

// How many cells of month's page come before its first day: 0 to 6.
int LeadingCells(QDate month, Qt::DayOfWeek firstDayOfWeek);

// The day in cell 0 to 41 of month's page, counted row by row; invalid for
// another cell or for a day outside the supported range.
QDate DateInCell(QDate month, int cell, Qt::DayOfWeek firstDayOfWeek);

// The cell of date on month's page, or -1 when the page does not show it.
int CellOfDate(QDate month, QDate date, Qt::DayOfWeek firstDayOfWeek);

// The day a view starting at firstVisible shows in a cell of its month number
// position (0 to 11). Neighbouring months' days show only before the first
// month and after the last, so that no day shows twice; an empty cell is an
// invalid date.
QDate DateShownInCell(QDate firstVisible, int position, int cell, Qt::DayOfWeek firstDayOfWeek);

// The first visible month once selected is selected: firstVisible while
// selected's month is in view, otherwise moved by as few whole rows as bring
// it into view (never before January 0001); selected's month when firstVisible
// is invalid, as before anything was shown.
QDate FirstVisibleAfterSelecting(QDate firstVisible, QDate selected);

// The first visible month after scrolling by rows whole rows, held within
// January 0001 to December 9999; invalid while nothing is shown.
QDate FirstVisibleAfterScrolling(QDate firstVisible, int rows);

// The title of month's page in the locale's words, "March 2026" or
// "2026年3月"; empty for a month outside the supported range.
QString MonthTitle(QDate month, const QLocale &locale);
