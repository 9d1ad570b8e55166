// xmeasure: starts one X11 program and measures, from the X server's side,
// how long it takes to show its first complete frame, how much memory it
// holds then, and how long a key press takes to reach the screen.
//
//   xmeasure [options] -- PROGRAM [ARGUMENTS...]
//
//   --quiet MS        quiet time that ends start-up (default 200)
//   --keys N          Right key presses to time after start-up (default 0)
//   --key-quiet MS    quiet time that ends a press's repaint burst (default 50)
//   --key-log FILE    one line per press: settled and first-damage latency, ms
//   --log FILE        the program's standard output and error (default: ours)
//   --timeout S       give up on a start-up or a close after S s (default 20)
//
// It prints one line of name=value pairs on standard output and exits 0 when
// the program showed a window, 1 when it did not, 2 on bad usage.
//
// How the first frame is found
// ----------------------------
// Before starting the program we select SubstructureNotify on the root
// window, so the server tells us of every top-level window created or mapped
// on it (there is no window manager on the benchmark's server, so nothing is
// reparented and the program draws straight into its own top-level). The
// clock starts right before fork(). On each CreateNotify for a child of the
// root we create a DAMAGE object at once, at level RawRectangles: every
// drawing request the server carries out on that window is then reported,
// one event per rectangle, with no Subtract needed to re-arm it.
//
// The race between the program's first drawing and our DamageCreate: Qt (like
// any X client without a compositor) paints a window only once the server
// has sent it Expose, and the server sends Expose only after carrying out the
// MapWindow request; the window is created long before, and the program
// spends milliseconds setting properties on it in between. Our DamageCreate
// goes out as soon as we read the CreateNotify. To prove it won, we ask for
// the window's attributes right after it: the server answers requests in
// order, so if the window is still unmapped in that reply, no drawing on the
// mapped window can have happened before our DAMAGE object existed. When it
// is already mapped, the run is reported with late=1 and its numbers should
// not be trusted (bench/run.sh then measures that start again). To keep that
// rare on a loaded machine, xmeasure raises its own scheduling priority where
// it may; the program runs at the priority xmeasure was started with.
//
// Start-up ends once the top-level is mapped, at least one change was
// reported on it after the map, and then nothing changed for --quiet ms
// (200 by default: an order of magnitude more than a frame takes, so a
// second paint right after the first, say once a font or a style is loaded,
// still counts as part of the first frame). The figure is the time of the
// last change before that quiet period, from the clock start. Times are
// taken on CLOCK_MONOTONIC when the event is read from the connection.
//
// The memory is the program's Rss and Pss from /proc/PID/smaps_rollup at
// the moment start-up ended. cpu_ms is the user and system time the program
// used over its whole run, start to exit, as wait4() reports it: steadier
// than any wall-clock figure on a busy machine, and with no key presses
// almost all of it is start-up.
//
// How a key press is timed
// ------------------------
// We give the top-level the input focus (SetInputFocus) and wait until the
// repaint that focusing causes has settled. Then, for each press: take the
// time, send a Right key press through XTEST and flush; every DAMAGE event
// from then on belongs to the press's burst, until --key-quiet ms (50 by
// default) pass with no change. 50 ms is well above the time one repaint
// takes and above a 60 Hz frame interval, so a repaint done in two steps is
// still one burst, yet short enough for 200 presses to run in seconds. The
// press's latency is the time of the last change in its burst. Only then do
// we send the key release and wait 20 ms (any change there is counted as
// stray), so the release never overlaps a timed repaint. A press with no
// change within a second counts as missed.
//
// Ending the program
// ------------------
// The program gets WM_DELETE_WINDOW, as from a window manager's close box,
// then SIGTERM after --timeout s, then SIGKILL after 2 s more. The child
// also gets SIGTERM from the kernel should xmeasure die first
// (PR_SET_PDEATHSIG), and SIGINT or SIGTERM to xmeasure end the child too.

#include <xcb/damage.h>
#include <xcb/xcb.h>
#include <xcb/xproto.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <set>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr uint32_t XK_Right = 0xff53;

double nowMs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

[[noreturn]] void die(const char *what)
{
    std::fprintf(stderr, "xmeasure: %s\n", what);
    std::exit(1);
}

volatile sig_atomic_t g_child = 0;

