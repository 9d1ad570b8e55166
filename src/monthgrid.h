#pragma once

#include <QDate>
#include <QHash>
#include <QStaticText>
#include <QWidget>

// Twelve consecutive months, three to a row, painted in one widget: the
// selected day filled, today outlined. The view follows the selection by
// whole rows; the arrows in the first and last title bands and the mouse
// wheel scroll it without changing the selection.
class MonthGrid : public QWidget
{
    Q_OBJECT

public:
    explicit MonthGrid(QWidget *parent = nullptr);

    QDate selectedDate() const;

    // Selects date and scrolls it into view; an invalid date, one outside
    // 0001-01-01 to 9999-12-31 and the date already selected change nothing.
    void setSelectedDate(QDate date);

    // The first day of the first month shown (top left, or top right in a
    // right-to-left layout); invalid until a date is selected.
    QDate firstVisibleMonth() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

signals:
    void selectedDateChanged(QDate date);
    // A day pressed with the mouse, once the selection has moved to it.
    void clicked(QDate date);

private:
    QRect monthRect(int position) const;
    QRect rowRect(const QRect &month, int row) const;
    QRect cellRect(const QRect &month, int row, int column) const;
    QRect arrowRect(bool forward) const;
    QRect cellRectOf(QDate date) const;
    QDate dateAt(QPoint pos) const;
    void scrollRows(int rows);
    void announceName();
    void prepareTexts(int cellWidth);
    const QStaticText &title(QDate month, int width);
    void paintMonth(QPainter &painter, int position, const QRect &dirty);
    void paintArrow(QPainter &painter, bool forward) const;

    QDate selection;
    QDate firstVisible;
    int wheelRemainder = 0;

    // Laid out once for the font, locale and cell width in textsKey: the
    // first frame and every key would otherwise shape hundreds of strings.
    QString textsKey;
    QStaticText dayNumbers[31];
    QStaticText dayNames[7];
    // The titles of the months shown lately, dropped with the texts above.
    struct Title
    {
        QStaticText text;
        int width;
    };
    QHash<QDate, Title> titles;
};
