#pragma once

#include "dates.h"

#include <QWidget>

class MonthGrid;
class QGroupBox;
class QKeyEvent;
class QLabel;

// The main window: the month calendar above the information panel.
class TfrmCal : public QWidget
{
    Q_OBJECT

public:
    explicit TfrmCal(QWidget *parent = nullptr);
    ~TfrmCal() override;

    // The selected date, as the calendar holds it.
    TDateTime SelectedDate() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FormKeyDown(QKeyEvent *event);
    void FormCreate();
    void oCalClick();
    void oCalKeyDown(QKeyEvent *event);
    void UpdateDateInfo();

    QGroupBox *gbDateInfo;
    MonthGrid *oCal;
    QLabel *lblDayOfYear;
    QLabel *lblDaysUntil;
};

// The one main window of the run.
extern TfrmCal *frmCal;
