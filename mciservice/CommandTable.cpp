#include "mciservice/CommandTable.h"

#include <array>

#include "mciservice/CommandHandlers.h"

namespace kelto::mciservice {

namespace {

using V = ValueKind;

constexpr KeywordSpec kOpenKeywords[] = {
    {"type", Kw::Type, V::Word},           {"alias", Kw::Alias, V::Word},
    {"parent", Kw::Parent, V::Integer},    {"style", Kw::Style, V::Integer},
    {"shareable", Kw::Shareable, V::None},
};
constexpr KeywordSpec kPlayKeywords[] = {
    {"from", Kw::From, V::Integer},
    {"to", Kw::To, V::Integer},
};
constexpr KeywordSpec kSeekKeywords[] = {
    {"to", Kw::To, V::Integer, 1},
    {"to start", Kw::ToStart, V::None, 1},
    {"to end", Kw::ToEnd, V::None, 1},
};
constexpr KeywordSpec kSetKeywords[] = {
    {"time format", Kw::TimeFormat, V::Word},
    {"speed", Kw::Speed, V::Integer},
    {"audio all on", Kw::AudioAllOn, V::None, 1},
    {"audio all off", Kw::AudioAllOff, V::None, 1},
};
constexpr KeywordSpec kStatusItems[] = {
    {"length", Kw::Length, V::None, 1},
    {"position", Kw::Position, V::None, 1},
    {"speed", Kw::Speed, V::None, 1},
    {"mode", Kw::Mode, V::None, 1},
    {"time format", Kw::TimeFormat, V::None, 1},
    {"ready", Kw::Ready, V::None, 1},
    {"volume", Kw::Volume, V::None, 1},
};
constexpr KeywordSpec kWhereItems[] = {
    {"destination", Kw::Destination, V::None, 1},
    {"source", Kw::Source, V::None, 1},
};
constexpr KeywordSpec kPutKeywords[] = {
    {"window at", Kw::WindowAt, V::Rect, 1},
    {"destination at", Kw::DestinationAt, V::Rect, 1},
};
constexpr KeywordSpec kSetAudioKeywords[] = {
    {"volume to", Kw::VolumeTo, V::Integer},
    {"on", Kw::On, V::None, 1},
    {"off", Kw::Off, V::None, 1},
};

// Each command's keywords, and what it demands of its arguments and device name.
constexpr std::array kCommands{
    CommandSpec{
        .verb = "open", .keywords = kOpenKeywords, .opensDevice = true, .handler = handlers::Open},
    CommandSpec{.verb = "close", .acceptsAll = true, .handler = handlers::Close},
    CommandSpec{.verb = "play", .keywords = kPlayKeywords, .handler = handlers::Play},
    CommandSpec{.verb = "pause", .handler = handlers::Pause},
    CommandSpec{.verb = "resume", .handler = handlers::Resume},
    CommandSpec{.verb = "stop", .handler = handlers::Stop},
    CommandSpec{.verb = "seek",
                .keywords = kSeekKeywords,
                .needsParameter = true,
                .handler = handlers::Seek},
    CommandSpec{
        .verb = "set", .keywords = kSetKeywords, .needsParameter = true, .handler = handlers::Set},
    CommandSpec{.verb = "status",
                .keywords = kStatusItems,
                .itemList = true,
                .needsParameter = true,
                .handler = handlers::Status},
    CommandSpec{.verb = "where",
                .keywords = kWhereItems,
                .itemList = true,
                .needsParameter = true,
                .handler = handlers::Where},
    CommandSpec{
        .verb = "put", .keywords = kPutKeywords, .needsParameter = true, .handler = handlers::Put},
    CommandSpec{.verb = "setaudio",
                .keywords = kSetAudioKeywords,
                .needsParameter = true,
                .handler = handlers::SetAudio},
};

}  // namespace

const CommandSpec* FindCommand(std::string_view verb) {
    // Verbs match in any case: the player sends "Close" and "Play" as well as "play".
    for (const CommandSpec& entry : kCommands) {
        if (EqualsNoCase(entry.verb, verb)) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace kelto::mciservice