void reapChild(int sig)
{
    const pid_t child = g_child;
    if (child > 0) {
        kill(child, SIGTERM);
        for (int i = 0; i < 200; ++i) {
            if (waitpid(child, nullptr, WNOHANG) == child)
                _exit(128 + sig);
            const timespec tick{0, 10'000'000};
            nanosleep(&tick, nullptr);
        }
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    _exit(128 + sig);
}

struct Options {
    double quietMs = 200;
    int keys = 0;
    double keyQuietMs = 50;
    const char *keyLog = nullptr;
    const char *log = nullptr;
    double timeoutS = 20;
    char **argv = nullptr;
};

Options parse(int argc, char **argv)
{
    Options o;
    int i = 1;
    auto value = [&](const char *name) -> const char * {
        if (i + 1 >= argc) {
            std::fprintf(stderr, "xmeasure: %s wants a value\n", name);
            std::exit(2);
        }
        return argv[++i];
    };
    for (; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--") {
            ++i;
            break;
        } else if (a == "--quiet") {
            o.quietMs = std::atof(value("--quiet"));
        } else if (a == "--keys") {
            o.keys = std::atoi(value("--keys"));
        } else if (a == "--key-quiet") {
            o.keyQuietMs = std::atof(value("--key-quiet"));
        } else if (a == "--key-log") {
            o.keyLog = value("--key-log");
        } else if (a == "--log") {
            o.log = value("--log");
        } else if (a == "--timeout") {
            o.timeoutS = std::atof(value("--timeout"));
        } else {
            std::fprintf(stderr, "xmeasure: unknown option %s\n", a.c_str());
            std::exit(2);
        }
    }
    if (i >= argc) {
        std::fputs("usage: xmeasure [--quiet MS] [--keys N] [--key-quiet MS] [--key-log FILE]"
                   " [--log FILE] [--timeout S] -- PROGRAM [ARGUMENTS...]\n",
                   stderr);
        std::exit(2);
    }
    o.argv = argv + i;
    return o;
}

struct Memory {
    double rssMiB = -1;
    double pssMiB = -1;
};

Memory readMemory(pid_t pid)
{
    Memory m;
    const std::string path = "/proc/" + std::to_string(pid) + "/smaps_rollup";
    FILE *f = std::fopen(path.c_str(), "r");
    if (!f)
        return m;
    char line[256];
    while (std::fgets(line, sizeof line, f)) {
        long kb = 0;
        if (std::sscanf(line, "Rss: %ld kB", &kb) == 1)
            m.rssMiB = double(kb) / 1024;
        else if (std::sscanf(line, "Pss: %ld kB", &kb) == 1)
            m.pssMiB = double(kb) / 1024;
    }
    std::fclose(f);
    return m;
}

class Session
{
public:
    explicit Session(const Options &options)
        : opt(options)
    {
        // Mostly asleep in poll(), we take little from the program, but on a
        // busy machine a late wake-up delays the DamageCreate (see above).
        // Where allowed, we run ahead of the program; it gets the priority we
        // were started with.
        errno = 0;
        startNice = getpriority(PRIO_PROCESS, 0);
        if (errno == 0)
            setpriority(PRIO_PROCESS, 0, std::max(-20, startNice - 10));
        conn = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(conn))
            die("cannot connect to the X server (check DISPLAY)");
        screen = xcb_setup_roots_iterator(xcb_get_setup(conn)).data;
        root = screen->root;

