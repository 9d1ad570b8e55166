#include "calwin.h"
#include "dateinfo.h"
#include "monthgrid.h"
#include "pinned.h"

#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QScopeGuard>

#include <memory>

namespace {

struct Keys
{
    QList<Qt::Key> keys;
    Qt::KeyboardModifiers modifiers;
};

// A fresh, shown and active window with today pinned.
std::unique_ptr<TfrmCal> openWindow(QDate today)
{
    Pinned::setToday(today);
    auto window = std::make_unique<TfrmCal>();
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        qWarning("the window was not exposed");
    return window;
}

QString label(const TfrmCal &window, const char *name)
{
    return window.findChild<QLabel *>(QLatin1String(name))->text();
}

QDate calendarDate(const TfrmCal &window)
{
    return window.findChild<MonthGrid *>(QStringLiteral("oCal"))->selectedDate();
}

// What the panel must say about a selected day.
void verifyPanel(const TfrmCal &window, QDate selected)
{
    QCOMPARE(label(window, "lblDayOfYear"), DayOfYearText(QDateToDate(selected)));
    QCOMPARE(label(window, "lblDaysUntil"), DaysUntilText(QDateToDate(selected), Date()));
}

// Keys go where a user's keys go: to the widget with the focus.
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget *target = QApplication::focusWidget();
    QVERIFY(target);
    QTest::keyClick(target, key, modifiers);
}

} // namespace

Q_DECLARE_METATYPE(Qt::Key)

class TestCalWin : public QObject
{
    Q_OBJECT

private slots:
    void layout();
    void startUp_data();
    void startUp();
    void click();
    void keyTable_data();
    void keyTable();
    void copy_data();
    void copy();
    void nonLatinLayouts_data();
    void nonLatinLayouts();
    void oneStepPerKey();
    void keysReachTheWindowWithoutFocusedCalendar();
    void escapeRefreshesAndCloses();
    void rangeEnds_data();
    void rangeEnds();
    void locales_data();
    void locales();
};

void TestCalWin::layout()
{
    Pinned::setToday(QDate(2026, 3, 31));
    TfrmCal window;

    QCOMPARE(window.windowTitle(), QStringLiteral("Dayvane"));
    QCOMPARE(window.windowType(), Qt::Tool);
    QCOMPARE(window.minimumSize(), QSize(564, 671));
    QCOMPARE(window.maximumSize(), QSize(564, 671));

    const auto geometry = [&](const char *name) {
        return window.findChild<QWidget *>(QLatin1String(name))->geometry();
    };
    QCOMPARE(geometry("oCal"), QRect(0, 0, 564, 606));
    QCOMPARE(geometry("gbDateInfo"), QRect(0, 606, 564, 65));
    QCOMPARE(geometry("lblDayOfYear").topLeft(), QPoint(12, 20));
    QCOMPARE(geometry("lblDaysUntil").topLeft(), QPoint(12, 40));
    QCOMPARE(window.findChild<QGroupBox *>(QStringLiteral("gbDateInfo"))->title(),
        QStringLiteral(" Date Information  "));

    // 8-point Tahoma, or the desktop's sans-serif in its place; the window
    // on the window colour; a hand over the calendar.
    QCOMPARE(window.font().family(), QStringLiteral("Tahoma"));
    QCOMPARE(window.font().pointSize(), 8);
    QCOMPARE(window.font().styleHint(), QFont::SansSerif);
    QCOMPARE(window.palette().color(QPalette::Window), window.palette().color(QPalette::Base));
    QCOMPARE(window.findChild<QWidget *>(QStringLiteral("oCal"))->cursor().shape(),
        Qt::PointingHandCursor);

    // Each line shows its whole text on one line, the longest date of the
    // year included.
    for (const char *name : {"lblDayOfYear", "lblDaysUntil"}) {
        auto *line = window.findChild<QLabel *>(QLatin1String(name));
        const QString longest = DayOfYearText(QDateToDate(QDate(2026, 9, 30)));
        QVERIFY(!line->wordWrap());
        QVERIFY(line->fontMetrics().horizontalAdvance(longest) <= line->width());
        QVERIFY(line->fontMetrics().height() <= line->height());
    }
}

