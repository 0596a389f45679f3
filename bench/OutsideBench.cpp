// What the user waits for, measured from outside: the real quillet binary on a private Xvfb
// with openbox and trayer, driven by its command line, XTest keys and xclip, and watched
// through X events (MapNotify on the root, Damage on its windows), its command socket and a
// read-only look at its store. No Qt here, so nothing of Quillet's own is on the measuring side.
//
//   outside_bench --quillet=<binary> --data=<folder with clips-N.sqlite> [--sizes=10000,...]
//                 [--runs=5] [--out=<results.json>] [--target=<quillet-target binary>]
//
// Each store size gets its own X server and a copy of the generated store; start-up is
// measured over `runs` fresh starts, everything else over `runs` repetitions in one instance
// once it has settled. Times are milliseconds from the action (spawn, key press) to the event.
// OUTSIDE_BENCH_VERBOSE=1 lets the children's errors through and traces the events used.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/damage.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Time = Clock::time_point;
namespace fs = std::filesystem;

double msBetween(Time from, Time to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "outside_bench: %s\n", why.c_str());
    std::exit(1);
}

// ---- child processes ------------------------------------------------------------------

struct Options {
    std::string quillet, data, out;
    // The tests' text window: with it, phrases are pasted into it and timed.
    std::string target;
    std::vector<long> sizes{10'000, 100'000, 1'000'000};
    int runs = 5;
};

std::vector<std::pair<std::string, std::string>> g_env;  // set in every child we start
std::vector<pid_t> g_children;                           // ended when the program ends

// Starts `argv` with our session's environment; its output goes to `log` (or nowhere).
// `inputText` is written to its standard input; `passFd` becomes its descriptor 3.
pid_t spawn(const std::vector<std::string>& argv, const std::string& inputText = {},
            int passFd = -1, bool keep = true) {
    int input[2] = {-1, -1};
    if (!inputText.empty() && ::pipe2(input, O_CLOEXEC) != 0) fail("pipe failed");
    const pid_t pid = ::fork();
    if (pid < 0) fail("fork failed");
    if (pid == 0) {
        for (const auto& [name, value] : g_env) ::setenv(name.c_str(), value.c_str(), 1);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(input[0] >= 0 ? input[0] : null, 0);
        ::dup2(null, 1);
        if (!std::getenv("OUTSIDE_BENCH_VERBOSE")) ::dup2(null, 2);
        if (passFd >= 0) ::dup2(passFd, 3);
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    if (input[0] >= 0) {
        ::close(input[0]);
        (void)!::write(input[1], inputText.data(), inputText.size());
        ::close(input[1]);
    }
    if (keep) g_children.push_back(pid);
    return pid;
}

// Waits for `pid` to exit; false (and it is killed) after `timeoutMs`.
bool reap(pid_t pid, int timeoutMs, int* status = nullptr) {
    const Time deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int st = 0;
    while (::waitpid(pid, &st, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &st, 0);
            std::erase(g_children, pid);
            return false;
        }
        sleepMs(1);
    }
    std::erase(g_children, pid);
    if (status) *status = st;
    return true;
}

void endChildren() {
    // Newest first: quillet before trayer before openbox before the X server.
    for (auto it = g_children.rbegin(); it != g_children.rend(); ++it) ::kill(*it, SIGTERM);
    for (auto it = g_children.rbegin(); it != g_children.rend(); ++it) {
        const Time deadline = Clock::now() + std::chrono::seconds(3);
        while (::waitpid(*it, nullptr, WNOHANG) == 0 && Clock::now() < deadline) sleepMs(5);
        ::kill(*it, SIGKILL);
        ::waitpid(*it, nullptr, WNOHANG);
    }
    g_children.clear();
}

std::optional<long> rssKiB(pid_t pid, const char* field = "VmRSS:") {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    return std::nullopt;
}

double cpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    const auto close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::vector<std::string> fields;
    size_t at = close + 2;
    while (at < text.size()) {
        const size_t end = text.find(' ', at);
        fields.push_back(text.substr(at, end - at));
        if (end == std::string::npos) break;
        at = end + 1;
    }
    if (fields.size() < 13) return 0;
    return double(std::atol(fields[11].c_str()) + std::atol(fields[12].c_str())) /
           double(::sysconf(_SC_CLK_TCK));
}

// ---- the command socket ---------------------------------------------------------------

std::string g_socketPath;