        const xcb_query_extension_reply_t *damageExt = xcb_get_extension_data(conn, &xcb_damage_id);
        if (!damageExt || !damageExt->present)
            die("the X server has no DAMAGE extension");
        damageEvent = damageExt->first_event + XCB_DAMAGE_NOTIFY;
        std::free(xcb_damage_query_version_reply(
            conn, xcb_damage_query_version(conn, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION),
            nullptr));
        const xcb_query_extension_reply_t *testExt = xcb_get_extension_data(conn, &xcb_test_id);
        if (!testExt || !testExt->present)
            die("the X server has no XTEST extension");

        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_void_cookie_t c = xcb_change_window_attributes_checked(conn, root, XCB_CW_EVENT_MASK, &mask);
        if (xcb_generic_error_t *e = xcb_request_check(conn, c)) {
            std::free(e);
            die("cannot select SubstructureNotify on the root window");
        }
        // Out of the way of both programs' windows, so that no hover state
        // changes what they paint.
        xcb_warp_pointer(conn, XCB_NONE, root, 0, 0, 0, 0, int16_t(screen->width_in_pixels - 1),
                         int16_t(screen->height_in_pixels - 1));
        xcb_flush(conn);
        fd = xcb_get_file_descriptor(conn);
        // The X connection is ours alone, not the program's.
        fcntl(fd, F_SETFD, fcntl(fd, F_GETFD) | FD_CLOEXEC);
    }

    ~Session() { xcb_disconnect(conn); }

    int run()
    {
        const double t0 = nowMs();
        start();
        const bool shown = waitFirstFrame(t0);
        Memory mem;
        if (shown)
            mem = readMemory(child);

        std::vector<double> settled, first;
        int missed = 0, stray = 0;
        if (shown && opt.keys > 0)
            timeKeys(settled, first, missed, stray);

        const char *how = close();
        std::printf("ok=%d first_frame_ms=%.2f map_ms=%.2f first_damage_ms=%.2f "
                    "startup_damage_events=%d pss_mib=%.2f rss_mib=%.2f late=%d",
                    shown ? 1 : 0, shown ? lastDamage - t0 : -1.0,
                    mapTime > 0 ? mapTime - t0 : -1.0,
                    firstDamage > 0 ? firstDamage - t0 : -1.0, startupEvents, mem.pssMiB,
                    mem.rssMiB, late ? 1 : 0);
        if (opt.keys > 0) {
            std::vector<double> s = settled;
            std::sort(s.begin(), s.end());
            const auto pct = [&](double p) {
                if (s.empty())
                    return -1.0;
                // nearest rank
                size_t rank = size_t(std::max(1.0, std::ceil(p * double(s.size()))));
                return s[std::min(rank, s.size()) - 1];
            };
            const double median = s.empty() ? -1.0
                : s.size() % 2 ? s[s.size() / 2]
                               : (s[s.size() / 2 - 1] + s[s.size() / 2]) / 2;
            std::printf(" keys=%zu key_missed=%d key_stray=%d key_median_ms=%.3f "
                        "key_p95_ms=%.3f key_first_ms=%.3f",
                        settled.size(), missed, stray, median, pct(0.95),
                        settled.empty() ? -1.0 : settled.front());
            if (opt.keyLog) {
                if (FILE *f = std::fopen(opt.keyLog, "w")) {
                    for (size_t i = 0; i < settled.size(); ++i)
                        std::fprintf(f, "%.3f %.3f\n", settled[i], first[i]);
                    std::fclose(f);
                }
            }
        }
        std::printf(" cpu_ms=%.1f exit=%d closed_by=%s\n", cpuMs, exitStatus, how);
        std::fflush(stdout);
        return shown ? 0 : 1;
    }

