#include "calwin.h"

#include "dateinfo.h"
#include "monthgrid.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QStyle>

#include <cstring>

TfrmCal *frmCal = nullptr;

namespace {

// Sizes are in device-independent pixels, laid out for 96 dpi.
constexpr int ClientWidth = 564;
constexpr int ClientHeight = 671;
constexpr int CalendarHeight = 606;
constexpr int PanelHeight = ClientHeight - CalendarHeight;
constexpr int LabelLeft = 12;
constexpr int LabelHeight = 13;

QFont windowFont()
{
    // Tahoma is rare on Linux; the style hint lets fontconfig fall back to
    // the desktop's sans-serif.
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

QLabel *panelLine(QWidget *panel, int top, const char *name)
{
    auto *label = new QLabel(panel);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(false);
    label->setTextFormat(Qt::PlainText);
    // Never clip the line's descenders, whatever font fontconfig picked.
    const int height = std::max(LabelHeight, label->fontMetrics().height());
    label->setGeometry(LabelLeft, top, ClientWidth - 2 * LabelLeft, height);
    return label;
}

// The Latin letter that a key sits on in the US layout, from its xkb keycode
// (the evdev code + 8, as X11 and Wayland deliver it), so that Cyrillic or
// Greek layouts keep the letter commands; 0 for any other key.
int latinLetterAt(quint32 keycode)
{
    static constexpr struct
    {
        quint32 first;
        const char *letters;
    } rows[] = {{24, "qwertyuiop"}, {38, "asdfghjkl"}, {52, "zxcvbnm"}};
    for (const auto &row : rows) {
        const quint32 length = quint32(std::strlen(row.letters));
        if (keycode >= row.first && keycode < row.first + length)
            return Qt::Key_A + (row.letters[keycode - row.first] - 'a');
    }
    return 0;
}

// The key as the command table knows it: a letter by its letter whatever
// Shift, Caps Lock or the layout say.
int commandKey(const QKeyEvent *event)
{
    const int key = event->key();
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || key < Qt::Key_Exclam || key >= Qt::Key_Escape)
        return key;
    const int letter = latinLetterAt(event->nativeScanCode());
    return letter ? letter : key;
}

} // namespace

TfrmCal::TfrmCal(QWidget *parent) : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("frmCal"));
    setWindowTitle(QStringLiteral("Dayvane"));
    setFont(windowFont());
    setFixedSize(ClientWidth, ClientHeight);

    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Base));
    setPalette(pal);
    setAutoFillBackground(true);

    const QLocale locale = TimeLocale();
    oCal = new MonthGrid(this);
    oCal->setObjectName(QStringLiteral("oCal"));
    oCal->setGeometry(0, 0, ClientWidth, CalendarHeight);
    oCal->setLocale(locale);
    // Qt takes the layout direction from the application's locale; the
    // calendar follows the locale that it writes dates in.
    oCal->setLayoutDirection(locale.textDirection());

    gbDateInfo = new QGroupBox(QStringLiteral(" Date Information  "), this);
    gbDateInfo->setObjectName(QStringLiteral("gbDateInfo"));
    gbDateInfo->setGeometry(0, CalendarHeight, ClientWidth, PanelHeight);
    lblDayOfYear = panelLine(gbDateInfo, 20, "lblDayOfYear");
    lblDaysUntil = panelLine(gbDateInfo, 40, "lblDaysUntil");

    setTabOrder(gbDateInfo, oCal);
    oCal->setFocus();

    connect(oCal, &MonthGrid::clicked, this, &TfrmCal::oCalClick);
    qApp->installEventFilter(this);

    FormCreate();

    setGeometry(QStyle::alignedRect(
        Qt::LeftToRight, Qt::AlignCenter, size(), screen()->availableGeometry()));
}

TfrmCal::~TfrmCal()
{
    qApp->removeEventFilter(this);
}

TDateTime TfrmCal::SelectedDate() const
{
    return QDateToDate(oCal->selectedDate());
}

bool TfrmCal::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    // The application-wide filter sees a key once per widget it propagates
    // to; only its first delivery, to the focus widget, counts.
    auto *widget = static_cast<QWidget *>(watched);
    const QWidget *focus = QApplication::focusWidget();
    if (widget->window() != this || widget != (focus ? focus : this))
        return false;

    auto *key = static_cast<QKeyEvent *>(event);
    FormKeyDown(key);
    if (widget == oCal)
        oCalKeyDown(key);
    // The key goes on unchanged. The calendar does nothing with keys, so the
    // key table is all that keys do to the date: one key, one step.
    return false;
}

void TfrmCal::closeEvent(QCloseEvent *event)
{
    // A tool window does not count for quit-on-last-window-closed.
    event->accept();
    QCoreApplication::quit();
}

void TfrmCal::FormKeyDown(QKeyEvent *event)
{
    const TDateTime s = SelectedDate();
    TDateTime to = s;
    switch (commandKey(event)) {
    case Qt::Key_Escape:
        close();
        break;
    case Qt::Key_H:
    case Qt::Key_T:
    case Qt::Key_Home:
        to = Date();
        break;
    case Qt::Key_Left:
        to = IncDay(s, -1);
        break;
    case Qt::Key_Right:
        to = IncDay(s, +1);
        break;
    case Qt::Key_Up:
        to = IncWeek(s, -1);
        break;
    case Qt::Key_Down:
        to = IncWeek(s, +1);
        break;
    case Qt::Key_PageUp:
    case Qt::Key_Backspace:
        to = IncMonth(s, -1);
        break;
    case Qt::Key_PageDown:
        to = IncMonth(s, +1);
        break;
    case Qt::Key_C:
        if (event->modifiers() & Qt::ControlModifier)
            QGuiApplication::clipboard()->setText(FormatDateTime(LongDateFormat(), s));
        break;
    }
    oCal->setSelectedDate(DateToQDate(to));
    UpdateDateInfo();
}

void TfrmCal::FormCreate()
{
    oCal->setSelectedDate(DateToQDate(IncMonth(Date(), -1)));
    UpdateDateInfo();
}

void TfrmCal::oCalClick()
{
    UpdateDateInfo();
}

void TfrmCal::oCalKeyDown(QKeyEvent *event)
{
    Q_UNUSED(event);
    UpdateDateInfo();
}

void TfrmCal::UpdateDateInfo()
{
    const TDateTime s = SelectedDate();
    const TDateTime t = Date();
    lblDaysUntil->setText(DaysUntilText(s, t));
    lblDayOfYear->setText(DayOfYearText(s));
}