// Sends one request as `quillet --<request>` does; the first line of the answer, empty when
// none came within `timeoutMs`.
std::string ask(const std::string& request, int timeoutMs) {
    const Time deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, g_socketPath.c_str(), sizeof address.sun_path - 1);
    int fd = -1;
    // Until the instance listens, connecting fails: try again.
    while (true) {
        fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) break;
        ::close(fd);
        if (Clock::now() > deadline) return {};
        sleepMs(1);
    }
    const std::string line = request + "\n";
    (void)!::write(fd, line.data(), line.size());
    std::string answer;
    while (answer.find('\n') == std::string::npos) {
        pollfd p{fd, POLLIN, 0};
        const int left = int(msBetween(Clock::now(), deadline));
        if (left <= 0 || ::poll(&p, 1, left) <= 0) break;
        char buffer[512];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        answer.append(buffer, size_t(n));
    }
    ::close(fd);
    return answer.substr(0, answer.find('\n'));
}

// ---- the X side -----------------------------------------------------------------------

struct Damage {
    xcb_window_t window;
    Time at;
    int x, y, width, height;
};

struct Mapping {
    xcb_window_t window;  // the client window (a frame is traced back to its client)
    Time at;
    bool mapped;
    bool overrideRedirect;
};

struct X {
    xcb_connection_t* c = nullptr;
    xcb_window_t root = 0;
    uint8_t damageEvent = 0;
    xcb_atom_t pidAtom = 0;
    std::map<xcb_window_t, xcb_window_t> parentOf;  // top-level client -> its frame
    std::vector<Mapping> maps;
    std::vector<Damage> damages;
    std::vector<std::pair<xcb_window_t, Time>> reparents;
    std::map<xcb_window_t, long> pids;
};

X g_x;

