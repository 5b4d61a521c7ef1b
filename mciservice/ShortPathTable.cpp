#include "mciservice/ShortPathTable.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <system_error>

#include "mciservice/StreamPipeline.h"

namespace kelto::mciservice {

bool ShortPathTable::IsSafe(std::string_view path) {
    return !path.empty() && path.size() <= kMaxDirectLength &&
           std::all_of(path.begin(), path.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '/' || c == '.' || c == '_' || c == '+' || c == '-' || c == '~';
           });
}

std::optional<std::string> ShortPathTable::ShortForm(const std::string& longPath) {
    // A web address is not a file to look for; its colon and query never travel bare.
    if (IsWebAddress(longPath)) return Named(longPath);
    std::error_code ec;
    if (longPath.empty() || !std::filesystem::exists(longPath, ec) || ec) {
        return std::nullopt;
    }
    // Relative names are made absolute: the service opens the file later and
    // need not share the caller's idea of the current folder. An absolute path
    // also never reads as one of the "~N" names.
    const std::string absolute = std::filesystem::absolute(longPath, ec).string();
    if (ec) {
        return std::nullopt;
    }
    if (IsSafe(absolute)) {
        return absolute;
    }
    return Named(absolute);
}

std::string ShortPathTable::Named(const std::string& path) {
    auto known = std::find(paths_.begin(), paths_.end(), path);
    if (known == paths_.end()) {
        known = paths_.insert(paths_.end(), path);
    }
    return "~" + std::to_string(known - paths_.begin() + 1);
}

std::string_view ShortPathTable::LongForm(std::string_view name) const {
    std::size_t number = 0;
    if (name.size() > 1 && name[0] == '~' && name[1] != '0') {
        const char* end = name.data() + name.size();
        const auto [stop, error] = std::from_chars(name.data() + 1, end, number);
        if (error == std::errc() && stop == end && number >= 1 && number <= paths_.size()) {
            return paths_[number - 1];
        }
    }
    return name;
}

}  // namespace kelto::mciservice
