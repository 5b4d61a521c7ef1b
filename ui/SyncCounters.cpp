#include "ui/SyncCounters.h"

#include <sys/uio.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace kelto::ui {

namespace {

// The extension's request numbers and the constants of its wait conditions.
enum Minor : std::uint8_t {
    kInitialize = 0,
    kListSystemCounters = 1,
    kCreateCounter = 2,
    kSetCounter = 3,
    kQueryCounter = 5,
    kDestroyCounter = 6,
    kAwait = 7,
};
constexpr std::uint32_t kAbsolute = 0;
constexpr std::uint32_t kPositiveComparison = 2;

// xcb fills in the major opcode and the length from this key.
xcb_extension_t syncExtension = {"SYNC", 0};

void PutWord(std::vector<std::uint8_t>& out, std::uint32_t word) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&word);
    out.insert(out.end(), bytes, bytes + 4);
}

// The extension's 64-bit values go as a signed high word, then the low word.
void PutValue(std::vector<std::uint8_t>& out, std::int64_t value) {
    PutWord(out, static_cast<std::uint32_t>(static_cast<std::uint64_t>(value) >> 32));
    PutWord(out, static_cast<std::uint32_t>(static_cast<std::uint64_t>(value) & 0xffffffffU));
}

std::uint32_t WordAt(const std::uint8_t* data) {
    std::uint32_t word = 0;
    std::memcpy(&word, data, 4);
    return word;
}

// Sends one request; `body` follows the four header bytes. Returns its
// sequence number.
unsigned int Send(xcb_connection_t* connection, Minor minor, std::vector<std::uint8_t> body,
                  bool hasReply) {
    std::vector<std::uint8_t> request(4, 0);
    request.insert(request.end(), body.begin(), body.end());
    // xcb uses the two slots before the request for its own header.
    std::array<iovec, 3> parts{};
    parts[2].iov_base = request.data();
    parts[2].iov_len = request.size();
    xcb_protocol_request_t protocol{1, &syncExtension, minor, static_cast<std::uint8_t>(!hasReply)};
    return xcb_send_request(connection, hasReply ? XCB_REQUEST_CHECKED : 0, &parts[2], &protocol);
}

using Reply = std::unique_ptr<std::uint8_t, decltype(&std::free)>;

Reply WaitReply(xcb_connection_t* connection, unsigned int sequence) {
    xcb_generic_error_t* error = nullptr;
    Reply reply(static_cast<std::uint8_t*>(xcb_wait_for_reply(connection, sequence, &error)),
                &std::free);
    std::free(error);
    return reply;
}

}  // namespace

bool SyncCounters::Available(xcb_connection_t* connection) {
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(connection, &syncExtension);
    if (extension == nullptr || extension->present == 0) return false;
    // Version 3.1 is the one the server is asked for.
    return WaitReply(connection, Send(connection, kInitialize, {3, 1, 0, 0}, true)) != nullptr;
}

std::uint32_t SyncCounters::SystemCounter(xcb_connection_t* connection, std::string_view name) {
    const Reply reply = WaitReply(connection, Send(connection, kListSystemCounters, {}, true));
    if (!reply) return 0;
    const std::uint32_t count = WordAt(reply.get() + 8);
    const std::size_t length = 32 + static_cast<std::size_t>(WordAt(reply.get() + 4)) * 4;
    std::size_t at = 32;
    for (std::uint32_t i = 0; i < count && at + 14 <= length; ++i) {
        const std::uint32_t counter = WordAt(reply.get() + at);
        std::uint16_t nameLength = 0;
        std::memcpy(&nameLength, reply.get() + at + 12, 2);
        if (at + 14 + nameLength > length) break;
        const std::string_view entry(reinterpret_cast<const char*>(reply.get() + at + 14),
                                     nameLength);
        if (entry == name) return counter;
        at += (14 + nameLength + 3) & ~std::size_t{3};
    }
    return 0;
}

void SyncCounters::Create(xcb_connection_t* connection, std::uint32_t counter, std::int64_t value) {
    std::vector<std::uint8_t> body;
    PutWord(body, counter);
    PutValue(body, value);
    Send(connection, kCreateCounter, std::move(body), false);
}

void SyncCounters::Set(xcb_connection_t* connection, std::uint32_t counter, std::int64_t value) {
    std::vector<std::uint8_t> body;
    PutWord(body, counter);
    PutValue(body, value);
    Send(connection, kSetCounter, std::move(body), false);
}

void SyncCounters::Destroy(xcb_connection_t* connection, std::uint32_t counter) {
    std::vector<std::uint8_t> body;
    PutWord(body, counter);
    Send(connection, kDestroyCounter, std::move(body), false);
}

std::optional<std::int64_t> SyncCounters::Query(xcb_connection_t* connection,
                                                std::uint32_t counter) {
    std::vector<std::uint8_t> body;
    PutWord(body, counter);
    const Reply reply =
        WaitReply(connection, Send(connection, kQueryCounter, std::move(body), true));
    if (!reply) return std::nullopt;
    const auto high = static_cast<std::int32_t>(WordAt(reply.get() + 8));
    const std::uint32_t low = WordAt(reply.get() + 12);
    return static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(high)) << 32) | low);
}

void SyncCounters::AwaitEither(xcb_connection_t* connection, std::uint32_t counter,
                               std::int64_t value, std::uint32_t other, std::int64_t otherValue) {
    std::vector<std::uint8_t> body;
    for (const auto& [id, at] : {std::pair{counter, value}, std::pair{other, otherValue}}) {
        PutWord(body, id);
        PutWord(body, kAbsolute);
        PutValue(body, at);
        PutWord(body, kPositiveComparison);
        // No event when the wait ends: nothing reads them.
        PutValue(body, std::numeric_limits<std::int64_t>::max());
    }
    Send(connection, kAwait, std::move(body), false);
}

}  // namespace kelto::ui
