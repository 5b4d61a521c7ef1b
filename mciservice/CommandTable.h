#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "mciservice/CommandParser.h"

namespace kelto::mciservice {

class AudioSinkProbe;
class DeviceTable;
class MediaDevice;
class ShortPathTable;
struct ServiceOptions;

// Everything a command handler may use.
struct CommandContext {
    DeviceTable& devices;
    const ServiceOptions& options;
    AudioSinkProbe* audioSinks;  // null when opens go through a stand-in
    const ShortPathTable& shortPaths;
    const Token& deviceName;
    const Arguments& args;
    MediaDevice* device;  // the addressed device; null for "open" and "all"
    bool all;             // the device name was "all"
    std::string& reply;
};

using CommandHandler = std::uint32_t (*)(CommandContext&);

struct CommandSpec {
    std::string_view verb;
    std::span<const KeywordSpec> keywords = {};
    // Takes exactly one item of group 1 ("status", "where").
    bool itemList = false;
    // Needs at least one keyword besides "wait" and "notify" (273 otherwise).
    bool needsParameter = false;
    bool acceptsAll = false;
    // The device name is a file to open, not an alias.
    bool opensDevice = false;
    CommandHandler handler = nullptr;
};

// The command of that verb (any letter case), or null.
const CommandSpec* FindCommand(std::string_view verb);

}  // namespace kelto::mciservice
