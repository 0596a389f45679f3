#pragma once

#include <ext-data-control-v1-client-protocol.h>
#include <wlr-data-control-unstable-v1-client-protocol.h>

#include <array>

namespace quillet::wayland {

// The two data-control protocols are one protocol under two names: same requests and events in
// the same order. One code path drives either through its interface tables and shared opcodes.
struct DataControl {
    const char* name;
    const wl_interface* manager;
    const wl_interface* device;
    const wl_interface* source;
    uint32_t version;  // highest we use
};
inline constexpr std::array kDataControlProtocols{
    DataControl{"ext-data-control-v1", &ext_data_control_manager_v1_interface,
                &ext_data_control_device_v1_interface, &ext_data_control_source_v1_interface, 1},
    DataControl{"wlr-data-control-unstable-v1", &zwlr_data_control_manager_v1_interface,
                &zwlr_data_control_device_v1_interface, &zwlr_data_control_source_v1_interface, 2},
};
static_assert(EXT_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE ==
                  ZWLR_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE &&
              EXT_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE ==
                  ZWLR_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE &&
              EXT_DATA_CONTROL_DEVICE_V1_SET_SELECTION ==
                  ZWLR_DATA_CONTROL_DEVICE_V1_SET_SELECTION &&
              EXT_DATA_CONTROL_DEVICE_V1_DESTROY == ZWLR_DATA_CONTROL_DEVICE_V1_DESTROY &&
              EXT_DATA_CONTROL_SOURCE_V1_OFFER == ZWLR_DATA_CONTROL_SOURCE_V1_OFFER &&
              EXT_DATA_CONTROL_SOURCE_V1_DESTROY == ZWLR_DATA_CONTROL_SOURCE_V1_DESTROY &&
              EXT_DATA_CONTROL_OFFER_V1_RECEIVE == ZWLR_DATA_CONTROL_OFFER_V1_RECEIVE &&
              EXT_DATA_CONTROL_OFFER_V1_DESTROY == ZWLR_DATA_CONTROL_OFFER_V1_DESTROY);

// Listeners in the generated layout, over plain proxies so they serve both protocols.
struct DeviceListener {
    void (*dataOffer)(void*, wl_proxy*, wl_proxy*);
    void (*selection)(void*, wl_proxy*, wl_proxy*);
    void (*finished)(void*, wl_proxy*);
    void (*primarySelection)(void*, wl_proxy*, wl_proxy*);
};
struct OfferListener {
    void (*offer)(void*, wl_proxy*, const char*);
};
struct SourceListener {
    void (*send)(void*, wl_proxy*, const char*, int32_t);
    void (*cancelled)(void*, wl_proxy*);
};

template <typename Listener>
void addListener(wl_proxy* proxy, const Listener& listener, void* data) {
    wl_proxy_add_listener(proxy, reinterpret_cast<void (**)(void)>(const_cast<Listener*>(&listener)),
                          data);
}

inline void destroyProxy(wl_proxy* proxy, uint32_t opcode) {
    wl_proxy_marshal_flags(proxy, opcode, nullptr, wl_proxy_get_version(proxy),
                           WL_MARSHAL_FLAG_DESTROY);
}

// Text types in order of preference; all carry UTF-8.
inline constexpr std::array kTextTypes{"text/plain;charset=utf-8", "UTF8_STRING", "text/plain"};

}  // namespace quillet::wayland
