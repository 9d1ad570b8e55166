#include "calwin.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
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
            const QByteArray socket
                = wayland.startsWith('/') ? wayland : qgetenv("XDG_RUNTIME_DIR") + '/' + wayland;
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

// Whether a clipboard manager (freedesktop's CLIPBOARD_MANAGER) is there to
// take over the clipboard when the program ends; Qt hands it over then.
bool clipboardManagerRunning()
{
    const auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11)
        return false;
    xcb_connection_t *connection = x11->connection();
    static const char name[] = "CLIPBOARD_MANAGER";
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, true, sizeof name - 1, name), nullptr);
    if (!atom)
        return false;
    xcb_get_selection_owner_reply_t *owner = atom->atom == XCB_NONE
        ? nullptr
        : xcb_get_selection_owner_reply(
            connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
    const bool running = owner && owner->owner != XCB_NONE;
    std::free(owner);
    std::free(atom);
    return running;
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

    // Nothing here takes text, so no input method plugin needs loading.
    qputenv("QT_IM_MODULE", "none");
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
    const int status = app.exec();

    // On X11 a copy lives only as long as its owner. With no clipboard
    // manager to take it, go on serving it without a window until another
    // program takes the clipboard over.
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (status != 0 || !clipboard->ownsClipboard() || clipboardManagerRunning())
        return status;
    QObject::connect(clipboard, &QClipboard::changed, [clipboard](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard && !clipboard->ownsClipboard())
            QCoreApplication::quit();
    });
    return app.exec();
}
