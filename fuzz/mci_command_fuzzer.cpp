// Drives the command interpreter with arbitrary command sequences, one command
// per line, over made-up media: no file and no media pipeline is ever touched.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "fuzz/CommandScript.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string fault =
        kelto::fuzz::RunCommandScript({reinterpret_cast<const char*>(data), size});
    if (!fault.empty()) {
        std::fprintf(stderr, "broken promise: %s\n", fault.c_str());
        __builtin_trap();
    }
    return 0;
}
