// Starts a program and prints how long it took until its first pixels were
// drawn on the X display, as seen from outside the program.
//
//   bench_first_frame [--log FILE] [--kill] [--timeout MS] program [args...]
//
// Prints one line: "<drawn ms> <mapped ms> <pid>", both times counted from
// just before the program's process was created. --kill ends the program
// once it has drawn; otherwise it is left running for the caller.
//
// How "drawn" is observed: this client is told of every top-level window
// the program creates and at once asks the X server (DAMAGE extension) to
// report the first drawing into it, long before the program maps it and
// can draw. Qt creates its windows without a background for the server to
// paint on mapping, so the first damage is the program's own first frame
// reaching the screen: its backing store copied to the window. This is the same test, by the same client, for every program it
// starts, it costs the measured program nothing (no polling), and it does
// not depend on how the program decides what it shows first. The time the
// first top-level window was mapped is printed beside it, as a cross-check:
// a frame can never come before the map.
//
// It needs a display of its own: any other client drawing at the same time
// would be taken for the program.
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The DAMAGE extension has no xcb header on this system; its three requests
// are simple enough to send by hand.
xcb_extension_t damageExtension = {"DAMAGE", 0};

constexpr uint8_t DamageQueryVersion = 0;
constexpr uint8_t DamageCreate = 1;
constexpr uint8_t ReportNonEmpty = 3;

long long monotonicNs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

unsigned sendDamageRequest(xcb_connection_t *c, uint8_t opcode, const void *body, size_t size, bool hasReply)
{
    // xcb fills in the first four bytes (opcodes and length).
    xcb_protocol_request_t request = {2, &damageExtension, opcode, hasReply ? uint8_t(0) : uint8_t(1)};
    static const char pad[4] = {0, 0, 0, 0};
    struct iovec parts[4];
    parts[2].iov_base = const_cast<void *>(body);
    parts[2].iov_len = size;
    parts[3].iov_base = const_cast<char *>(pad);
    parts[3].iov_len = -size & 3;
    // A request without a reply is sent unchecked: an error (a window gone
    // already) arrives as an event and is passed over.
    return xcb_send_request(c, hasReply ? XCB_REQUEST_CHECKED : 0, parts + 2, &request);
}

bool queryDamage(xcb_connection_t *c, uint8_t *firstEvent)
{
    const xcb_query_extension_reply_t *ext = xcb_get_extension_data(c, &damageExtension);
    if (!ext || !ext->present)
        return false;
    *firstEvent = ext->first_event;

    struct
    {
        uint8_t major, minor;
        uint16_t length;
        uint32_t clientMajor, clientMinor;
    } version = {0, 0, 0, 1, 1};
    xcb_generic_error_t *error = nullptr;
    void *reply = xcb_wait_for_reply(
        c, sendDamageRequest(c, DamageQueryVersion, &version, sizeof version, true), &error);
    std::free(reply);
    std::free(error);
    return reply && !error;
}

// Reports the first drawing into the window.
void watchWindow(xcb_connection_t *c, xcb_window_t window)
{
    struct
    {
        uint8_t major, minor;
        uint16_t length;
        uint32_t damage, drawable;
        uint8_t level, pad[3];
    } create = {0, 0, 0, xcb_generate_id(c), window, ReportNonEmpty, {0, 0, 0}};
    sendDamageRequest(c, DamageCreate, &create, sizeof create, false);
    xcb_flush(c);
}

[[noreturn]] void usage()
{
    std::fprintf(stderr, "usage: bench_first_frame [--log FILE] [--kill] [--timeout MS] program [args...]\n");
    std::exit(2);
}

} // namespace

int main(int argc, char **argv)
{
    const char *log = nullptr;
    bool kill = false;
    int timeoutMs = 20000;
    int arg = 1;
    for (; arg < argc && argv[arg][0] == '-'; ++arg) {
        if (!std::strcmp(argv[arg], "--log") && arg + 1 < argc)
            log = argv[++arg];
        else if (!std::strcmp(argv[arg], "--kill"))
            kill = true;
        else if (!std::strcmp(argv[arg], "--timeout") && arg + 1 < argc)
            timeoutMs = std::atoi(argv[++arg]);
        else if (!std::strcmp(argv[arg], "--"))
            break;
        else
            usage();
    }
    if (arg < argc && !std::strcmp(argv[arg], "--"))
        ++arg;
    if (arg >= argc)
        usage();

    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "bench_first_frame: cannot open the display\n");
        return 1;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t root = screens.data->root;

    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    uint8_t damageEvent = 0;
    if (!queryDamage(c, &damageEvent)) {
        std::fprintf(stderr, "bench_first_frame: the display has no DAMAGE extension\n");
        return 1;
    }
    xcb_flush(c);
    // Whatever was reported before the program exists is not the program's.
    while (xcb_generic_event_t *e = xcb_poll_for_event(c))
        std::free(e);

    const long long started = monotonicNs();
    const pid_t pid = fork();
    if (pid == 0) {
        if (log) {
            const int fd = open(log, O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) {
                dup2(fd, 1);
                dup2(fd, 2);
                close(fd);
            }
        }
        close(xcb_get_file_descriptor(c));
        execvp(argv[arg], argv + arg);
        std::fprintf(stderr, "bench_first_frame: cannot start %s: %s\n", argv[arg], std::strerror(errno));
        _exit(127);
    }
    if (pid < 0) {
        std::perror("fork");
        return 1;
    }

    long long mapped = -1;
    long long drawn = -1;
    struct pollfd fd = {xcb_get_file_descriptor(c), POLLIN, 0};
    while (drawn < 0) {
        const long long left = timeoutMs - (monotonicNs() - started) / 1000000;
        if (left <= 0)
            break;
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            std::fprintf(stderr, "bench_first_frame: %s ended before drawing anything\n", argv[arg]);
            return 1;
        }
        // Woken at least every 100 ms to notice a program that ended.
        if (poll(&fd, 1, int(left < 100 ? left : 100)) < 0 && errno != EINTR)
            break;
        while (xcb_generic_event_t *e = xcb_poll_for_event(c)) {
            const long long now = monotonicNs();
            const uint8_t type = e->response_type & 0x7f;
            if (type == XCB_CREATE_NOTIFY)
                watchWindow(c, reinterpret_cast<xcb_create_notify_event_t *>(e)->window);
            else if (type == XCB_MAP_NOTIFY && mapped < 0)
                mapped = now;
            else if (type == damageEvent && drawn < 0)
                drawn = now;
            std::free(e);
        }
        if (xcb_connection_has_error(c))
            break;
    }
    if (drawn < 0) {
        std::fprintf(stderr, "bench_first_frame: nothing drawn within %d ms\n", timeoutMs);
        ::kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return 1;
    }
    std::printf("%.1f %.1f %d\n", (drawn - started) / 1e6, mapped < 0 ? -1.0 : (mapped - started) / 1e6, int(pid));
    std::fflush(stdout);
    if (kill) {
        ::kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    xcb_disconnect(c);
    return 0;
}
