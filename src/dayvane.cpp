#include "dateinfo.h"

#include <QTextStream>

int main()
{
    const TDateTime today = Date();
    QTextStream out(stdout);
    out << DayOfYearText(today) << '\n' << DaysUntilText(today, today) << '\n';
    return 0;
}
