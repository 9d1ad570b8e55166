#include "monthgrid.h"

#include "dates.h"
#include "monthpage.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

namespace {

constexpr int Gutter = 2;
// A title band, a row of weekday names and six weeks, all of one height.
constexpr int RowsPerMonth = 2 + WeeksPerPage;
constexpr int WheelNotch = 120;

// The start of part i when length is cut into n parts with gap between them.
// Integer edges keep every fill on whole pixels at any device pixel ratio.
int partStart(int length, int gap, int n, int i)
{
    return i * (length + gap) / n;
}

std::pair<int, int> part(int start, int length, int gap, int n, int i)
{
    const int from = start + partStart(length, gap, n, i);
    return {from, start + partStart(length, gap, n, i + 1) - gap - from};
}

void drawFrame(QPainter &painter, const QRect &r, const QColor &color)
{
    painter.fillRect(r.left(), r.top(), r.width(), 1, color);
    painter.fillRect(r.left(), r.bottom(), r.width(), 1, color);
    painter.fillRect(r.left(), r.top(), 1, r.height(), color);
    painter.fillRect(r.right(), r.top(), 1, r.height(), color);
}

// On whole pixels: a glyph is then rendered once for every place it starts at
// within a pixel, not once for every fraction, and the same digit looks the
// same in every cell.
void drawCentred(QPainter &painter, const QRect &r, const QStaticText &text)
{
    const QSize size = text.size().toSize();
    painter.drawStaticText(
        QPoint(r.x() + (r.width() - size.width()) / 2, r.y() + (r.height() - size.height()) / 2),
        text);
}

QStaticText preparedText(const QString &text, const QFont &font)
{
    QStaticText result(text);
    result.setTextFormat(Qt::PlainText);
    result.prepare(QTransform(), font);
    return result;
}

QString longDate(const MonthGrid *grid)
{
    const QDate date = grid->selectedDate();
    return date.isValid()
        ? FormatDateTime(LongDateFormat(grid->locale()), QDateToDate(date), grid->locale())
        : QString();
}

// A table, as a screen reader knows a month grid. The days are painted, not
// child objects, so the name carries the selected date: that is what is read
// out on focus and again on every change.
class MonthGridAccessible : public QAccessibleWidget
{
public:
    explicit MonthGridAccessible(MonthGrid *grid) : QAccessibleWidget(grid, QAccessible::Table) { }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name || t == QAccessible::Value)
            return longDate(static_cast<const MonthGrid *>(widget()));
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *accessibleFactory(const QString &key, QObject *object)
{
    auto *grid = qobject_cast<MonthGrid *>(object);
    if (grid && key == QLatin1String(MonthGrid::staticMetaObject.className()))
        return new MonthGridAccessible(grid);
    return nullptr;
}

} // namespace

MonthGrid::MonthGrid(QWidget *parent) : QWidget(parent)
{
    // Once for the run, before a screen reader can ask for any grid.
    static const bool accessible = [] {
        QAccessible::installFactory(accessibleFactory);
        return true;
    }();
    Q_UNUSED(accessible);

    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QDate MonthGrid::selectedDate() const
{
    return selection;
}

void MonthGrid::setSelectedDate(QDate date)
{
    if (!date.isValid() || date < DateToQDate(MinDateTime) || date > DateToQDate(MaxDateTime)
        || date == selection)
        return;
    const QDate previous = selection;
    const QDate previousFirst = firstVisible;
    selection = date;
    firstVisible = FirstVisibleAfterSelecting(firstVisible, date);
    // While the view stays, only the two days' cells change.
    if (previous.isValid() && firstVisible == previousFirst) {
        update(cellRectOf(previous));
        update(cellRectOf(date));
    } else {
        update();
    }
    announceName();
    emit selectedDateChanged(date);
}

QDate MonthGrid::firstVisibleMonth() const
{
    return firstVisible;
}

QSize MonthGrid::sizeHint() const
{
    // The window's calendar area, laid out for 96 dpi.
    return {564, 606};
}

void MonthGrid::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect dirty = event->rect();
    painter.fillRect(dirty, Qt::black);
    prepareTexts(monthRect(0).width() / DaysPerWeek);
    for (int position = 0; position < MonthsPerView; ++position) {
        if (monthRect(position).intersects(dirty))
            paintMonth(painter, position, dirty);
    }
    paintArrow(painter, false);
    paintArrow(painter, true);
}

