// A clipboard source on a Wayland compositor, for tests: offers the given types through
// wlr-data-control and serves them until another selection replaces it.
//   quillet-wayland-source [--hang] TYPE CONTENT [TYPE CONTENT...]
// With --hang it takes every request and never answers (keeps the pipe open, writes nothing).
// Each type served is reported on standard output ("sent TYPE").
#include <unistd.h>
#include <wayland-client.h>
#include <wlr-data-control-unstable-v1-client-protocol.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

struct State {
    zwlr_data_control_manager_v1* manager = nullptr;
    wl_seat* seat = nullptr;
    std::vector<std::pair<std::string, std::string>> offers;
    bool hang = false;
    bool cancelled = false;
    std::vector<int> heldFds;
};

void global(void* data, wl_registry* registry, uint32_t id, const char* interface, uint32_t) {
    auto* state = static_cast<State*>(data);
    if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0)
        state->manager = static_cast<zwlr_data_control_manager_v1*>(
            wl_registry_bind(registry, id, &zwlr_data_control_manager_v1_interface, 1));
    else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !state->seat)
        state->seat = static_cast<wl_seat*>(wl_registry_bind(registry, id, &wl_seat_interface, 1));
}

void send(void* data, zwlr_data_control_source_v1*, const char* type, int32_t fd) {
    auto* state = static_cast<State*>(data);
    if (state->hang) {
        state->heldFds.push_back(fd);
        return;
    }
    for (const auto& [name, content] : state->offers) {
        if (name != type) continue;
        for (std::size_t done = 0; done < content.size();) {
            const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
    }
    ::close(fd);
    // Tests tell from this whether anyone read the selection.
    std::printf("sent %s\n", type);
    std::fflush(stdout);
}

void cancelled(void* data, zwlr_data_control_source_v1*) {
    static_cast<State*>(data)->cancelled = true;
}

}  // namespace

int main(int argc, char** argv) {
    State state;
    int first = 1;
    if (argc > 1 && std::strcmp(argv[1], "--hang") == 0) {
        state.hang = true;
        first = 2;
    }
    if (argc <= first || (argc - first) % 2 != 0) {
        std::fprintf(stderr, "usage: %s [--hang] TYPE CONTENT [TYPE CONTENT...]\n", argv[0]);
        return 2;
    }
    for (int i = first; i < argc; i += 2) state.offers.emplace_back(argv[i], argv[i + 1]);
    wl_display* display = wl_display_connect(nullptr);
    if (!display) return 1;
    wl_registry* registry = wl_display_get_registry(display);
    static const wl_registry_listener registryListener{global,
                                                       [](void*, wl_registry*, uint32_t) {}};
    wl_registry_add_listener(registry, &registryListener, &state);
    wl_display_roundtrip(display);
    if (!state.manager || !state.seat) return 1;
    zwlr_data_control_device_v1* device =
        zwlr_data_control_manager_v1_get_data_device(state.manager, state.seat);
    zwlr_data_control_source_v1* source =
        zwlr_data_control_manager_v1_create_data_source(state.manager);
    static const zwlr_data_control_source_v1_listener sourceListener{send, cancelled};
    zwlr_data_control_source_v1_add_listener(source, &sourceListener, &state);
    for (const auto& offer : state.offers)
        zwlr_data_control_source_v1_offer(source, offer.first.c_str());
    zwlr_data_control_device_v1_set_selection(device, source);
    wl_display_roundtrip(display);
    std::printf("ready\n");  // the selection is set
    std::fflush(stdout);
    while (!state.cancelled && wl_display_dispatch(display) >= 0) {
    }
    for (int fd : state.heldFds) ::close(fd);
    wl_display_disconnect(display);
    return 0;
}
