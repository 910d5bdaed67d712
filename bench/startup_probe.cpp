// The start-up figure, timed from outside: a private X server, then the
// program and the baseline started in turn, each timed from just before
// it is spawned until the X server reports a viewable top-level window
// whose _NET_WM_PID is the new process, and then killed. No window manager
// runs, so the window the program maps is itself a child of the root.
// The probe asks the server every 200 µs; a round trip takes far less.
//
// usage: startup_probe <program> <baseline> <runs>
#include "bench/stats.h"

#include <xcb/xcb.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

// The private X server, stopped on every way out.
pid_t serverPid = 0;

void stopServer()
{
    if (serverPid > 0) {
        kill(serverPid, SIGTERM);
        waitpid(serverPid, nullptr, 0);
        serverPid = 0;
    }
}

[[noreturn]] void fail(const std::string &what)
{
    std::fprintf(stderr, "startup_probe: %s\n", what.c_str());
    stopServer();
    std::exit(1);
}

pid_t spawn(const char *path, const std::vector<std::string> &arguments, const std::vector<std::string> &environment)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char *> argv, envp;
    argv.push_back(const_cast<char *>(path));
    for (const std::string &a : arguments)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    for (const std::string &e : environment)
        envp.push_back(const_cast<char *>(e.c_str()));
    envp.push_back(nullptr);
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, path, &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        fail(std::string("cannot start ") + path + ": " + std::strerror(error));
    return pid;
}

// Starts a private X server on a free display and returns the display's
// name, which the server writes into a pipe once it is ready.
std::string startServer()
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        fail("no pipe");
    const pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        const std::string fd = std::to_string(pipeFds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
               static_cast<char *>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    serverPid = child;
    std::string number;
    char c;
    while (read(pipeFds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(pipeFds[0]);
    if (number.empty())
        fail("Xvfb did not start");
    return ":" + number;
}

class Probe
{
public:
    explicit Probe(const std::string &display)
        : m_display(display)
    {
        m_connection = xcb_connect(display.c_str(), nullptr);
        if (xcb_connection_has_error(m_connection))
            fail("cannot connect to " + display);
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const char name[] = "_NET_WM_PID";
        xcb_intern_atom_reply_t *atom =
            xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, 0, sizeof name - 1, name), nullptr);
        if (!atom)
            fail("no _NET_WM_PID atom");
        m_pidAtom = atom->atom;
        free(atom);
    }

    ~Probe() { xcb_disconnect(m_connection); }

    // Milliseconds from spawning `program` until its window is viewable.
    double startUp(const char *program)
    {
        std::vector<std::string> environment;
        for (char **e = environ; *e; ++e)
            if (std::strncmp(*e, "DISPLAY=", 8) != 0 && std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0 &&
                std::strncmp(*e, "WAYLAND_DISPLAY=", 16) != 0)
                environment.push_back(*e);
        environment.push_back("DISPLAY=" + m_display);
        environment.push_back("QT_QPA_PLATFORM=xcb");

        const Clock::time_point start = Clock::now();
        const pid_t pid = spawn(program, {}, environment);
        double elapsed = -1;
        while (elapsed < 0) {
            if (hasViewableWindow(pid)) {
                elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
                break;
            }
            if (waitpid(pid, nullptr, WNOHANG) == pid)
                fail(std::string(program) + " ended before it showed a window");
            if (Clock::now() - start > std::chrono::seconds(30)) {
                kill(pid, SIGKILL);
                waitpid(pid, nullptr, 0);
                fail(std::string(program) + " showed no window in 30 s");
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return elapsed;
    }

private:
    bool hasViewableWindow(pid_t pid)
    {
        xcb_query_tree_reply_t *tree = xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr);
        if (!tree)
            fail("the X server stopped answering");
        const xcb_window_t *children = xcb_query_tree_children(tree);
        const int count = xcb_query_tree_children_length(tree);
        std::vector<xcb_get_window_attributes_cookie_t> attributes;
        for (int i = 0; i < count; ++i)
            attributes.push_back(xcb_get_window_attributes(m_connection, children[i]));
        std::vector<xcb_window_t> viewable;
        for (int i = 0; i < count; ++i) {
            xcb_get_window_attributes_reply_t *a = xcb_get_window_attributes_reply(m_connection, attributes[i], nullptr);
            if (a && a->map_state == XCB_MAP_STATE_VIEWABLE)
                viewable.push_back(children[i]);
            free(a);
        }
        free(tree);
        bool found = false;
        for (xcb_window_t window : viewable) {
            xcb_get_property_reply_t *property = xcb_get_property_reply(
                m_connection, xcb_get_property(m_connection, 0, window, m_pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
            if (property && xcb_get_property_value_length(property) == 4 &&
                *static_cast<const std::uint32_t *>(xcb_get_property_value(property)) == std::uint32_t(pid))
                found = true;
            free(property);
        }
        return found;
    }

    std::string m_display;
    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_root = 0;
    xcb_atom_t m_pidAtom = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 4 || std::atoi(argv[3]) < 1) {
        std::fputs("usage: startup_probe <program> <baseline> <runs>\n", stderr);
        return 2;
    }
    const char *program = argv[1];
    const char *baselineProgram = argv[2];
    const int runs = std::atoi(argv[3]);

    std::atexit(stopServer);
    Probe probe(startServer());
    // One run of each, untimed, so that both find the font and library
    // caches as warm as the timed runs do.
    probe.startUp(program);
    probe.startUp(baselineProgram);
    std::vector<double> times, baseline;
    for (int run = 0; run < runs; ++run) {
        times.push_back(probe.startUp(program));
        baseline.push_back(probe.startUp(baselineProgram));
    }
    const bench::Summary ratio = bench::summarise(bench::pairRatios(times, baseline));
    bench::printRow("start-up", bench::show(bench::summarise(times), "ms"),
                    bench::show(bench::summarise(baseline), "ms"), bench::showRatio(ratio), "<= 1.15x",
                    bench::met(ratio.median <= 1.15));
    return 0;
}
