#include "monthgrid.h"
#include "pinned.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QWheelEvent>

#include <memory>

namespace {

const QColor BaseColor(250, 250, 240);
const QColor TextColor(0, 0, 160);
const QColor HighlightColor(0, 110, 40);
const QColor HighlightedTextColor(255, 230, 0);
const QColor Black(Qt::black);

enum class Side { Left, Right };
enum class Action { Select, SelectSame, Click, Wheel, ChangeLocale };
enum class Change { StepInView, Locale, Font, RowForwardAndBack };

// A fresh grid as the window shows it, with colours that tell every part
// apart; today is 31 March 2026.
std::unique_ptr<MonthGrid> openGrid(const QString &locale, QDate selected)
{
    Pinned::setToday(QDate(2026, 3, 31));
    auto grid = std::make_unique<MonthGrid>();
    grid->setLocale(QLocale(locale));
    // As the application sets it for its locale.
    grid->setLayoutDirection(QLocale(locale).textDirection());
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    grid->setFont(font);
    QPalette pal = grid->palette();
    pal.setColor(QPalette::Base, BaseColor);
    pal.setColor(QPalette::Text, TextColor);
    pal.setColor(QPalette::Highlight, HighlightColor);
    pal.setColor(QPalette::HighlightedText, HighlightedTextColor);
    grid->setPalette(pal);
    grid->resize(grid->sizeHint());
    grid->setSelectedDate(selected);
    grid->show();
    if (!QTest::qWaitForWindowExposed(grid.get()))
        qWarning("the grid was not exposed");
    return grid;
}

QString describe(const QRect &r)
{
    return QStringLiteral("%1x%2 at %3,%4").arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y());
}

// What the screen shows at a device pixel ratio, in device pixels.
QImage snapshot(MonthGrid &grid, int ratio)
{
    if (ratio == 1)
        return grid.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage image(grid.size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    grid.render(&image);
    return image;
}

// What the screen shows once the grid has handled its pending repaints, which
// may have covered only part of it.
QImage shown(MonthGrid &grid)
{
    QCoreApplication::processEvents();
    return grid.screen()->grabWindow(grid.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

QFont windowFont(int pointSize)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(pointSize);
    return font;
}

// The twelve month areas between the black gutters, row by row and left to
// right on the screen. Above the first row's text and along the left edge
// nothing but a gutter is black.
QList<QRect> monthAreas(const QImage &image)
{
    const auto spans = [](int length, auto isGutter) {
        QList<std::pair<int, int>> result;
        int start = -1;
        for (int i = 0; i <= length; ++i) {
            const bool inside = i < length && !isGutter(i);
            if (inside && start < 0)
                start = i;
            if (!inside && start >= 0) {
                result.append({start, i - start});
                start = -1;
            }
        }
        return result;
    };
    const auto columns
        = spans(image.width(), [&](int x) { return image.pixelColor(x, 1) == Black; });
    const auto rows = spans(image.height(), [&](int y) { return image.pixelColor(0, y) == Black; });
    QList<QRect> areas;
    for (const auto &[y, h] : rows) {
        for (const auto &[x, w] : columns)
            areas.append(QRect(x, y, w, h));
    }
    return areas;
}

// A month area holds eight rows of one height (the title band, the weekday
// names, six weeks) and seven columns.
QRect cellArea(const QRect &month, int row, int column)
{
    const int left = month.left() + column * month.width() / 7;
    const int top = month.top() + row * month.height() / 8;
    return QRect(left, top, month.left() + (column + 1) * month.width() / 7 - left,
        month.top() + (row + 1) * month.height() / 8 - top);
}

QPoint dayCentre(const QRect &month, int week, int column)
{
    return cellArea(month, 2 + week, column).center();
}

// The colours met from one pixel to another, each run of one colour once.
QList<QColor> runs(const QImage &image, QPoint from, QPoint to)
{
    QList<QColor> result;
    const int steps = std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y()));
    for (int i = 0; i <= steps; ++i) {
        const QPoint p = from + (to - from) * i / std::max(steps, 1);
        const QColor c = image.pixelColor(p);
        if (result.isEmpty() || result.last() != c)
            result.append(c);
    }
    return result;
}

