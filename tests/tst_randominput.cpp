#include "calwin.h"
#include "dateinfo.h"
#include "pinned.h"

#include <QClipboard>
#include <QLabel>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QWheelEvent>

#include <optional>

namespace {

const QDate First(1, 1, 1);
const QDate Last(9999, 12, 31);

// The key table, stated independently of the window's code: where a key
// takes a day, or nothing when the step would leave the range.
QDate stepped(int key, QDate from, QDate today)
{
    QDate to;
    switch (key) {
    case Qt::Key_H:
    case Qt::Key_T:
    case Qt::Key_Home:
        return today;
    case Qt::Key_Left:
        to = from.addDays(-1);
        break;
    case Qt::Key_Right:
        to = from.addDays(1);
        break;
    case Qt::Key_Up:
        to = from.addDays(-7);
        break;
    case Qt::Key_Down:
        to = from.addDays(7);
        break;
    case Qt::Key_PageUp:
    case Qt::Key_Backspace:
        to = from.addMonths(-1);
        break;
    case Qt::Key_PageDown:
        to = from.addMonths(1);
        break;
    default:
        return from;
    }
    return to.isValid() && to >= First && to <= Last ? to : from;
}

} // namespace

class TestRandomInput : public QObject
{
    Q_OBJECT

private slots:
    void randomEventsKeepTheWindowConsistent();
};

// Seeded, so a failure can be replayed: DAYVANE_SEED=<seed> tst_randominput.
void TestRandomInput::randomEventsKeepTheWindowConsistent()
{
    const quint32 seed = qEnvironmentVariableIsSet("DAYVANE_SEED")
        ? quint32(qEnvironmentVariableIntValue("DAYVANE_SEED"))
        : QRandomGenerator::system()->generate();
    QRandomGenerator random(seed);
    auto failure = qScopeGuard([seed] { qWarning("replay with DAYVANE_SEED=%u", seed); });

    // Today near one end of the range, so that steps run into it as well.
    const QDate today = random.bounded(3) == 0 ? QDate(9999, 11, 30)
        : random.bounded(2) == 0               ? QDate(1, 2, 15)
                                               : QDate(2026, 12, 11);
    Pinned::setToday(today);
    TfrmCal window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto *dayOfYear = window.findChild<QLabel *>(QStringLiteral("lblDayOfYear"));
    const auto *daysUntil = window.findChild<QLabel *>(QStringLiteral("lblDaysUntil"));
    QClipboard *clipboard = QGuiApplication::clipboard();

    const int tableKeys[] = {Qt::Key_Escape, Qt::Key_H, Qt::Key_T, Qt::Key_Home, Qt::Key_Left,
        Qt::Key_Right, Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_Backspace,
        Qt::Key_PageDown, Qt::Key_C};
    const int otherKeys[] = {Qt::Key_End, Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Return,
        Qt::Key_Space, Qt::Key_Delete, Qt::Key_Insert, Qt::Key_F1, Qt::Key_A, Qt::Key_Z, Qt::Key_0,
        Qt::Key_Minus, Qt::Key_Plus, Qt::Key_Menu, Qt::Key_Control, Qt::Key_Shift};
    const Qt::KeyboardModifier modifiers[] = {Qt::ShiftModifier, Qt::ControlModifier,
        Qt::AltModifier, Qt::MetaModifier, Qt::KeypadModifier};

    for (int i = 0; i < 20000; ++i) {
        if (!window.isVisible()) {
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
        }
        const QDate before = DateToQDate(window.SelectedDate());
        const int kind = random.bounded(10);
        std::optional<QDate> expected;
        if (kind < 7) {
            const int key = kind < 5 ? tableKeys[random.bounded(int(std::size(tableKeys)))]
                                     : otherKeys[random.bounded(int(std::size(otherKeys)))];
            Qt::KeyboardModifiers held;
            for (Qt::KeyboardModifier m : modifiers)
                if (random.bounded(4) == 0)
                    held |= m;
            clipboard->setText(QStringLiteral("-"));
            QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : &window;
            QTest::keyClick(target, Qt::Key(key), held);
            expected = stepped(key, before, today);
            const bool copies = key == Qt::Key_C && (held & Qt::ControlModifier);
            QCOMPARE(clipboard->text(),
                copies ? FormatDateTime(LongDateFormat(), QDateToDate(before))
                       : QStringLiteral("-"));
        } else {
            const QPoint at(random.bounded(window.width()), random.bounded(window.height()));
            QWidget *target = window.childAt(at) ? window.childAt(at) : &window;
            const QPoint local = target->mapFrom(&window, at);
            if (kind < 9) {
                QTest::mouseClick(target, Qt::LeftButton, {}, local);
            } else {
                const QPoint delta(0, (random.bounded(2) ? 1 : -1) * 120);
                QWheelEvent wheel(local, target->mapToGlobal(local), {}, delta, Qt::NoButton, {},
                    Qt::NoScrollPhase, false);
                QApplication::sendEvent(target, &wheel);
                expected = before; // the wheel scrolls the view, not the selection
            }
        }

        const TDateTime s = window.SelectedDate();
        QVERIFY2(IsValidDate(s), qPrintable(QStringLiteral("event %1").arg(i)));
        if (expected)
            QCOMPARE(DateToQDate(s), *expected);
        QCOMPARE(dayOfYear->text(), DayOfYearText(s));
        QCOMPARE(daysUntil->text(), DaysUntilText(s, Date()));
    }
    failure.dismiss();
}

DAYVANE_PINNED_MAIN(TestRandomInput, "en_US.UTF-8")
#include "tst_randominput.moc"
