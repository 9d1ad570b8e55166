#include "calwin.h"

#include <QApplication>
#include <QFile>
#include <QIcon>

#include <cstdio>
#include <cstdlib>
#include <xcb/xcb.h>

namespace {

// Qt aborts with a core dump when it finds no display; say so plainly instead.
// Platforms other than X11 and Wayland are left to Qt.
bool displayReachable()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland"))
        return true;

    if (!platform.startsWith("xcb")) {
        const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
        if (!wayland.isEmpty()) {
            const QByteArray socket = wayland.startsWith('/')
                ? wayland
                : qgetenv("XDG_RUNTIME_DIR") + '/' + wayland;
            if (QFile::exists(QString::fromLocal8Bit(socket)))
                return true;
        }
    }
    if (!platform.startsWith("wayland") && qEnvironmentVariableIsSet("DISPLAY")) {
        xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
        const bool ok = xcb_connection_has_error(connection) == 0;
        xcb_disconnect(connection);
        return ok;
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    if (!displayReachable()) {
        std::fputs("dayvane: cannot open a display: no X server or Wayland compositor is "
                   "reachable (check DISPLAY or WAYLAND_DISPLAY)\n",
                   stderr);
        return EXIT_FAILURE;
    }

    QApplication app(argc, argv);
    // The application name, not a display name: Qt would append a display
    // name to every window title.
    QApplication::setApplicationName(QStringLiteral("Ordwyn Dayvane"));
    QApplication::setApplicationVersion(QStringLiteral(DAYVANE_VERSION));
    QApplication::setOrganizationName(QStringLiteral("Ordwyn Systems"));
    QGuiApplication::setDesktopFileName(QStringLiteral("com.ordwyn.Dayvane"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/dayvane-16.png"));
    icon.addFile(QStringLiteral(":/icons/dayvane-32.png"));
    QApplication::setWindowIcon(icon);

    TfrmCal window;
    frmCal = &window;
    window.show();
    return app.exec();
}