// The inks in r: every pixel at least a third of the way from the background
// to an ink counts, antialiased edges included. The text colour is blue,
// the background nearly white, so a blend of the two is bluish and one of
// black and the background grey.
QSet<QRgb> inksIn(const QImage &image, const QRect &r)
{
    QSet<QRgb> result;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() < BaseColor.red() * 2 / 3)
                result.insert(c.blue() - c.red() > 40 ? TextColor.rgb() : Black.rgb());
        }
    }
    return result;
}

QSet<QRgb> coloursIn(const QImage &image, const QRect &r)
{
    QSet<QRgb> result;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x)
            result.insert(image.pixel(x, y));
    }
    return result;
}

void sendWheel(MonthGrid &grid, QPoint angle)
{
    const QPointF pos = grid.rect().center();
    QWheelEvent event(pos, grid.mapToGlobal(pos), QPoint(), angle, Qt::NoButton, Qt::NoModifier,
        Qt::NoScrollPhase, false);
    QApplication::sendEvent(&grid, &event);
}

// The window under the grid, which gets every key the grid leaves alone.
class KeyWitness : public QWidget
{
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent *event) override { keys.append(event->key()); }
};

struct Announcement
{
    QAccessible::Event type;
    QString text;
    bool operator==(const Announcement &) const = default;
};

QList<Announcement> announcements;

void recordAnnouncement(QAccessibleEvent *event)
{
    if (!qobject_cast<MonthGrid *>(event->object()))
        return;
    if (event->type() == QAccessible::NameChanged)
        announcements.append(
            {event->type(), event->accessibleInterface()->text(QAccessible::Name)});
    else if (event->type() == QAccessible::ValueChanged)
        announcements.append(
            {event->type(), static_cast<QAccessibleValueChangeEvent *>(event)->value().toString()});
}

} // namespace

Q_DECLARE_METATYPE(Side)
Q_DECLARE_METATYPE(Action)
Q_DECLARE_METATYPE(Change)

char *toString(const Announcement &a)
{
    return QTest::toString(QStringLiteral("%1 \"%2\"").arg(int(a.type)).arg(a.text));
}

class TestMonthGrid : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void click_data();
    void click();
    void arrows_data();
    void arrows();
    void wheel_data();
    void wheel();
    void setSelectedDate_data();
    void setSelectedDate();
    void keysPassThrough_data();
    void keysPassThrough();
    void rendering_data();
    void rendering();
    void weekdayNamesFitTheirCells_data();
    void weekdayNamesFitTheirCells();
    void repaintAfterChange_data();
    void repaintAfterChange();
    void accessibleName_data();
    void accessibleName();
    void announcements_data();
    void announcements();
};

void TestMonthGrid::initTestCase()
{
    // Qt delivers accessibility events, to an update handler too, only while
    // a platform backend has switched accessibility on: on xcb, once the
    // AT-SPI bus answers. The offscreen platform has none, and
    // QAccessible::setActive() only tells observers.
    QAccessible::installUpdateHandler(recordAnnouncement);
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        if (!QTest::qWaitFor([] { return QAccessible::isActive(); }, 5000))
            qWarning("accessibility stayed off");
}

void TestMonthGrid::cleanupTestCase()
{
    QAccessible::installUpdateHandler(nullptr);
    SetTodaySource(nullptr);
}