void MonthGrid::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const QPoint pos = event->position().toPoint();
    if (arrowRect(false).contains(pos)) {
        scrollRows(-1);
    } else if (arrowRect(true).contains(pos)) {
        scrollRows(1);
    } else if (const QDate date = dateAt(pos); date.isValid()) {
        setSelectedDate(date);
        emit clicked(date);
    }
}

void MonthGrid::wheelEvent(QWheelEvent *event)
{
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        event->ignore();
        return;
    }
    // Touchpads send fractions of a notch; they add up until a whole notch,
    // and turning the other way starts afresh.
    if ((delta < 0) != (wheelRemainder < 0))
        wheelRemainder = 0;
    wheelRemainder += delta;
    const int notches = wheelRemainder / WheelNotch;
    wheelRemainder -= notches * WheelNotch;
    scrollRows(-notches);
}

void MonthGrid::keyPressEvent(QKeyEvent *event)
{
    // The window's own key table moves the selection, so every key goes on
    // to it unhandled.
    event->ignore();
}

void MonthGrid::changeEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::LocaleChange:
        announceName();
        Q_FALLTHROUGH();
    case QEvent::FontChange:
    case QEvent::PaletteChange:
    case QEvent::LayoutDirectionChange:
        update();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

QRect MonthGrid::monthRect(int position) const
{
    int column = position % MonthsPerRow;
    if (layoutDirection() == Qt::RightToLeft)
        column = MonthsPerRow - 1 - column;
    const auto [x, w] = part(0, width(), Gutter, MonthsPerRow, column);
    const auto [y, h] = part(0, height(), Gutter, MonthRows, position / MonthsPerRow);
    return {x, y, w, h};
}

QRect MonthGrid::rowRect(const QRect &month, int row) const
{
    const auto [y, h] = part(month.top(), month.height(), 0, RowsPerMonth, row);
    return {month.left(), y, month.width(), h};
}

QRect MonthGrid::cellRect(const QRect &month, int row, int column) const
{
    if (layoutDirection() == Qt::RightToLeft)
        column = DaysPerWeek - 1 - column;
    const auto [x, w] = part(month.left(), month.width(), 0, DaysPerWeek, column);
    const QRect band = rowRect(month, row);
    return {x, band.top(), w, band.height()};
}

// The arrows sit at the outer ends of the view: going back at the leading
// end of the first title band, going forward at the trailing end of the last.
QRect MonthGrid::arrowRect(bool forward) const
{
    const QRect band = rowRect(monthRect(forward ? MonthsPerView - 1 : 0), 0);
    const bool atLeft = forward == (layoutDirection() == Qt::RightToLeft);
    const int side = band.height();
    return {atLeft ? band.left() : band.right() + 1 - side, band.top(), side, side};
}

QDate MonthGrid::dateAt(QPoint pos) const
{
    for (int position = 0; position < MonthsPerView; ++position) {
        const QRect month = monthRect(position);
        if (!month.contains(pos))
            continue;
        for (int cell = 0; cell < CellsPerPage; ++cell) {
            if (cellRect(month, 2 + cell / DaysPerWeek, cell % DaysPerWeek).contains(pos))
                return DateShownInCell(firstVisible, position, cell, locale().firstDayOfWeek());
        }
    }
    return {};
}

// The cells that show date: one, or none when it is out of view.
QRect MonthGrid::cellRectOf(QDate date) const
{
    const Qt::DayOfWeek firstDay = locale().firstDayOfWeek();
    for (int position = 0; position < MonthsPerView; ++position) {
        const QDate month = AddMonths(firstVisible, position);
        const int cell = month.isValid() ? CellOfDate(month, date, firstDay) : -1;
        if (cell >= 0 && DateShownInCell(firstVisible, position, cell, firstDay) == date)
            return cellRect(monthRect(position), 2 + cell / DaysPerWeek, cell % DaysPerWeek);
    }
    return {};
}

void MonthGrid::scrollRows(int rows)
{
    const QDate first = FirstVisibleAfterScrolling(firstVisible, rows);
    if (first == firstVisible)
        return;
    firstVisible = first;
    update();
}

void MonthGrid::announceName()
{
    QAccessibleEvent nameChanged(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&nameChanged);
    QAccessibleValueChangeEvent valueChanged(this, longDate(this));
    QAccessible::updateAccessibility(&valueChanged);
}

