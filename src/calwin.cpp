#include "calwin.h"

#include "dateinfo.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QStyle>

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
    // Never clip the line's descenders, whatever font fontconfig picked.
    const int height = std::max(LabelHeight, label->fontMetrics().height());
    label->setGeometry(LabelLeft, top, ClientWidth - 2 * LabelLeft, height);
    return label;
}

} // namespace

TfrmCal::TfrmCal(QWidget *parent)
    : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("frmCal"));
    setWindowTitle(QStringLiteral("Dayvane"));
    setFont(windowFont());
    setFixedSize(ClientWidth, ClientHeight);

    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Base));
    setPalette(pal);
    setAutoFillBackground(true);

    oCal = new QCalendarWidget(this);
    oCal->setObjectName(QStringLiteral("oCal"));
    oCal->setGeometry(0, 0, ClientWidth, CalendarHeight);
    oCal->setCursor(Qt::PointingHandCursor);
    oCal->setLocale(TimeLocale());
    oCal->setMinimumDate(DateToQDate(MinDateTime));
    oCal->setMaximumDate(DateToQDate(MaxDateTime));
    // Its pop-up date editor would take every printable key for itself.
    oCal->setDateEditEnabled(false);
    QPalette calPal = oCal->palette();
    calPal.setColor(QPalette::Disabled, QPalette::Text, Qt::black); // neighbouring months' days
    oCal->setPalette(calPal);

    gbDateInfo = new QGroupBox(QStringLiteral(" Date Information  "), this);
    gbDateInfo->setObjectName(QStringLiteral("gbDateInfo"));
    gbDateInfo->setGeometry(0, CalendarHeight, ClientWidth, PanelHeight);
    lblDayOfYear = panelLine(gbDateInfo, 20, "lblDayOfYear");
    lblDaysUntil = panelLine(gbDateInfo, 40, "lblDaysUntil");

    setTabOrder(gbDateInfo, oCal);
    oCal->setFocus();

    connect(oCal, &QCalendarWidget::clicked, this, &TfrmCal::oCalClick);
    qApp->installEventFilter(this);

    FormCreate();

    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                    screen()->availableGeometry()));
}

TfrmCal::~TfrmCal()
{
    qApp->removeEventFilter(this);
}

TDateTime TfrmCal::SelectedDate() const
{
    return QDateToDate(oCal->selectedDate());
}

void TfrmCal::SetSelectedDate(TDateTime date)
{
    if (!IsValidDate(date) || CompareDate(date, SelectedDate()) == 0)
        return;
    oCal->setSelectedDate(DateToQDate(date));
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
    if (widget == oCal || oCal->isAncestorOf(widget))
        oCalKeyDown(key);
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
    Q_UNUSED(event);
    UpdateDateInfo();
}

void TfrmCal::FormCreate()
{
    SetSelectedDate(IncMonth(Date(), -1));
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