void TestMonthGrid::click_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<int>("monthColumn");
    QTest::addColumn<int>("monthRow");
    QTest::addColumn<int>("week");
    QTest::addColumn<int>("column");
    QTest::addColumn<QDate>("selected");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QDate>("firstVisible");

    // From 10 April 2026 the view runs from April 2026 to March 2027.
    const QDate start(2026, 4, 10);
    const QDate april(2026, 4, 1);
    QTest::newRow("a day inside a month selects it") << "en_US" << start << Qt::LeftButton << 1 << 1
                                                     << 2 << 3 << QDate(2026, 8, 12) << 1 << april;
    QTest::newRow("a leading day of the first month selects it and scrolls a row back")
        << "en_US" << start << Qt::LeftButton << 0 << 0 << 0 << 0 << QDate(2026, 3, 29) << 1
        << QDate(2026, 1, 1);
    QTest::newRow("a trailing day of the last month selects it and scrolls a row forward")
        << "en_US" << start << Qt::LeftButton << 2 << 3 << 5 << 6 << QDate(2027, 4, 10) << 1
        << QDate(2026, 7, 1);
    QTest::newRow("a leading cell of an inner month is empty and selects nothing")
        << "en_US" << start << Qt::LeftButton << 1 << 0 << 0 << 0 << start << 0 << april;
    QTest::newRow("a trailing cell of the first month is empty and selects nothing")
        << "en_US" << start << Qt::LeftButton << 0 << 0 << 5 << 6 << start << 0 << april;
    QTest::newRow("the selected day again reports the click")
        << "en_US" << start << Qt::LeftButton << 0 << 0 << 1 << 5 << start << 1 << april;
    QTest::newRow("the right button selects nothing")
        << "en_US" << start << Qt::RightButton << 1 << 1 << 2 << 3 << start << 0 << april;
    QTest::newRow("right to left puts the first month top right and Sunday at the right")
        << "he_IL" << start << Qt::LeftButton << 2 << 0 << 0 << 2 << QDate(2026, 4, 2) << 1
        << april;
    QTest::newRow("right to left puts the third month top left and Saturday at the left")
        << "he_IL" << start << Qt::LeftButton << 0 << 0 << 1 << 0 << QDate(2026, 6, 13) << 1
        << april;
    QTest::newRow("ar_EG starts the week on Saturday at the right")
        << "ar_EG" << start << Qt::LeftButton << 2 << 0 << 0 << 1 << QDate(2026, 4, 2) << 1
        << april;
}

void TestMonthGrid::click()
{
    QFETCH(QString, locale);
    QFETCH(QDate, start);
    QFETCH(Qt::MouseButton, button);
    QFETCH(int, monthColumn);
    QFETCH(int, monthRow);
    QFETCH(int, week);
    QFETCH(int, column);
    QFETCH(QDate, selected);
    QFETCH(int, clicks);
    QFETCH(QDate, firstVisible);

    auto grid = openGrid(locale, start);
    const QList<QRect> areas = monthAreas(snapshot(*grid, 1));
    QCOMPARE(areas.size(), 12);
    QSignalSpy clickSpy(grid.get(), &MonthGrid::clicked);
    QSignalSpy changeSpy(grid.get(), &MonthGrid::selectedDateChanged);
    // The window refreshes from the selection when it hears of a click.
    QDate selectedWhenClicked;
    connect(
        grid.get(), &MonthGrid::clicked, this, [&] { selectedWhenClicked = grid->selectedDate(); });

    QTest::mouseClick(grid.get(), button, Qt::NoModifier,
        dayCentre(areas[monthRow * 3 + monthColumn], week, column));

    QCOMPARE(grid->selectedDate(), selected);
    QCOMPARE(clickSpy.size(), clicks);
    if (clicks) {
        QCOMPARE(clickSpy.first().first().toDate(), selected);
        QCOMPARE(selectedWhenClicked, selected);
    }
    QCOMPARE(changeSpy.size(), selected == start ? 0 : 1);
    QCOMPARE(grid->firstVisibleMonth(), firstVisible);
}

