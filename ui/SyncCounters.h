#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

struct xcb_connection_t;

namespace kelto::ui {

// The few requests of the X server's synchronisation extension that let the
// server pace an animation itself: counters, and a wait that holds back the
// rest of a connection's requests until a counter reaches a value. Encoded
// here because the extension's own client library is not among the ones the
// program builds with. Every call is a no-op on a server without it.
class SyncCounters {
public:
    // Whether `connection`'s server has the extension, which is then set up
    // for use on that connection (one round trip).
    static bool Available(xcb_connection_t* connection);

    // A system counter by name (such as "SERVERTIME", the server's clock in
    // milliseconds), or 0.
    static std::uint32_t SystemCounter(xcb_connection_t* connection, std::string_view name);

    static void Create(xcb_connection_t* connection, std::uint32_t counter, std::int64_t value);
    static void Set(xcb_connection_t* connection, std::uint32_t counter, std::int64_t value);
    static void Destroy(xcb_connection_t* connection, std::uint32_t counter);
    static std::optional<std::int64_t> Query(xcb_connection_t* connection, std::uint32_t counter);

    // Holds back the connection's later requests until `counter` is at least
    // `value` or `other` is at least `otherValue`, whichever comes first.
    static void AwaitEither(xcb_connection_t* connection, std::uint32_t counter, std::int64_t value,
                            std::uint32_t other, std::int64_t otherValue);
};

}  // namespace kelto::ui
