// The toolkit floor: what any Qt Widgets program pays to put one window of
// Dayvane's size and kind on the screen, with nothing of Dayvane in it. The
// benchmark measures Dayvane against this.

#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    QLabel label(QStringLiteral("Dayvane"), nullptr, Qt::Tool);
    label.setWindowTitle(QStringLiteral("Dayvane floor"));
    label.setAlignment(Qt::AlignCenter);
    label.setFixedSize(564, 671);
    // A tool window does not take part in quit-on-last-window-closed; the
    // benchmark closes both programs the way a window manager's close box
    // does, so closing this one has to end the program as it ends Dayvane.
    label.setAttribute(Qt::WA_QuitOnClose);
    label.show();
    return app.exec();
}