void TestMonthGrid::arrows_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<int>("monthColumn");
    QTest::addColumn<int>("monthRow");
    QTest::addColumn<Side>("side");
    QTest::addColumn<QDate>("firstVisible");

    const QDate start(2026, 4, 10);
    QTest::newRow("the arrow at the left of the first band scrolls a row back")
        << "en_US" << start << 0 << 0 << Side::Left << QDate(2026, 1, 1);
    QTest::newRow("the arrow at the right of the last band scrolls a row forward")
        << "en_US" << start << 2 << 3 << Side::Right << QDate(2026, 7, 1);
    QTest::newRow("the right end of the first band has no arrow")
        << "en_US" << start << 0 << 0 << Side::Right << QDate(2026, 4, 1);
    QTest::newRow("another month's band has no arrow")
        << "en_US" << start << 0 << 1 << Side::Left << QDate(2026, 4, 1);
    QTest::newRow("right to left, the arrow at the right of the top right band scrolls back")
        << "he_IL" << start << 2 << 0 << Side::Right << QDate(2026, 1, 1);
    QTest::newRow("right to left, the arrow at the left of the bottom left band scrolls forward")
        << "he_IL" << start << 0 << 3 << Side::Left << QDate(2026, 7, 1);
    QTest::newRow("at January 0001 there is no going back")
        << "en_US" << QDate(1, 1, 1) << 0 << 0 << Side::Left << QDate(1, 1, 1);
    QTest::newRow("at December 9999 there is no going forward")
        << "en_US" << QDate(9999, 12, 31) << 2 << 3 << Side::Right << QDate(9999, 12, 1);
}

void TestMonthGrid::arrows()
{
    QFETCH(QString, locale);
    QFETCH(QDate, start);
    QFETCH(int, monthColumn);
    QFETCH(int, monthRow);
    QFETCH(Side, side);
    QFETCH(QDate, firstVisible);

    auto grid = openGrid(locale, start);
    const QImage before = snapshot(*grid, 1);
    const QList<QRect> areas = monthAreas(before);
    QCOMPARE(areas.size(), 12);
    const QRect month = areas[monthRow * 3 + monthColumn];
    const int band = month.height() / 8;
    const QRect end(
        side == Side::Left ? month.left() : month.right() + 1 - band, month.top(), band, band);
    QSignalSpy clickSpy(grid.get(), &MonthGrid::clicked);
    const QDate firstBefore = grid->firstVisibleMonth();

    QTest::mouseClick(grid.get(), Qt::LeftButton, Qt::NoModifier, end.center());

    QCOMPARE(grid->firstVisibleMonth(), firstVisible);
    QCOMPARE(grid->selectedDate(), start);
    QCOMPARE(clickSpy.size(), 0);
    // An arrow shows exactly where a press scrolls.
    QCOMPARE(
        coloursIn(before, end).contains(HighlightedTextColor.rgb()), firstVisible != firstBefore);
}

void TestMonthGrid::wheel_data()
{
    QTest::addColumn<QList<QPoint>>("angles");
    QTest::addColumn<QDate>("firstVisible");

    QTest::newRow("a notch towards the user scrolls a row forward")
        << QList<QPoint> {{0, -120}} << QDate(2026, 7, 1);
    QTest::newRow("a notch away from the user scrolls a row back")
        << QList<QPoint> {{0, 120}} << QDate(2026, 1, 1);
    QTest::newRow("two notches at once scroll two rows")
        << QList<QPoint> {{0, -240}} << QDate(2026, 10, 1);
    QTest::newRow("a touchpad's small steps add up to a row")
        << QList<QPoint> {{0, -40}, {0, -40}, {0, -40}} << QDate(2026, 7, 1);
    QTest::newRow("steps short of a notch do not scroll")
        << QList<QPoint> {{0, -40}, {0, -40}} << QDate(2026, 4, 1);
    QTest::newRow("turning the other way starts a notch afresh")
        << QList<QPoint> {{0, -100}, {0, 40}, {0, -100}} << QDate(2026, 4, 1);
    QTest::newRow("a sideways swipe does not scroll")
        << QList<QPoint> {{-120, 0}} << QDate(2026, 4, 1);
}