private:
    void start()
    {
        int logFd = -1;
        if (opt.log) {
            logFd = open(opt.log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
            if (logFd < 0)
                die("cannot open the log file");
        }
        const pid_t parent = getpid();
        child = fork();
        if (child < 0)
            die("fork failed");
        if (child == 0) {
            setpriority(PRIO_PROCESS, 0, startNice);
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != parent)
                _exit(127);
            if (logFd >= 0) {
                dup2(logFd, STDOUT_FILENO);
                dup2(logFd, STDERR_FILENO);
            } else {
                // Our standard output carries the result line.
                dup2(STDERR_FILENO, STDOUT_FILENO);
            }
            execvp(opt.argv[0], opt.argv);
            std::fprintf(stderr, "xmeasure: cannot run %s: %s\n", opt.argv[0], std::strerror(errno));
            _exit(127);
        }
        g_child = child;
        if (logFd >= 0)
            ::close(logFd);
        pidFd = int(syscall(SYS_pidfd_open, child, 0));
    }

    bool childExited()
    {
        if (exited)
            return true;
        int status = 0;
        rusage usage{};
        if (wait4(child, &status, WNOHANG, &usage) == child) {
            cpuMs = (double(usage.ru_utime.tv_sec) + double(usage.ru_stime.tv_sec)) * 1e3
                + (double(usage.ru_utime.tv_usec) + double(usage.ru_stime.tv_usec)) / 1e3;
            exited = true;
            g_child = 0;
            exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        return exited;
    }

    // The next event, or nothing once the deadline (CLOCK_MONOTONIC, ms)
    // passes or the program has ended. Sets *at to when it was read.
    xcb_generic_event_t *nextEvent(double deadline, double *at)
    {
        for (;;) {
            if (xcb_generic_event_t *ev = xcb_poll_for_event(conn)) {
                *at = nowMs();
                return ev;
            }
            if (xcb_connection_has_error(conn))
                die("lost the connection to the X server");
            if (childExited())
                return nullptr;
            const double left = deadline - nowMs();
            if (left <= 0)
                return nullptr;
            pollfd fds[2] = {{fd, POLLIN, 0}, {pidFd, POLLIN, 0}};
            const double wait = pidFd >= 0 ? left : std::min(left, 50.0);
            const timespec ts{time_t(wait / 1e3), long(std::fmod(wait, 1e3) * 1e6)};
            ppoll(fds, pidFd >= 0 ? 2 : 1, &ts, nullptr);
        }
    }

    void track(xcb_window_t window)
    {
        if (!windows.insert(window).second)
            return;
        xcb_damage_create(conn, xcb_generate_id(conn), window,
                          XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        // Answered after the DamageCreate: still unmapped means nothing was
        // drawn on it unseen.
        xcb_get_window_attributes_reply_t *a =
            xcb_get_window_attributes_reply(conn, xcb_get_window_attributes(conn, window), nullptr);
        if (a && a->map_state != XCB_MAP_STATE_UNMAPPED)
            late = true;
        std::free(a);
    }

    // What one event means for us: true when it is a change on one of the
    // program's windows.
    bool handle(xcb_generic_event_t *ev, double at)
    {
        const uint8_t type = ev->response_type & 0x7f;
        if (type == XCB_CREATE_NOTIFY) {
            auto *e = reinterpret_cast<xcb_create_notify_event_t *>(ev);
            if (e->parent == root)
                track(e->window);
        } else if (type == XCB_MAP_NOTIFY) {
            auto *e = reinterpret_cast<xcb_map_notify_event_t *>(ev);
            if (e->event == root && !e->override_redirect && mainWindow == XCB_NONE) {
                track(e->window); // no-op unless its CreateNotify was missed
                mainWindow = e->window;
                mapTime = at;
            }
        } else if (type == damageEvent) {
            auto *e = reinterpret_cast<xcb_damage_notify_event_t *>(ev);
            if (windows.count(e->drawable))
                return true;
        }
        return false;
    }

    // Waits for the settled first frame; lastDamage is then its time.
    bool waitFirstFrame(double t0)
    {
        const double deadline = t0 + opt.timeoutS * 1e3;
        bool changedSinceMap = false;
        for (;;) {
            double wake = deadline;
            if (changedSinceMap)
                wake = std::min(wake, lastDamage + opt.quietMs);
            double at = 0;
            xcb_generic_event_t *ev = nextEvent(wake, &at);
            if (!ev) {
                if (exited) {
                    std::fprintf(stderr, "xmeasure: %s ended during start-up (status %d)\n",
                                 opt.argv[0], exitStatus);
                    return false;
                }
                if (changedSinceMap && nowMs() >= lastDamage + opt.quietMs)
                    return true;
                if (nowMs() >= deadline) {
                    std::fprintf(stderr, "xmeasure: no settled window after %.0f s\n", opt.timeoutS);
                    return false;
                }
                continue;
            }
            if (handle(ev, at)) {
                if (firstDamage <= 0)
                    firstDamage = at;
                ++startupEvents;
                lastDamage = at;
                if (mainWindow != XCB_NONE)
                    changedSinceMap = true;
            }
            std::free(ev);
        }
    }

    // Drains events for ms; returns the number of changes and the time of
    // the last one.
    int settle(double ms, double *last)
    {
        int n = 0;
        double end = nowMs() + ms;
        for (;;) {
            double at = 0;
            xcb_generic_event_t *ev = nextEvent(end, &at);
            if (!ev)
                return n;
            if (handle(ev, at)) {
                ++n;
                if (last)
                    *last = at;
                end = at + ms;
            }
            std::free(ev);
        }
    }

    xcb_keycode_t keycodeOf(uint32_t keysym)
    {
        const xcb_setup_t *setup = xcb_get_setup(conn);
        const uint8_t count = setup->max_keycode - setup->min_keycode + 1;
        xcb_get_keyboard_mapping_reply_t *map = xcb_get_keyboard_mapping_reply(
            conn, xcb_get_keyboard_mapping(conn, setup->min_keycode, count), nullptr);
        if (!map)
            return 0;
        const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(map);
        xcb_keycode_t found = 0;
        for (int k = 0; k < count && !found; ++k) {
            for (int l = 0; l < map->keysyms_per_keycode; ++l) {
                if (syms[k * map->keysyms_per_keycode + l] == keysym) {
                    found = xcb_keycode_t(setup->min_keycode + k);
                    break;
                }
            }
        }
        std::free(map);
        return found;
    }

    void timeKeys(std::vector<double> &settled, std::vector<double> &first, int &missed, int &stray)
    {
        const xcb_keycode_t right = keycodeOf(XK_Right);
        if (!right)
            die("no keycode carries Right");
        xcb_set_input_focus(conn, XCB_INPUT_FOCUS_POINTER_ROOT, mainWindow, XCB_CURRENT_TIME);
        xcb_flush(conn);
        settle(opt.quietMs, nullptr);

        for (int i = 0; i < opt.keys && !exited; ++i) {
            const double t = nowMs();
            xcb_test_fake_input(conn, XCB_KEY_PRESS, right, XCB_CURRENT_TIME, root, 0, 0, 0);
            xcb_flush(conn);
            double firstAt = 0, lastAt = 0;
            double end = t + 1000; // a press with no change by then is missed
            for (;;) {
                double at = 0;
                xcb_generic_event_t *ev = nextEvent(end, &at);
                if (!ev)
                    break;
                if (handle(ev, at)) {
                    if (firstAt <= 0)
                        firstAt = at;
                    lastAt = at;
                    end = at + opt.keyQuietMs;
                }
                std::free(ev);
            }
            if (lastAt > 0) {
                settled.push_back(lastAt - t);
                first.push_back(firstAt - t);
            } else {
                ++missed;
            }
            xcb_test_fake_input(conn, XCB_KEY_RELEASE, right, XCB_CURRENT_TIME, root, 0, 0, 0);
            xcb_flush(conn);
            stray += settle(20, nullptr);
        }
    }

    xcb_atom_t atom(const char *name)
    {
        xcb_intern_atom_reply_t *r = xcb_intern_atom_reply(
            conn, xcb_intern_atom(conn, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = r ? r->atom : XCB_NONE;
        std::free(r);
        return a;
    }

    bool waitExit(double seconds)
    {
        const double end = nowMs() + seconds * 1e3;
        while (!childExited() && nowMs() < end) {
            double at = 0;
            if (xcb_generic_event_t *ev = nextEvent(end, &at))
                std::free(ev);
        }
        return exited;
    }

    const char *close()
    {
        if (childExited())
            return "itself";
        if (mainWindow != XCB_NONE) {
            xcb_client_message_event_t msg{};
            msg.response_type = XCB_CLIENT_MESSAGE;
            msg.format = 32;
            msg.window = mainWindow;
            msg.type = atom("WM_PROTOCOLS");
            msg.data.data32[0] = atom("WM_DELETE_WINDOW");
            msg.data.data32[1] = XCB_CURRENT_TIME;
            xcb_send_event(conn, 0, mainWindow, XCB_EVENT_MASK_NO_EVENT,
                           reinterpret_cast<const char *>(&msg));
            xcb_flush(conn);
            if (waitExit(opt.timeoutS))
                return "wm_delete_window";
        }
        kill(child, SIGTERM);
        if (waitExit(2))
            return "sigterm";
        kill(child, SIGKILL);
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        exited = true;
        g_child = 0;
        exitStatus = 128 + SIGKILL;
        return "sigkill";
    }

    const Options &opt;
    int startNice = 0;
    xcb_connection_t *conn = nullptr;
    xcb_screen_t *screen = nullptr;
    xcb_window_t root = XCB_NONE;
    uint8_t damageEvent = 0;
    int fd = -1;

    pid_t child = -1;
    int pidFd = -1;
    bool exited = false;
    int exitStatus = -1;
    double cpuMs = -1; // user and system time over the program's whole run

    std::set<xcb_window_t> windows;
    xcb_window_t mainWindow = XCB_NONE;
    bool late = false;
    double mapTime = 0;
    double firstDamage = 0;
    double lastDamage = 0;
    int startupEvents = 0;
};

} // namespace

int main(int argc, char **argv)
{
    const Options options = parse(argc, argv);
    struct sigaction sa {};
    sa.sa_handler = reapChild;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);
    Session session(options);
    return session.run();
}
