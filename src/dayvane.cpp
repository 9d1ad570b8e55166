#include "calwin.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QStyle>

#include <cstdio>
#include <cstdlib>
#include <fontconfig/fontconfig.h>
#include <thread>
#include <xcb/xcb.h>

// The window icon, from the same drawing as the installed icon files. Read
// from XPM data, it needs no image-format plugin.
#include "dayvane-16.xpm"
#include "dayvane-32.xpm"

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
    // Loading the font configuration is the longest single step of a start.
    // Qt would do it on this thread when the window first asks for a font;
    // done on another core, it overlaps the connection to the display.
    // fontconfig is thread-safe, and the thread is joined before any widget.
    std::jthread fontConfiguration(FcInit);

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
    for (const char *const *xpm : {dayvane_16, dayvane_32})
        icon.addPixmap(QPixmap::fromImage(QImage(xpm)));
    QApplication::setWindowIcon(icon);

    // Fusion draws the panel's frame from an image, and the first image read
    // loads every image-format plugin to ask it about the data. Loaded on
    // another core while the window is built, they are ready for its paint.
    std::jthread imagePlugins;
    if (QApplication::style()->name() == QLatin1String("fusion"))
        imagePlugins = std::jthread([] { QImageReader::supportedImageFormats(); });

    fontConfiguration.join();
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