void MonthGrid::prepareTexts(int cellWidth)
{
    const QLocale loc = locale();
    const QString key = font().key() + loc.name() + QString::number(cellWidth);
    if (key == textsKey)
        return;
    textsKey = key;
    titles.clear();

    for (int day = 1; day <= 31; ++day)
        dayNumbers[day - 1] = preparedText(loc.toString(day), font());
    // Short names where all of them fit a cell, single letters otherwise.
    const auto prepareNames = [&](QLocale::FormatType format) {
        bool fit = true;
        for (int day = 1; day <= DaysPerWeek; ++day) {
            dayNames[day - 1] = preparedText(loc.dayName(day, format), font());
            fit = fit && dayNames[day - 1].size().width() <= cellWidth - 2;
        }
        return fit;
    };
    if (!prepareNames(QLocale::ShortFormat))
        prepareNames(QLocale::NarrowFormat);
}

const QStaticText &MonthGrid::title(QDate month, int width)
{
    // Columns can differ by a pixel, and a month can change column at the
    // ends of the range, so a title is kept with the width it was made for.
    auto found = titles.constFind(month);
    if (found != titles.cend() && found->width == width)
        return found->text;
    // Only the months in view and the row that scrolled out are worth keeping.
    if (titles.size() >= 2 * MonthsPerView)
        titles.clear();
    QStaticText text = preparedText(MonthTitle(month, locale()), font());
    if (text.size().width() > width)
        text = preparedText(fontMetrics().elidedText(text.text(), Qt::ElideRight, width), font());
    return titles.insert(month, {text, width})->text;
}

void MonthGrid::paintMonth(QPainter &painter, int position, const QRect &dirty)
{
    const QRect area = monthRect(position);
    const QRect band = rowRect(area, 0);
    painter.fillRect(area & dirty, palette().color(QPalette::Base));
    painter.fillRect(band & dirty, palette().color(QPalette::Highlight));

    // A month beyond the supported range keeps its blank band and nothing else.
    const QDate month = AddMonths(firstVisible, position);
    if (!month.isValid())
        return;

    const QLocale loc = locale();
    painter.setFont(font());
    if (band.intersects(dirty)) {
        painter.setPen(palette().color(QPalette::HighlightedText));
        const QRect titleRect = band.adjusted(band.height(), 0, -band.height(), 0);
        drawCentred(painter, titleRect, title(month, titleRect.width()));
    }

    const Qt::DayOfWeek firstDay = loc.firstDayOfWeek();
    painter.setPen(palette().color(QPalette::Text));
    for (int column = 0; column < DaysPerWeek; ++column) {
        const int day = (firstDay - 1 + column) % DaysPerWeek;
        drawCentred(painter, cellRect(area, 1, column), dayNames[day]);
    }

    const QDate today = DateToQDate(Date());
    const QDate firstCell = month.addDays(-LeadingCells(month, firstDay));
    for (int cell = 0; cell < CellsPerPage; ++cell) {
        const QRect r = cellRect(area, 2 + cell / DaysPerWeek, cell % DaysPerWeek);
        if (!r.intersects(dirty))
            continue;
        // The month's own days always show; a neighbour's day only where the
        // view's rules put one.
        QDate date = firstCell.addDays(cell);
        const bool own = date.month() == month.month() && date.year() == month.year();
        if (!own)
            date = DateShownInCell(firstVisible, position, cell, firstDay);
        if (!date.isValid())
            continue;
        const bool selected = date == selection;
        QColor ink = own ? palette().color(QPalette::Text) : QColor(Qt::black);
        if (selected) {
            painter.fillRect(r, palette().color(QPalette::Highlight));
            ink = palette().color(QPalette::HighlightedText);
        }
        // Inset by a pixel, so that on the selection's fill it stays a frame.
        if (date == today)
            drawFrame(painter, r.adjusted(1, 1, -1, -1),
                palette().color(selected ? QPalette::HighlightedText : QPalette::Highlight));
        painter.setPen(ink);
        drawCentred(painter, r, dayNumbers[date.day() - 1]);
    }
}

void MonthGrid::paintArrow(QPainter &painter, bool forward) const
{
    if (FirstVisibleAfterScrolling(firstVisible, forward ? 1 : -1) == firstVisible)
        return;
    const QRectF r = arrowRect(forward);
    const bool pointsLeft = forward == (layoutDirection() == Qt::RightToLeft);
    const qreal half = r.height() / 4;
    const QPointF c = r.center();
    const qreal tip = pointsLeft ? -half : half;
    const QPointF triangle[]
        = {{c.x() + tip, c.y()}, {c.x() - tip, c.y() - half}, {c.x() - tip, c.y() + half}};
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(QPalette::HighlightedText));
    painter.drawPolygon(triangle, 3);
    painter.restore();
}