void TestMonthGrid::wheel()
{
    QFETCH(QList<QPoint>, angles);
    QFETCH(QDate, firstVisible);

    auto grid = openGrid(QStringLiteral("en_US"), QDate(2026, 4, 10));
    QSignalSpy changeSpy(grid.get(), &MonthGrid::selectedDateChanged);

    for (const QPoint &angle : angles)
        sendWheel(*grid, angle);

    QCOMPARE(grid->firstVisibleMonth(), firstVisible);
    QCOMPARE(grid->selectedDate(), QDate(2026, 4, 10));
    QCOMPARE(changeSpy.size(), 0);
}

void TestMonthGrid::setSelectedDate_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QDate>("selected");
    QTest::addColumn<QDate>("firstVisible");

    const QDate start(2026, 4, 10);
    const QDate april(2026, 4, 1);
    QTest::newRow("an invalid date is refused") << QDate() << start << april;
    QTest::newRow("a day before 0001 is refused") << QDate(-1, 12, 31) << start << april;
    QTest::newRow("a day after 9999 is refused") << QDate(10000, 1, 1) << start << april;
    QTest::newRow("the selected day again changes nothing") << start << start << april;
    QTest::newRow("a day in view moves the selection, not the view")
        << QDate(2026, 6, 5) << QDate(2026, 6, 5) << april;
    QTest::newRow("a day beyond the view scrolls it by a row")
        << QDate(2027, 5, 1) << QDate(2027, 5, 1) << QDate(2026, 7, 1);
    QTest::newRow("1 January 0001 is the first day there is")
        << QDate(1, 1, 1) << QDate(1, 1, 1) << QDate(1, 1, 1);
    QTest::newRow("31 December 9999 is the last day there is")
        << QDate(9999, 12, 31) << QDate(9999, 12, 31) << QDate(9999, 1, 1);
}

void TestMonthGrid::setSelectedDate()
{
    QFETCH(QDate, date);
    QFETCH(QDate, selected);
    QFETCH(QDate, firstVisible);

    auto grid = openGrid(QStringLiteral("en_US"), QDate(2026, 4, 10));
    QSignalSpy changeSpy(grid.get(), &MonthGrid::selectedDateChanged);
    QSignalSpy clickSpy(grid.get(), &MonthGrid::clicked);

    grid->setSelectedDate(date);

    QCOMPARE(grid->selectedDate(), selected);
    QCOMPARE(grid->firstVisibleMonth(), firstVisible);
    QCOMPARE(changeSpy.size(), selected == QDate(2026, 4, 10) ? 0 : 1);
    if (!changeSpy.isEmpty())
        QCOMPARE(changeSpy.first().first().toDate(), selected);
    QCOMPARE(clickSpy.size(), 0);
}

void TestMonthGrid::keysPassThrough_data()
{
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");

    QTest::newRow("Right") << Qt::Key_Right << Qt::KeyboardModifiers();
    QTest::newRow("Left") << Qt::Key_Left << Qt::KeyboardModifiers();
    QTest::newRow("Up") << Qt::Key_Up << Qt::KeyboardModifiers();
    QTest::newRow("Down") << Qt::Key_Down << Qt::KeyboardModifiers();
    QTest::newRow("Page Up") << Qt::Key_PageUp << Qt::KeyboardModifiers();
    QTest::newRow("Page Down") << Qt::Key_PageDown << Qt::KeyboardModifiers();
    QTest::newRow("Home") << Qt::Key_Home << Qt::KeyboardModifiers();
    QTest::newRow("Ctrl+End") << Qt::Key_End << Qt::KeyboardModifiers(Qt::ControlModifier);
    QTest::newRow("Space") << Qt::Key_Space << Qt::KeyboardModifiers();
    QTest::newRow("Return") << Qt::Key_Return << Qt::KeyboardModifiers();
    QTest::newRow("a digit") << Qt::Key_5 << Qt::KeyboardModifiers();
}