void TestCalWin::startUp_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QDate>("selected");
    QTest::addColumn<QString>("dayOfYear");
    QTest::addColumn<QString>("daysUntil");

    QTest::newRow("31 March selects 28 February, the shorter month's last day")
        << QDate(2026, 3, 31) << QDate(2026, 2, 28)
        << "Saturday, February 28, 2026 is day #59 of the year."
        << "That was: 31 days ago.";
    QTest::newRow("30 March of a leap year selects 29 February")
        << QDate(2024, 3, 30) << QDate(2024, 2, 29)
        << "Thursday, February 29, 2024 is day #60 of the year."
        << "That was: 30 days ago.";
    QTest::newRow("1 January selects 1 December of the year before")
        << QDate(2026, 1, 1) << QDate(2025, 12, 1)
        << "Monday, December 1, 2025 is day #335 of the year."
        << "That was: 31 days ago.";
    QTest::newRow("15 March selects 15 February, 28 days back")
        << QDate(2026, 3, 15) << QDate(2026, 2, 15)
        << "Sunday, February 15, 2026 is day #46 of the year."
        << "That was: 28 days ago.";
}

void TestCalWin::startUp()
{
    QFETCH(QDate, today);
    QFETCH(QDate, selected);
    QFETCH(QString, dayOfYear);
    QFETCH(QString, daysUntil);

    Pinned::setToday(today);
    TfrmCal window;

    // Filled before the window is first shown.
    QVERIFY(!window.isVisible());
    QCOMPARE(calendarDate(window), selected);
    QCOMPARE(label(window, "lblDayOfYear"), dayOfYear);
    QCOMPARE(label(window, "lblDaysUntil"), daysUntil);
}

void TestCalWin::click()
{
    auto window = openWindow(QDate(2026, 3, 31));
    auto *calendar = window->findChild<MonthGrid *>(QStringLiteral("oCal"));

    // February 2026 is the top-left month and starts on a Sunday, so its
    // third week starts with the 15th in the leftmost column: below the title
    // band and the weekday names, in the month's third and fourth of eight
    // rows.
    const int monthWidth = calendar->width() / 3;
    const int rowHeight = calendar->height() / 4 / 8;
    const QPoint fifteenth(monthWidth / 7 / 2, rowHeight * 9 / 2);
    QTest::mouseClick(calendar, Qt::LeftButton, {}, fifteenth);

    QCOMPARE(calendarDate(*window), QDate(2026, 2, 15));
    QCOMPARE(label(*window, "lblDaysUntil"), QStringLiteral("That was: 44 days ago."));
    QCOMPARE(label(*window, "lblDayOfYear"),
        QStringLiteral("Sunday, February 15, 2026 is day #46 of the year."));
}

void TestCalWin::keyTable_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QDate>("expected");

    // With today 31 March 2026 the window opens on 28 February 2026.
    const QDate today(2026, 3, 31);
    const struct
    {
        const char *name;
        Qt::Key key;
        QDate expected;
    } table[] = {
        {"H selects today", Qt::Key_H, today},
        {"T selects today", Qt::Key_T, today},
        {"Home selects today", Qt::Key_Home, today},
        {"Left steps a day back", Qt::Key_Left, QDate(2026, 2, 27)},
        {"Right on the month's last day steps into the next month", Qt::Key_Right,
            QDate(2026, 3, 1)},
        {"Up steps a week back", Qt::Key_Up, QDate(2026, 2, 21)},
        {"Down steps a week on across the month end", Qt::Key_Down, QDate(2026, 3, 7)},
        {"Page Up steps a month back", Qt::Key_PageUp, QDate(2026, 1, 28)},
        {"Backspace steps a month back", Qt::Key_Backspace, QDate(2026, 1, 28)},
        {"Page Down steps a month on", Qt::Key_PageDown, QDate(2026, 3, 28)},
        {"C alone changes nothing", Qt::Key_C, QDate(2026, 2, 28)},
        {"a key outside the table changes nothing", Qt::Key_End, QDate(2026, 2, 28)},
    };
    const struct
    {
        const char *name;
        Qt::KeyboardModifiers modifiers;
    } held[] = {
        {"", Qt::NoModifier},
        {" with Shift", Qt::ShiftModifier},
        {" with Ctrl", Qt::ControlModifier},
        {" with Alt", Qt::AltModifier},
    };
    for (const auto &row : table)
        for (const auto &with : held) {
            if (row.key == Qt::Key_C && with.modifiers == Qt::ControlModifier)
                continue; // that is the copy
            QTest::addRow("%s%s", row.name, with.name)
                << today << row.key << with.modifiers << row.expected;
        }

    QTest::newRow("Down steps a week across the year end")
        << QDate(2027, 1, 26) << Qt::Key_Down << Qt::KeyboardModifiers() << QDate(2027, 1, 2);
    QTest::newRow("Up steps a week back across the year start")
        << QDate(2027, 2, 3) << Qt::Key_Up << Qt::KeyboardModifiers() << QDate(2026, 12, 27);
    QTest::newRow("Right on 31 December steps into the next year")
        << QDate(2027, 1, 31) << Qt::Key_Right << Qt::KeyboardModifiers() << QDate(2027, 1, 1);
}

