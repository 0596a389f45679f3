// A clipboard owner that misbehaves on purpose, for tests of the reader's bounds. It owns
// CLIPBOARD with one UTF8_STRING text sent incrementally, 256 KiB a chunk, as fast as the
// reader deletes each one, and never ends the transfer. It prints "owner" once it owns the
// selection and exits when it loses it. With the argument "die" it exits after the first
// chunk instead, in the middle of the transfer; with "slow" it sends a small chunk every 80 ms,
// always in time for the reader's wait but never done; with "targets" it offers a list of
// 4,000,000 formats instead (16 MB, as much as one request to the server may carry).
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    xcb_atom_t result = XCB_ATOM_NONE;
    if (reply) result = reply->atom;
    std::free(reply);
    return result;
}

void notify(xcb_connection_t* c, const xcb_selection_request_event_t* request,
            xcb_atom_t property) {
    xcb_selection_notify_event_t event{};
    event.response_type = XCB_SELECTION_NOTIFY;
    event.time = request->time;
    event.requestor = request->requestor;
    event.selection = request->selection;
    event.target = request->target;
    event.property = property;
    xcb_send_event(c, 0, request->requestor, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&event));
}

}  // namespace

int main(int argc, char** argv) {
    const bool dies = argc > 1 && std::strcmp(argv[1], "die") == 0;
    const bool slow = argc > 1 && std::strcmp(argv[1], "slow") == 0;
    const bool manyTargets = argc > 1 && std::strcmp(argv[1], "targets") == 0;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) return 1;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    const xcb_atom_t clipboard = atom(c, "CLIPBOARD"), targets = atom(c, "TARGETS"),
                     utf8 = atom(c, "UTF8_STRING"), incr = atom(c, "INCR");
    xcb_set_selection_owner(c, window, clipboard, XCB_CURRENT_TIME);
    xcb_flush(c);
    std::printf("owner\n");
    std::fflush(stdout);

    const std::string chunk(256 * 1024, 'A');
    // The transfer in progress: where the next chunk goes once the last one was deleted.
    xcb_window_t requestor = XCB_WINDOW_NONE;
    xcb_atom_t property = XCB_ATOM_NONE;

    while (xcb_generic_event_t* event = xcb_wait_for_event(c)) {
        const int type = event->response_type & 0x7f;
        if (type == XCB_SELECTION_CLEAR) return 0;
        if (type == XCB_SELECTION_REQUEST) {
            const auto* request = reinterpret_cast<xcb_selection_request_event_t*>(event);
            if (request->target == targets) {
                std::vector<xcb_atom_t> offered{targets, utf8};
                if (manyTargets) offered.resize(4'000'000, utf8);
                xcb_change_property(c, XCB_PROP_MODE_REPLACE, request->requestor, request->property,
                                    XCB_ATOM_ATOM, 32, uint32_t(offered.size()), offered.data());
                notify(c, request, request->property);
            } else if (request->target == utf8) {
                const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
                xcb_change_window_attributes(c, request->requestor, XCB_CW_EVENT_MASK, &mask);
                const uint32_t announced = 0xFFFFFFFFu;
                xcb_change_property(c, XCB_PROP_MODE_REPLACE, request->requestor, request->property,
                                    incr, 32, 1, &announced);
                requestor = request->requestor;
                property = request->property;
                notify(c, request, request->property);
            } else {
                notify(c, request, XCB_ATOM_NONE);
            }
            xcb_flush(c);
        } else if (type == XCB_PROPERTY_NOTIFY) {
            const auto* change = reinterpret_cast<xcb_property_notify_event_t*>(event);
            if (change->window == requestor && change->atom == property &&
                change->state == XCB_PROPERTY_DELETE) {
                if (slow) usleep(80'000);
                xcb_change_property(c, XCB_PROP_MODE_REPLACE, requestor, property, utf8, 8,
                                    uint32_t(slow ? 1024 : chunk.size()), chunk.data());
                xcb_flush(c);
                if (dies) std::_Exit(0);
            }
        }
        std::free(event);
    }
    return 0;
}