void TestMonthGrid::keysPassThrough()
{
    QFETCH(Qt::Key, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);

    Pinned::setToday(QDate(2026, 3, 31));
    KeyWitness window;
    auto *grid = new MonthGrid(&window);
    grid->setLocale(QLocale(QStringLiteral("en_US")));
    grid->setSelectedDate(QDate(2026, 4, 10));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    grid->setFocus();
    QSignalSpy changeSpy(grid, &MonthGrid::selectedDateChanged);

    QTest::keyClick(grid, key, modifiers);

    QCOMPARE(grid->selectedDate(), QDate(2026, 4, 10));
    QCOMPARE(grid->firstVisibleMonth(), QDate(2026, 4, 1));
    QCOMPARE(changeSpy.size(), 0);
    QVERIFY(!window.keys.isEmpty());
    QCOMPARE(window.keys.last(), int(key));
}

void TestMonthGrid::rendering_data()
{
    QTest::addColumn<int>("ratio");
    QTest::addColumn<QDate>("selected");

    // Today, 31 March, is the Tuesday of the fifth week; 14 March the
    // Saturday of the second.
    QTest::newRow("at scale 1, today's outline apart from the selection")
        << 1 << QDate(2026, 3, 14);
    QTest::newRow("at scale 2, today's outline apart from the selection")
        << 2 << QDate(2026, 3, 14);
    QTest::newRow("at scale 1, today selected keeps its outline inside the fill")
        << 1 << QDate(2026, 3, 31);
    QTest::newRow("at scale 2, today selected keeps its outline inside the fill")
        << 2 << QDate(2026, 3, 31);
}

void TestMonthGrid::rendering()
{
    QFETCH(int, ratio);
    QFETCH(QDate, selected);

    auto grid = openGrid(QStringLiteral("en_US"), selected);
    const QImage image = snapshot(*grid, ratio);
    QCOMPARE(image.size(), QSize(564, 606) * ratio);

    // Three columns and four rows of months of one size, black between them.
    const QList<QRect> areas = monthAreas(image);
    QCOMPARE(areas.size(), 12);
    for (const QRect &area : areas) {
        QVERIFY2(
            std::abs(area.width() - image.width() / 3) <= 3 * ratio, qPrintable(describe(area)));
        QVERIFY2(
            std::abs(area.height() - image.height() / 4) <= 3 * ratio, qPrintable(describe(area)));
        QCOMPARE(image.pixelColor(area.topLeft() + QPoint(ratio, ratio)), HighlightColor);
        QCOMPARE(
            image.pixelColor(area.left() + ratio, cellArea(area, 1, 0).center().y()), BaseColor);
    }
    // Crisp edges: from a title band through the gutter to the next band
    // there is no blended pixel.
    const int bandY = areas[0].top() + ratio;
    QCOMPARE(
        runs(image, {areas[0].right() - 2 * ratio, bandY}, {areas[1].left() + 2 * ratio, bandY}),
        (QList<QColor> {HighlightColor, Black, HighlightColor}));

    // Across the left edge of a day, at mid height, from the day before it.
    const auto acrossLeftEdge = [&](int week, int column) {
        const QRect cell = cellArea(areas[0], 2 + week, column);
        const int y = cell.center().y();
        return runs(image, {cell.left() - 3 * ratio, y}, {cell.left() + 4 * ratio, y});
    };
    const QList<QColor> today = acrossLeftEdge(4, 2);
    if (selected == QDate(2026, 3, 31)) {
        QCOMPARE(today,
            (QList<QColor> {BaseColor, HighlightColor, HighlightedTextColor, HighlightColor}));
    } else {
        QCOMPARE(today, (QList<QColor> {BaseColor, HighlightColor, BaseColor}));
        QCOMPARE(acrossLeftEdge(1, 6), (QList<QColor> {BaseColor, HighlightColor}));
    }

    // A day of the month is in the text colour, a day of the next month after
    // the last month in black, and a cell inside the view left blank.
    const auto inside = [&](int position, int week, int column) {
        const QRect cell = cellArea(areas[position], 2 + week, column);
        return cell.adjusted(2 * ratio, 2 * ratio, -2 * ratio, -2 * ratio);
    };
    QCOMPARE(inksIn(image, inside(0, 1, 2)), QSet<QRgb> {TextColor.rgb()});
    QCOMPARE(inksIn(image, inside(11, 5, 0)), QSet<QRgb> {Black.rgb()});
    QCOMPARE(coloursIn(image, inside(0, 5, 6)), QSet<QRgb> {BaseColor.rgb()});
}