void TestCalWin::keyTable()
{
    QFETCH(QDate, today);
    QFETCH(Qt::Key, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QDate, expected);

    auto window = openWindow(today);
    press(key, modifiers);
    QCOMPARE(calendarDate(*window), expected);
    verifyPanel(*window, expected);
    if (expected == today)
        QCOMPARE(label(*window, "lblDaysUntil"), QStringLiteral("That's today!"));
}

void TestCalWin::copy_data()
{
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("copies");

    QTest::newRow("Ctrl+C copies") << Qt::KeyboardModifiers(Qt::ControlModifier) << true;
    QTest::newRow("Ctrl+Shift+C copies") << (Qt::ControlModifier | Qt::ShiftModifier) << true;
    QTest::newRow("Ctrl+Alt+C copies") << (Qt::ControlModifier | Qt::AltModifier) << true;
    QTest::newRow("C alone copies nothing") << Qt::KeyboardModifiers() << false;
    QTest::newRow("Shift+C copies nothing") << Qt::KeyboardModifiers(Qt::ShiftModifier) << false;
    QTest::newRow("Alt+C copies nothing") << Qt::KeyboardModifiers(Qt::AltModifier) << false;
}

void TestCalWin::copy()
{
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, copies);

    auto window = openWindow(QDate(2026, 3, 31));
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    press(Qt::Key_Right);
    press(Qt::Key_C, modifiers);

    // Exactly the long date: no day number, no line end.
    QCOMPARE(QGuiApplication::clipboard()->text(),
        copies ? QStringLiteral("Sunday, March 1, 2026") : QStringLiteral("before"));
    QCOMPARE(calendarDate(*window), QDate(2026, 3, 1));
    QVERIFY(label(*window, "lblDayOfYear").startsWith(QStringLiteral("Sunday, March 1, 2026 ")));
}

void TestCalWin::nonLatinLayouts_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint32>("scanCode");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QDate>("expected");
    QTest::addColumn<QString>("clipboard");

    // xkb keycodes of the H, T and C positions.
    const quint32 h = 43, t = 28, c = 54;
    const QDate today(2026, 3, 31);
    const QDate opened(2026, 2, 28);
    const Qt::KeyboardModifiers none;
    QTest::newRow("Russian: the key on H selects today")
        << 0x0420 << "р" << h << none << today << "before";
    QTest::newRow("Russian: the key on T selects today")
        << 0x0415 << "е" << t << none << today << "before";
    QTest::newRow("Russian: Ctrl with the key on C copies")
        << 0x0421 << "с" << c << Qt::KeyboardModifiers(Qt::ControlModifier) << opened
        << "Saturday, February 28, 2026";
    QTest::newRow("Greek: the key on H selects today")
        << 0x0397 << "η" << h << none << today << "before";
    QTest::newRow("Greek: the key on T selects today")
        << 0x03a4 << "τ" << t << Qt::KeyboardModifiers(Qt::ShiftModifier) << today << "before";
    QTest::newRow("Greek: the key on C without Ctrl copies nothing")
        << 0x03a8 << "ψ" << c << none << opened << "before";
}