xcb_atom_t atom(const char* name) {
    auto* reply = xcb_intern_atom_reply(
        g_x.c, xcb_intern_atom(g_x.c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

long windowPid(xcb_window_t window) {
    if (auto it = g_x.pids.find(window); it != g_x.pids.end() && it->second > 0) return it->second;
    auto* reply = xcb_get_property_reply(
        g_x.c, xcb_get_property(g_x.c, 0, window, g_x.pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
    long pid = 0;
    if (reply && xcb_get_property_value_length(reply) == 4)
        pid = long(*static_cast<uint32_t*>(xcb_get_property_value(reply)));
    std::free(reply);
    g_x.pids[window] = pid;
    return pid;
}

xcb_window_t clientOf(xcb_window_t window) {
    for (const auto& [client, frame] : g_x.parentOf)
        if (frame == window) return client;
    return window;
}

void handle(xcb_generic_event_t* event, Time at) {
    const uint8_t type = event->response_type & 0x7f;
    if (type == XCB_CREATE_NOTIFY) {
        auto* e = reinterpret_cast<xcb_create_notify_event_t*>(event);
        // Identifiers are reused once their client has gone.
        g_x.pids.erase(e->window);
        g_x.parentOf.erase(e->window);
        // Every new top-level window is watched for drawing from the start.
        xcb_damage_create(g_x.c, xcb_generate_id(g_x.c), e->window,
                          XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        xcb_flush(g_x.c);
    } else if (type == XCB_REPARENT_NOTIFY) {
        auto* e = reinterpret_cast<xcb_reparent_notify_event_t*>(event);
        if (e->parent != g_x.root) g_x.parentOf[e->window] = e->parent;
        if (std::getenv("OUTSIDE_BENCH_VERBOSE"))
            std::fprintf(stderr, "reparent %x -> %x pid %ld\n", e->window, e->parent,
                         windowPid(e->window));
        g_x.reparents.emplace_back(e->window, at);
    } else if (type == XCB_MAP_NOTIFY || type == XCB_UNMAP_NOTIFY) {
        const bool mapped = type == XCB_MAP_NOTIFY;
        const xcb_window_t window =
            mapped ? reinterpret_cast<xcb_map_notify_event_t*>(event)->window
                   : reinterpret_cast<xcb_unmap_notify_event_t*>(event)->window;
        const bool overrideRedirect =
            mapped && reinterpret_cast<xcb_map_notify_event_t*>(event)->override_redirect;
        g_x.maps.push_back({clientOf(window), at, mapped, overrideRedirect});
        if (std::getenv("OUTSIDE_BENCH_VERBOSE"))
            std::fprintf(stderr, "#%zu %s %x (client %x) override %d\n", g_x.maps.size() - 1,
                         mapped ? "map" : "unmap", window, clientOf(window), int(overrideRedirect));
    } else if (g_x.damageEvent && type == g_x.damageEvent + XCB_DAMAGE_NOTIFY) {
        auto* e = reinterpret_cast<xcb_damage_notify_event_t*>(event);
        g_x.damages.push_back(
            {e->drawable, at, e->area.x, e->area.y, e->area.width, e->area.height});
    }
}

// Reads X events until `done` says so or `timeoutMs` passes; false on time-out.
bool pump(const std::function<bool()>& done, int timeoutMs) {
    const Time deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(g_x.c)) {
            handle(event, Clock::now());
            std::free(event);
        }
        if (done()) return true;
        const int left = int(msBetween(Clock::now(), deadline));
        if (left <= 0) return false;
        pollfd p{xcb_get_file_descriptor(g_x.c), POLLIN, 0};
        ::poll(&p, 1, std::min(left, 2));
        if (xcb_connection_has_error(g_x.c)) fail("lost the X connection");
    }
}

void connectX(const std::string& display) {
    g_x = X{};
    g_x.c = xcb_connect(display.c_str(), nullptr);
    if (xcb_connection_has_error(g_x.c)) fail("cannot connect to " + display);
    g_x.root = xcb_setup_roots_iterator(xcb_get_setup(g_x.c)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(g_x.c, g_x.root, XCB_CW_EVENT_MASK, &mask);
    const auto* damage = xcb_get_extension_data(g_x.c, &xcb_damage_id);
    if (!damage || !damage->present) fail("the X server has no Damage extension");
    g_x.damageEvent = damage->first_event;
    std::free(
        xcb_damage_query_version_reply(g_x.c, xcb_damage_query_version(g_x.c, 1, 1), nullptr));
    const auto* test = xcb_get_extension_data(g_x.c, &xcb_test_id);
    if (!test || !test->present) fail("the X server has no XTest extension");
    g_x.pidAtom = atom("_NET_WM_PID");
    xcb_flush(g_x.c);
}

// The keycode and whether Shift is needed for `keysym` (first two columns of the keymap).
std::pair<xcb_keycode_t, bool> keycodeFor(uint32_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(g_x.c);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto* reply = xcb_get_keyboard_mapping_reply(
        g_x.c, xcb_get_keyboard_mapping(g_x.c, setup->min_keycode, uint8_t(count)), nullptr);
    if (!reply) fail("no keyboard mapping");
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
    std::pair<xcb_keycode_t, bool> found{0, false};
    for (int k = 0; k < count && !found.first; ++k)
        for (int column = 0; column < std::min<int>(2, reply->keysyms_per_keycode); ++column)
            if (syms[k * reply->keysyms_per_keycode + column] == keysym) {
                found = {xcb_keycode_t(setup->min_keycode + k), column == 1};
                break;
            }
    std::free(reply);
    if (!found.first) fail("no key for keysym " + std::to_string(keysym));
    return found;
}

void key(xcb_keycode_t code, bool press) {
    xcb_test_fake_input(g_x.c, uint8_t(press ? XCB_KEY_PRESS : XCB_KEY_RELEASE), code,
                        XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
}

// Types one character (Shift for capitals); returns when the press was sent.
Time typeCharacter(char ch) {
    const auto [code, shifted] = keycodeFor(uint32_t(ch));
    const auto shift = keycodeFor(0xffe1).first;  // Shift_L
    if (shifted) key(shift, true);
    key(code, true);
    xcb_flush(g_x.c);
    const Time at = Clock::now();
    key(code, false);
    if (shifted) key(shift, false);
    xcb_flush(g_x.c);
    return at;
}

void tapKey(uint32_t keysym) {
    const auto code = keycodeFor(keysym).first;
    key(code, true);
    key(code, false);
    xcb_flush(g_x.c);
}

// ---- results ----------------------------------------------------------------------------

struct Series {
    std::string name;
    std::vector<double> values;
};

struct SizeResult {
    long clips;
    std::vector<Series> series;
    void add(const std::string& name, double value) {
        for (auto& s : series)
            if (s.name == name) return s.values.push_back(value);
        series.push_back({name, {value}});
    }
};

double percentile(std::vector<double> v, double q) {
    v.erase(std::remove_if(v.begin(), v.end(), [](double d) { return std::isnan(d); }), v.end());
    if (v.empty()) return NAN;
    std::sort(v.begin(), v.end());
    const double at = q * double(v.size() - 1);
    const size_t low = size_t(at);
    const size_t high = std::min(low + 1, v.size() - 1);
    return v[low] + (v[high] - v[low]) * (at - double(low));
}

// ---- one session per store size ------------------------------------------------------

struct Session {
    std::string home, display;
    pid_t quillet = 0;
    Time started;
};

std::string startX(Session& session) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) fail("pipe failed");
    spawn(
        {"Xvfb", "-displayfd", "3", "-screen", "0", "1280x800x24", "-nolisten", "tcp", "-noreset"},
        {}, pipeFds[1]);
    ::close(pipeFds[1]);
    std::string text;
    const Time deadline = Clock::now() + std::chrono::seconds(10);
    while (text.find('\n') == std::string::npos && Clock::now() < deadline) {
        pollfd p{pipeFds[0], POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        char buffer[32];
        const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, size_t(n));
    }
    ::close(pipeFds[0]);
    if (text.find('\n') == std::string::npos) fail("Xvfb did not report a display");
    session.display = ":" + text.substr(0, text.find('\n'));
    return session.display;
}

void prepareSession(Session& session, const Options& options, long clips) {
    char folder[] = "/tmp/quillet-outside-XXXXXX";
    if (!::mkdtemp(folder)) fail("mkdtemp failed");
    session.home = folder;
    for (const char* sub : {"/config", "/data/quillet", "/run"})
        fs::create_directories(session.home + sub);
    ::chmod((session.home + "/run").c_str(), 0700);
    ::chmod((session.home + "/data/quillet").c_str(), 0700);
    const std::string store = options.data + "/clips-" + std::to_string(clips) + ".sqlite";
    if (!fs::exists(store)) fail("no generated store " + store + " (run history_bench first)");
    fs::copy_file(store, session.home + "/data/quillet/history.sqlite");
    startX(session);
    g_env = {{"HOME", session.home},
             {"XDG_CONFIG_HOME", session.home + "/config"},
             {"XDG_DATA_HOME", session.home + "/data"},
             {"XDG_RUNTIME_DIR", session.home + "/run"},
             {"DISPLAY", session.display},
             {"QT_QPA_PLATFORM", "xcb"}};
    g_socketPath = session.home + "/run/quillet.sock";
    connectX(session.display);
    spawn({"openbox", "--sm-disable"});
    // openbox is up once it names itself on the root; give it a moment more to take focus.
    const xcb_atom_t check = atom("_NET_SUPPORTING_WM_CHECK");
    const bool wm = pump(
        [&] {
            auto* reply = xcb_get_property_reply(
                g_x.c, xcb_get_property(g_x.c, 0, g_x.root, check, XCB_ATOM_WINDOW, 0, 1), nullptr);
            const bool set = reply && xcb_get_property_value_length(reply) == 4;
            std::free(reply);
            return set;
        },
        10'000);
    if (!wm) fail("openbox did not start");
    pump([] { return false; }, 500);
}

// A fresh tray host for every start: trayer does not always take a second icon after the
// first one's program quit. It is ready once it owns the tray selection.
pid_t startTray() {
    const pid_t tray = spawn({"trayer", "--edge", "top", "--align", "right", "--widthtype",
                              "request", "--height", "24"});
    const xcb_atom_t selection = atom("_NET_SYSTEM_TRAY_S0");
    const bool ready = pump(
        [&] {
            auto* reply = xcb_get_selection_owner_reply(
                g_x.c, xcb_get_selection_owner(g_x.c, selection), nullptr);
            const bool owned = reply && reply->owner != XCB_NONE;
            std::free(reply);
            return owned;
        },
        10'000);
    if (!ready) fail("trayer did not take the tray");
    pump([] { return false; }, 200);
    return tray;
}

void stopTray(pid_t tray) {
    ::kill(tray, SIGTERM);
    reap(tray, 3000);
}

void endSession(Session& session) {
    endChildren();
    if (g_x.c) xcb_disconnect(g_x.c);
    g_x.c = nullptr;
    fs::remove_all(session.home);
}

Options g_options;

// Quillet's windows: named by their _NET_WM_PID, or made on the same X connection as one
// that was (Qt leaves the property off some pop-up windows).
uint32_t g_quilletIdBase = 0;

bool isQuillets(xcb_window_t window, const Session& session) {
    const uint32_t mask = xcb_get_setup(g_x.c)->resource_id_mask;
    if (windowPid(window) == session.quillet) {
        g_quilletIdBase = window & ~mask;
        return true;
    }
    return g_quilletIdBase && (window & ~mask) == g_quilletIdBase;
}

// Starts quillet; with `result`, notes how long until its tray icon docks (trayer reparents
// the icon window) and until its socket answers a request.
void startQuillet(Session& session, SizeResult* result) {
    const size_t reparentsBefore = g_x.reparents.size();
    session.started = Clock::now();
    session.quillet = spawn({g_options.quillet});
    g_quilletIdBase = 0;
    // The socket is polled from a thread so the X events keep their own times meanwhile.
    double answered = NAN;
    std::thread asker([&] {
        if (ask("status", 30'000) == "ok") answered = msBetween(session.started, Clock::now());
    });
    std::optional<double> docked;
    pump(
        [&] {
            for (size_t i = reparentsBefore; i < g_x.reparents.size(); ++i) {
                const auto& [window, at] = g_x.reparents[i];
                if (g_x.parentOf.count(window) && isQuillets(window, session)) {
                    docked = msBetween(session.started, at);
                    return true;
                }
            }
            return false;
        },
        30'000);
    asker.join();
    if (!result) return;
    result->add("start: tray icon docked", docked.value_or(NAN));
    result->add("start: first request answered", answered);
}

void stopQuillet(Session& session) {
    if (!session.quillet) return;
    ask("quit", 3000);
    if (!reap(session.quillet, 10'000)) std::fprintf(stderr, "quillet did not quit; killed\n");
    session.quillet = 0;
}

// Waits until quillet uses (almost) no processor time: start-up work and the store check
// a few seconds later are over.
void waitUntilSettled(const Session& session) {
    pump([] { return false; }, 6000);
    double before = cpuSeconds(session.quillet);
    for (int i = 0; i < 60; ++i) {
        pump([] { return false; }, 500);
        const double now = cpuSeconds(session.quillet);
        if (now - before < 0.02) return;
        before = now;
    }
}

// Damage to `window` after `since` that is not the text cursor (a rectangle a few pixels
// wide) nor above `belowY`.
std::vector<Damage> damagesOf(xcb_window_t window, Time since, int belowY = 0) {
    std::vector<Damage> found;
    for (const auto& d : g_x.damages)
        if (d.window == window && d.at >= since && d.width > 3 && d.y + d.height > belowY)
            found.push_back(d);
    return found;
}

struct Shown {
    xcb_window_t window = 0;
    double mapped = NAN, painted = NAN;
};

// After `action` at `from`: the next quillet window mapped (an override-redirect menu, or a
// managed window) and its first drawing.
Shown waitForWindow(const Session& session, Time from, size_t mapsBefore, bool menu) {
    Shown shown;
    Time mappedAt{};
    pump(
        [&] {
            for (size_t i = mapsBefore; i < g_x.maps.size(); ++i) {
                const Mapping& m = g_x.maps[i];
                if (!m.mapped || (menu && !m.overrideRedirect)) continue;
                if (!isQuillets(m.window, session)) {
                    if (std::getenv("OUTSIDE_BENCH_VERBOSE"))
                        std::fprintf(stderr, "not ours: %x pid %ld\n", m.window,
                                     windowPid(m.window));
                    continue;
                }
                shown.window = m.window;
                mappedAt = m.at;
                shown.mapped = msBetween(from, m.at);
                return true;
            }
            return false;
        },
        5000);
    if (!shown.window) {
        if (std::getenv("OUTSIDE_BENCH_VERBOSE"))
            std::fprintf(stderr, "no window mapped after %zu (now %zu maps)\n", mapsBefore,
                         g_x.maps.size());
        return shown;
    }
    pump([&] { return !damagesOf(shown.window, mappedAt).empty(); }, 3000);
    const auto painted = damagesOf(shown.window, mappedAt);
    if (!painted.empty()) shown.painted = msBetween(from, painted.front().at);
    return shown;
}

void waitForUnmap(xcb_window_t window, size_t mapsBefore) {
    pump(
        [&] {
            for (size_t i = mapsBefore; i < g_x.maps.size(); ++i)
                if (!g_x.maps[i].mapped && g_x.maps[i].window == window) return true;
            return false;
        },
        3000);
}

// Waits until `window` has had no drawing below `belowY` for `quietMs`; the first and the
// last drawing after `from` (NAN when there was none).
std::pair<double, double> waitForQuiet(xcb_window_t window, Time from, int belowY,
                                       int quietMs = 150) {
    pump(
        [&] {
            const auto seen = damagesOf(window, from, belowY);
            const Time last = seen.empty() ? from : seen.back().at;
            return msBetween(last, Clock::now()) >= quietMs;
        },
        10'000);
    const auto seen = damagesOf(window, from, belowY);
    if (seen.empty()) return {NAN, NAN};
    return {msBetween(from, seen.front().at), msBetween(from, seen.back().at)};
}

void measureMenus(Session& session, SizeResult& result) {
    // The history menu from the command line, and the round trip of that command.
    size_t mapsBefore = g_x.maps.size();
    Time from = Clock::now();
    const pid_t client = spawn({g_options.quillet, "--history-menu"});
    // Events are read while the client runs, so each keeps the time it arrived.
    double exited = NAN;
    pump(
        [&] {
            if (::waitpid(client, nullptr, WNOHANG) != client) return false;
            std::erase(g_children, client);
            exited = msBetween(from, Clock::now());
            return true;
        },
        5000);
    result.add("--history-menu: client exits", exited);
    Shown menu = waitForWindow(session, from, mapsBefore, true);
    result.add("--history-menu: menu mapped", menu.mapped);
    result.add("--history-menu: menu painted", menu.painted);
    pump([] { return false; }, 100);
    mapsBefore = g_x.maps.size();
    tapKey(0xff1b);  // Escape
    waitForUnmap(menu.window, mapsBefore);
    pump([] { return false; }, 100);

    // The hot key, Shift+Super+V, pressed through XTest.
    const auto super = keycodeFor(0xffeb).first, shift = keycodeFor(0xffe1).first;
    const auto v = keycodeFor('v').first;
    mapsBefore = g_x.maps.size();
    key(super, true);
    key(shift, true);
    key(v, true);
    xcb_flush(g_x.c);
    from = Clock::now();
    key(v, false);
    key(shift, false);
    key(super, false);
    xcb_flush(g_x.c);
    menu = waitForWindow(session, from, mapsBefore, true);
    result.add("hot key: menu mapped", menu.mapped);
    result.add("hot key: menu painted", menu.painted);
    pump([] { return false; }, 100);
    mapsBefore = g_x.maps.size();
    tapKey(0xff1b);
    waitForUnmap(menu.window, mapsBefore);
    pump([] { return false; }, 100);

    // The client's round trip alone.
    from = Clock::now();
    reap(spawn({g_options.quillet, "--status"}), 5000);
    result.add("--status: client round trip", msBetween(from, Clock::now()));
}

// The search panel (over the clips with --search, the phrases with --search-phrases), then
// one term typed into it a key at a time.
void measurePanel(Session& session, SizeResult& result, const std::string& option,
                  const std::string& term, const std::string& label) {
    size_t mapsBefore = g_x.maps.size();
    const Time from = Clock::now();
    const pid_t client = spawn({g_options.quillet, option});
    const Shown panel = waitForWindow(session, from, mapsBefore, false);
    result.add(option + ": panel mapped", panel.mapped);
    result.add(option + ": panel painted", panel.painted);
    reap(client, 5000);
    if (!panel.window) return;
    waitForQuiet(panel.window, from, 0, 300);
    // Below the search field: only the list's drawing counts.
    constexpr int listTop = 40;
    for (size_t i = 0; i < std::min<size_t>(term.size(), 5); ++i) {
        const Time pressed = typeCharacter(term[i]);
        const auto [first, last] = waitForQuiet(panel.window, pressed, listTop);
        const size_t length = i + 1;
        if (length == 4) continue;
        const std::string name = "key, " + label + " term, " + std::to_string(length) + " char" +
                                 (length > 1 ? "s" : "");
        result.add(name + ": list first drawn", first);
        result.add(name + ": list final", last);
    }
    mapsBefore = g_x.maps.size();
    tapKey(0xff1b);
    waitForUnmap(panel.window, mapsBefore);
    pump([] { return false; }, 100);
}

// A library of phrases for the panel to search, with abbreviations, through the program's own
// import: a category of `phraseCount` phrases.
constexpr int phraseCount = 5000;
void importPhrases(Session& session) {
    const std::string path = session.home + "/phrases.csv";
    std::ofstream csv(path);
    csv << "title,body,abbreviation\n";
    for (int i = 0; i < phraseCount; ++i)
        csv << "Phrase " << i << ",\"Dear customer,\nthank you for order " << i
            << ". Kettles ship within two days.\",p" << i << "\n";
    csv.close();
    const Time from = Clock::now();
    reap(spawn({g_options.quillet, "--import-phrases", path}), 60'000);
    std::fprintf(stderr, "%d phrases imported in %.0f ms\n", phraseCount,
                 msBetween(from, Clock::now()));
    pump([] { return false; }, 300);
}

// A copy by xclip until the store shows it as the newest clip.
void measureCopy(Session& session, SizeResult& result, int n) {
    sqlite3* db = nullptr;
    const std::string path = session.home + "/data/quillet/history.sqlite";
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        fail("cannot read " + path);
    sqlite3_busy_timeout(db, 100);
    sqlite3_stmt* newest = nullptr;
    sqlite3_prepare_v2(db, "SELECT content FROM ClipItem ORDER BY timestamp DESC LIMIT 1", -1,
                       &newest, nullptr);
    const std::string text =
        "outside bench copy " + std::to_string(n) + " " + std::to_string(::getpid());
    const Time from = Clock::now();
    reap(spawn({"xclip", "-selection", "clipboard"}, text, -1, false), 5000);
    double recorded = NAN;
    while (msBetween(from, Clock::now()) < 5000) {
        bool seen = false;
        const int step = newest ? sqlite3_step(newest) : SQLITE_ERROR;
        if (step != SQLITE_ROW && std::getenv("OUTSIDE_BENCH_VERBOSE"))
            std::fprintf(stderr, "store: %s\n", sqlite3_errmsg(db));
        if (step == SQLITE_ROW) {
            const auto* content = reinterpret_cast<const char*>(sqlite3_column_text(newest, 0));
            seen = content && text == content;
            if (!seen && std::getenv("OUTSIDE_BENCH_VERBOSE"))
                std::fprintf(stderr, "newest: %.60s\n", content ? content : "(null)");
        }
        if (newest) sqlite3_reset(newest);
        if (seen) {
            recorded = msBetween(from, Clock::now());
            break;
        }
        sleepMs(2);
    }
    sqlite3_finalize(newest);
    sqlite3_close(db);
    result.add("copy (xclip): in the store", recorded);
}

// ---- phrases pasted into a text window ---------------------------------------------------

// Two phrases that paste the same text, one as it is, one filled in (a date, another phrase,
// a caret mark), in a category of their own.
void addBenchPhrases(const Session& session, const std::string& today) {
    sqlite3* db = nullptr;
    const std::string path = session.home + "/data/quillet/history.sqlite";
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) fail("cannot write " + path);
    sqlite3_busy_timeout(db, 2000);
    const std::string plain = "'Hello " + today + ", Ann!'";
    const std::string sql =
        "INSERT INTO PhraseCategory (id, name, sortOrder) VALUES "
        "('00000000-0000-4000-8000-0000000000b1', 'Bench', -1);"
        "INSERT INTO PhraseItem (id, title, body, sortOrder, category) VALUES "
        "('00000000-0000-4000-8000-0000000000b2', 'Plain', " +
        plain +
        ", 0, "
        "'00000000-0000-4000-8000-0000000000b1'),"
        "('00000000-0000-4000-8000-0000000000b3', 'Filled', "
        "'Hello {date:yyyy-MM-dd}, {phrase:Bench/Name}{cursor}!', 1, "
        "'00000000-0000-4000-8000-0000000000b1'),"
        "('00000000-0000-4000-8000-0000000000b4', 'Name', 'Ann', 2, "
        "'00000000-0000-4000-8000-0000000000b1');";
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK)
        fail(std::string("cannot add the phrases: ") + (error ? error : "?"));
    sqlite3_close(db);
}

std::uintmax_t fileSize(const std::string& path) {
    std::error_code error;
    const auto size = fs::file_size(path, error);
    return error ? 0 : size;
}

// From the Return that chooses the `index`th phrase of the first category until the target's
// text has grown by `expected` bytes.
double pastePhrase(const Session& session, const std::string& file, int index, size_t expected) {
    const size_t mapsBefore = g_x.maps.size();
    reap(spawn({g_options.quillet, "--phrase-menu"}), 5000);
    const Shown menu = waitForWindow(session, Clock::now(), mapsBefore, true);
    if (!menu.window) return NAN;
    pump([] { return false; }, 50);
    const size_t submenuBefore = g_x.maps.size();
    tapKey(0xff54);  // Down
    tapKey(0xff53);  // Right
    waitForWindow(session, Clock::now(), submenuBefore, true);
    pump([] { return false; }, 50);
    for (int i = 0; i < index; ++i) tapKey(0xff54);
    pump([] { return false; }, 50);
    const std::uintmax_t before = fileSize(file);
    const auto enter = keycodeFor(0xff0d).first;
    key(enter, true);
    xcb_flush(g_x.c);
    const Time from = Clock::now();
    key(enter, false);
    xcb_flush(g_x.c);
    const bool landed = pump([&] { return fileSize(file) >= before + expected; }, 5000);
    const double ms = landed ? msBetween(from, Clock::now()) : NAN;
    // The caret moves after the text of the filled-in phrase; the next paste waits for it.
    pump([] { return false; }, 400);
    tapKey(0xff57);  // End
    return ms;
}

void measurePhrasePastes(const Session& session, SizeResult& result) {
    char today[16];
    const std::time_t now = std::time(nullptr);
    std::strftime(today, sizeof today, "%Y-%m-%d", std::localtime(&now));
    addBenchPhrases(session, today);
    const std::string file = session.home + "/target.txt";
    spawn({g_options.target, file});
    // The window writes a line to <file>.focus when it gets the keyboard.
    if (!pump([&] { return fs::exists(file + ".focus"); }, 10'000))
        fail("the target window did not come up");
    pump([] { return false; }, 500);
    const std::string text = std::string("Hello ") + today + ", Ann!";
    for (int run = 0; run < g_options.runs; ++run) {
        result.add("phrase menu -> text in target: plain",
                   pastePhrase(session, file, 0, text.size()));
        result.add("phrase menu -> text in target: placeholders",
                   pastePhrase(session, file, 1, text.size()));
    }
    // Both phrases pasted the same text each time (a phrase left unfilled would be longer).
    std::ifstream in(file);
    const std::string received((std::istreambuf_iterator<char>(in)), {});
    if (received.find('{') != std::string::npos) fail("a placeholder reached the target unfilled");
    size_t found = 0;
    for (size_t at = received.find(text); at != std::string::npos; at = received.find(text, at + 1))
        ++found;
    if (found != size_t(2 * g_options.runs))
        fail("the target holds " + std::to_string(found) + " pasted phrases, not " +
             std::to_string(2 * g_options.runs));
}

SizeResult measureSize(long clips) {
    SizeResult result{clips, {}};
    Session session;
    prepareSession(session, g_options, clips);
    std::fprintf(stderr, "%ld clips on %s\n", clips, session.display.c_str());
    for (int run = 0; run < g_options.runs; ++run) {
        const pid_t tray = startTray();
        startQuillet(session, &result);
        if (run + 1 < g_options.runs) {
            stopQuillet(session);
            stopTray(tray);
        }
    }
    waitUntilSettled(session);
    result.add("quillet RSS settled (MiB)", double(rssKiB(session.quillet).value_or(0)) / 1024);
    importPhrases(session);
    for (int run = 0; run < g_options.runs; ++run) {
        measureMenus(session, result);
        measurePanel(session, result, "--search", "Kettle", "common");
        measurePanel(session, result, "--search", "Zephyrquix", "rare");
        measurePanel(session, result, "--search-phrases", "p4321", "phrase abbreviation");
    }
    for (int run = 0; run < g_options.runs; ++run) measureCopy(session, result, run);
    if (!g_options.target.empty()) measurePhrasePastes(session, result);
    result.add("quillet RSS at the end (MiB)", double(rssKiB(session.quillet).value_or(0)) / 1024);
    result.add("quillet peak RSS (MiB)",
               double(rssKiB(session.quillet, "VmHWM:").value_or(0)) / 1024);
    stopQuillet(session);
    endSession(session);
    return result;
}

std::string jsonNumber(double v) {
    if (std::isnan(v)) return "null";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3f", v);
    return buffer;
}

void report(const std::vector<SizeResult>& results) {
    for (const auto& size : results) {
        std::printf("\n%ld clips (%d runs; ms unless noted)\n", size.clips, g_options.runs);
        std::printf("  %-52s %9s %9s %9s\n", "", "min", "median", "max");
        for (const auto& s : size.series)
            std::printf("  %-52s %9.1f %9.1f %9.1f\n", s.name.c_str(), percentile(s.values, 0),
                        percentile(s.values, 0.5), percentile(s.values, 1));
    }
    if (g_options.out.empty()) return;
    fs::create_directories(fs::path(g_options.out).parent_path());
    std::ofstream out(g_options.out);
    out << "{\n  \"runs\": " << g_options.runs << ",\n  \"sizes\": [";
    for (size_t i = 0; i < results.size(); ++i) {
        out << (i ? ",\n" : "\n") << "    {\"clips\": " << results[i].clips << ", \"series\": [";
        const auto& series = results[i].series;
        for (size_t j = 0; j < series.size(); ++j) {
            const auto& s = series[j];
            out << (j ? ",\n" : "\n") << "      {\"name\": \"" << s.name
                << "\", \"min\": " << jsonNumber(percentile(s.values, 0))
                << ", \"median\": " << jsonNumber(percentile(s.values, 0.5))
                << ", \"max\": " << jsonNumber(percentile(s.values, 1)) << ", \"values\": [";
            for (size_t k = 0; k < s.values.size(); ++k)
                out << (k ? ", " : "") << jsonNumber(s.values[k]);
            out << "]}";
        }
        out << "\n    ]}";
    }
    out << "\n  ]\n}\n";
    std::printf("\nresults: %s\n", g_options.out.c_str());
}

void onSignal(int) {
    endChildren();
    std::_Exit(130);
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](const char* flag) -> std::optional<std::string> {
            const std::string prefix = std::string(flag) + "=";
            if (a.rfind(prefix, 0) == 0) return a.substr(prefix.size());
            return std::nullopt;
        };
        if (auto v = value("--quillet")) {
            g_options.quillet = fs::absolute(*v);
        } else if (auto v = value("--target")) {
            g_options.target = fs::absolute(*v);
        } else if (auto v = value("--data")) {
            g_options.data = *v;
        } else if (auto v = value("--out")) {
            g_options.out = *v;
        } else if (auto v = value("--runs")) {
            g_options.runs = std::max(1, std::atoi(v->c_str()));
        } else if (auto v = value("--sizes")) {
            g_options.sizes.clear();
            for (size_t at = 0; at < v->size();) {
                const size_t end = std::min(v->find(',', at), v->size());
                g_options.sizes.push_back(std::atol(v->substr(at, end - at).c_str()));
                at = end + 1;
            }
        } else {
            fail("unknown argument " + a +
                 " (takes --quillet=, --data=, --sizes=, --runs=, --out=, --target=)");
        }
    }
    if (g_options.quillet.empty() || g_options.data.empty()) fail("needs --quillet= and --data=");
    ::signal(SIGINT, onSignal);
    ::signal(SIGTERM, onSignal);
    ::signal(SIGPIPE, SIG_IGN);
    std::vector<SizeResult> results;
    for (const long clips : g_options.sizes) results.push_back(measureSize(clips));
    report(results);
    return 0;
}