void TestMonthGrid::weekdayNamesFitTheirCells_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("pointSize");

    QTest::newRow("short names at the window's size") << "en_US" << 8;
    QTest::newRow("single letters where short names would not fit") << "en_US" << 16;
    QTest::newRow("Greek short names") << "el_GR" << 8;
    QTest::newRow("Greek letters at a large size") << "el_GR" << 16;
}

// No name runs into the next day's column, whatever form it takes.
void TestMonthGrid::weekdayNamesFitTheirCells()
{
    QFETCH(QString, locale);
    QFETCH(int, pointSize);

    auto grid = openGrid(locale, QDate(2026, 2, 28));
    grid->setFont(windowFont(pointSize));
    const QImage image = snapshot(*grid, 1);
    const QRect month = monthAreas(image).value(0);
    QVERIFY(!inksIn(image, cellArea(month, 1, 0) | cellArea(month, 1, 6)).isEmpty());
    for (int column = 1; column < 7; ++column) {
        const QRect cell = cellArea(month, 1, column);
        QVERIFY2(inksIn(image, QRect(cell.left(), cell.top(), 1, cell.height())).isEmpty(),
            qPrintable(QStringLiteral("ink across the left edge of column %1").arg(column)));
    }
}

void TestMonthGrid::repaintAfterChange_data()
{
    QTest::addColumn<Change>("change");

    QTest::newRow("a step in view repaints two cells as a full paint draws them")
        << Change::StepInView;
    QTest::newRow("a new locale repaints as a grid made in it") << Change::Locale;
    QTest::newRow("a new font repaints as a grid made with it") << Change::Font;
    QTest::newRow("a row forward and back repaints as before") << Change::RowForwardAndBack;
}

// The grid keeps laid-out texts and repaints only what changed; whatever it
// kept, the screen has to show what a grid painted afresh shows.
void TestMonthGrid::repaintAfterChange()
{
    QFETCH(Change, change);

    const QDate start(2026, 2, 28);
    auto grid = openGrid(QStringLiteral("en_US"), start);
    const QImage before = shown(*grid);
    QImage expected;
    switch (change) {
    case Change::StepInView:
        grid->setSelectedDate(QDate(2026, 3, 1));
        QCOMPARE(grid->firstVisibleMonth(), QDate(2026, 2, 1));
        expected = snapshot(*grid, 1);
        break;
    case Change::Locale:
        grid->setLocale(QLocale(QStringLiteral("de_DE")));
        expected = snapshot(*openGrid(QStringLiteral("de_DE"), start), 1);
        break;
    case Change::Font: {
        grid->setFont(windowFont(10));
        auto fresh = openGrid(QStringLiteral("en_US"), start);
        fresh->setFont(windowFont(10));
        expected = snapshot(*fresh, 1);
        break;
    }
    case Change::RowForwardAndBack:
        sendWheel(*grid, {0, -120});
        QCOMPARE(grid->firstVisibleMonth(), QDate(2026, 5, 1));
        QVERIFY(shown(*grid) != before);
        sendWheel(*grid, {0, 120});
        expected = before;
        break;
    }
    const QImage actual = shown(*grid);
    QVERIFY(actual != before || change == Change::RowForwardAndBack);
    QCOMPARE(actual, expected);
}