void TestCalWin::nonLatinLayouts()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(quint32, scanCode);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QDate, expected);
    QFETCH(QString, clipboard);

    auto window = openWindow(QDate(2026, 3, 31));
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QKeyEvent press(QEvent::KeyPress, key, modifiers, scanCode, 0, 0, text);
    QApplication::sendEvent(QApplication::focusWidget(), &press);

    QCOMPARE(calendarDate(*window), expected);
    verifyPanel(*window, expected);
    QCOMPARE(QGuiApplication::clipboard()->text(), clipboard);
}

// The calendar's own key handling must not add a second step after the
// window's, and keys outside the table must not move the date at all.
void TestCalWin::oneStepPerKey()
{
    auto window = openWindow(QDate(2026, 3, 31));
    QDate expected(2026, 2, 28);
    const struct
    {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int days;
        int months;
    } run[] = {
        {Qt::Key_Right, {}, 1, 0},
        {Qt::Key_Right, {}, 1, 0},
        {Qt::Key_Down, {}, 7, 0},
        {Qt::Key_PageDown, {}, 0, 1},
        {Qt::Key_Left, Qt::ControlModifier, -1, 0},
        {Qt::Key_Up, {}, -7, 0},
        {Qt::Key_PageUp, Qt::ShiftModifier, 0, -1},
        {Qt::Key_End, {}, 0, 0},
        {Qt::Key_Home, Qt::ControlModifier, 0, 0},
        {Qt::Key_End, Qt::ControlModifier, 0, 0},
        {Qt::Key_PageDown, Qt::ControlModifier, 0, 1},
        {Qt::Key_5, {}, 0, 0},
        {Qt::Key_Space, {}, 0, 0},
        {Qt::Key_Return, {}, 0, 0},
    };
    for (const auto &step : run) {
        // Ctrl+Home selects today like Home.
        expected = step.key == Qt::Key_Home ? QDate(2026, 3, 31)
                                            : expected.addDays(step.days).addMonths(step.months);
        press(step.key, step.modifiers);
        QCOMPARE(calendarDate(*window), expected);
        verifyPanel(*window, expected);
    }

    // Auto-repeat steps once per repeat.
    for (int i = 0; i < 5; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(QApplication::focusWidget(), &repeat);
    }
    expected = expected.addDays(5);
    QCOMPARE(calendarDate(*window), expected);
    verifyPanel(*window, expected);
}

void TestCalWin::keysReachTheWindowWithoutFocusedCalendar()
{
    auto window = openWindow(QDate(2026, 3, 31));
    window->findChild<MonthGrid *>()->clearFocus();
    window->setFocus();
    QCOMPARE(QApplication::focusWidget(), window.get());
    press(Qt::Key_Right);
    QCOMPARE(calendarDate(*window), QDate(2026, 3, 1));
    verifyPanel(*window, QDate(2026, 3, 1));
}

void TestCalWin::escapeRefreshesAndCloses()
{
    auto window = openWindow(QDate(2026, 3, 31));
    QCOMPARE(label(*window, "lblDaysUntil"), QStringLiteral("That was: 31 days ago."));

    // Midnight passes while the window is open: the texts keep the old day
    // until the next key, which Esc still is.
    Pinned::setToday(QDate(2026, 4, 1));
    QCOMPARE(label(*window, "lblDaysUntil"), QStringLiteral("That was: 31 days ago."));
    press(Qt::Key_Escape);
    QVERIFY(!window->isVisible());
    QCOMPARE(label(*window, "lblDaysUntil"), QStringLiteral("That was: 32 days ago."));
}

void TestCalWin::rangeEnds_data()
{
    QTest::addColumn<QDate>("today");
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<QDate>("expected");

    QTest::newRow("Right on 31 December 9999 stays")
        << QDate(9999, 12, 31) << Qt::Key_Right << QDate(9999, 12, 31);
    QTest::newRow("Page Down in December 9999 stays")
        << QDate(9999, 12, 31) << Qt::Key_PageDown << QDate(9999, 12, 31);
    QTest::newRow("Down in the last week of 9999 stays")
        << QDate(9999, 12, 31) << Qt::Key_Down << QDate(9999, 12, 31);
    QTest::newRow("Page Up in January 0001 stays")
        << QDate(1, 2, 1) << Qt::Key_PageUp << QDate(1, 1, 1);
    QTest::newRow("Left on 1 January 0001 stays")
        << QDate(1, 2, 1) << Qt::Key_Left << QDate(1, 1, 1);
}

void TestCalWin::rangeEnds()
{
    QFETCH(QDate, today);
    QFETCH(Qt::Key, key);
    QFETCH(QDate, expected);

    auto window = openWindow(today);
    // Walk to the end of the range first.
    const Qt::Key toward = key == Qt::Key_Right || key == Qt::Key_PageDown || key == Qt::Key_Down
        ? Qt::Key_PageDown
        : Qt::Key_PageUp;
    if (toward == Qt::Key_PageDown)
        press(Qt::Key_Home);
    else
        press(Qt::Key_PageUp);
    QCOMPARE(calendarDate(*window).month(), expected.month());
    if (toward == Qt::Key_PageDown)
        press(Qt::Key_Right); // 31 December 9999 stays put
    else
        press(Qt::Key_Left); // 1 January 0001 stays put
    press(key);
    QCOMPARE(calendarDate(*window), expected);
    verifyPanel(*window, expected);
}

void TestCalWin::locales_data()
{
    QTest::addColumn<QByteArray>("lang");
    QTest::addColumn<QByteArray>("lcTime");
    QTest::addColumn<QString>("expected");

    for (const char *name : {"de_DE", "fr_FR", "ru_RU", "pl_PL", "fi_FI", "ja_JP", "zh_CN", "ko_KR",
             "ar_EG", "he_IL", "th_TH", "vi_VN", "pt_BR", "es_ES", "en_GB", "el_GR", "tr_TR"}) {
        const QByteArray locale = QByteArray(name) + ".UTF-8";
        QTest::newRow(name) << locale << QByteArray() << QString::fromLatin1(name);
    }
    QTest::newRow("LC_TIME de_DE under LANG en_US writes German dates")
        << QByteArray("en_US.UTF-8") << QByteArray("de_DE.UTF-8") << QStringLiteral("de_DE");
    QTest::newRow("LC_TIME ja_JP under LANG fr_FR writes Japanese dates")
        << QByteArray("fr_FR.UTF-8") << QByteArray("ja_JP.UTF-8") << QStringLiteral("ja_JP");
}

// Whatever the locale, the longest date of the year fits on the panel's
// line, and the copy is the date as that locale writes it.
void TestCalWin::locales()
{
    QFETCH(QByteArray, lang);
    QFETCH(QByteArray, lcTime);
    QFETCH(QString, expected);

    const QByteArray pinned = qgetenv("LC_ALL");
    qunsetenv("LC_ALL");
    qputenv("LANG", lang);
    qputenv("LC_TIME", lcTime);
    const auto restore = qScopeGuard([&] {
        qputenv("LC_ALL", pinned);
        qunsetenv("LC_TIME");
    });
    const QLocale locale(expected);

    auto window = openWindow(QDate(2026, 3, 31));
    press(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(),
        locale.toString(QDate(2026, 2, 28), QLocale::LongFormat));

    auto *line = window->findChild<QLabel *>(QStringLiteral("lblDayOfYear"));
    const QFontMetrics metrics = line->fontMetrics();
    QString longest;
    for (QDate d(2026, 1, 1); d.year() == 2026; d = d.addDays(1)) {
        const QString text = DayOfYearText(QDateToDate(d));
        if (metrics.horizontalAdvance(text) > metrics.horizontalAdvance(longest))
            longest = text;
    }
    QVERIFY2(
        metrics.horizontalAdvance(longest) <= line->contentsRect().width(), qPrintable(longest));
    QVERIFY(metrics.height() <= line->contentsRect().height());
    QVERIFY(line->geometry().right() < line->parentWidget()->contentsRect().right());
}

DAYVANE_PINNED_MAIN(TestCalWin, "en_US.UTF-8")
#include "tst_calwin.moc"