void TestMonthGrid::accessibleName_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("name");

    QTest::newRow("en_US") << "en_US" << QDate(2026, 2, 28)
                           << QStringLiteral("Saturday, February 28, 2026");
    QTest::newRow("de_DE") << "de_DE" << QDate(2026, 2, 28)
                           << QStringLiteral("Samstag, 28. Februar 2026");
    QTest::newRow("ar_EG, right to left")
        << "ar_EG" << QDate(2026, 2, 28) << QStringLiteral("السبت، ٢٨ فبراير ٢٠٢٦");
    QTest::newRow("the first day of the range")
        << "en_US" << QDate(1, 1, 1) << QStringLiteral("Monday, January 1, 0001");
}

void TestMonthGrid::accessibleName()
{
    QFETCH(QString, locale);
    QFETCH(QDate, date);
    QFETCH(QString, name);

    auto grid = openGrid(locale, date);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(grid.get());
    QVERIFY(iface);
    QCOMPARE(iface->object(), grid.get());
    QCOMPARE(iface->role(), QAccessible::Table);
    QCOMPARE(iface->text(QAccessible::Name), name);
    QCOMPARE(iface->text(QAccessible::Value), name);
    QVERIFY(iface->state().focusable);
}

void TestMonthGrid::announcements_data()
{
    QTest::addColumn<Action>("action");
    QTest::addColumn<QList<Announcement>>("expected");

    const QString march1 = QStringLiteral("Sunday, March 1, 2026");
    QTest::newRow("selecting another day announces it")
        << Action::Select
        << QList<Announcement> {
               {QAccessible::NameChanged, march1}, {QAccessible::ValueChanged, march1}};
    QTest::newRow("selecting the same day announces nothing")
        << Action::SelectSame << QList<Announcement> {};
    QTest::newRow("clicking a day announces it")
        << Action::Click
        << QList<Announcement> {
               {QAccessible::NameChanged, march1}, {QAccessible::ValueChanged, march1}};
    QTest::newRow("scrolling announces nothing") << Action::Wheel << QList<Announcement> {};
    const QString german = QStringLiteral("Samstag, 28. Februar 2026");
    QTest::newRow("a new locale announces the day in its words")
        << Action::ChangeLocale
        << QList<Announcement> {
               {QAccessible::NameChanged, german}, {QAccessible::ValueChanged, german}};
}

void TestMonthGrid::announcements()
{
    QFETCH(Action, action);
    QFETCH(QList<Announcement>, expected);
    if (!QAccessible::isActive())
        QSKIP("accessibility is off: run on xcb with QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 and an "
              "AT-SPI bus");

    // From 28 February 2026 the view starts with February; March is the
    // second month, and 1 March its first cell.
    auto grid = openGrid(QStringLiteral("en_US"), QDate(2026, 2, 28));
    const QList<QRect> areas = monthAreas(snapshot(*grid, 1));
    QCOMPARE(areas.size(), 12);
    ::announcements.clear();

    switch (action) {
    case Action::Select:
        grid->setSelectedDate(QDate(2026, 3, 1));
        break;
    case Action::SelectSame:
        grid->setSelectedDate(QDate(2026, 2, 28));
        break;
    case Action::Click:
        QTest::mouseClick(grid.get(), Qt::LeftButton, Qt::NoModifier, dayCentre(areas[1], 0, 0));
        break;
    case Action::Wheel:
        sendWheel(*grid, {0, -120});
        break;
    case Action::ChangeLocale:
        grid->setLocale(QLocale(QStringLiteral("de_DE")));
        break;
    }

    QCOMPARE(::announcements, expected);
}

// As DAYVANE_PINNED_MAIN, but a platform given from outside stays: the
// announcements need one with accessibility.
int main(int argc, char *argv[])
{
    qputenv("LC_ALL", "en_US.UTF-8");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestMonthGrid test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_monthgrid.moc"
