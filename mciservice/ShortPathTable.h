#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelto::mciservice {

// Stands in for short file names, which Linux does not have. A short form is
// made only of [A-Za-z0-9/._+~-] and is short, so it travels unquoted through
// an open command without breaking it or adding keywords to it.
//
// A path that already has that form goes as it is. Any other path (blanks,
// quotes, commas, non-ASCII letters, words like " alias ", great length) gets a
// name "~N" from this table, which the service turns back into the path when a
// command opens it. The table lives in the service, in the player's process:
// nothing is written anywhere, so nothing is left behind.
class ShortPathTable {
public:
    // Longest path that goes out unchanged: keeps the whole open command within
    // the 255 characters the player sends.
    static constexpr std::size_t kMaxDirectLength = 128;

    // The short form of an existing file or folder, relative names made
    // absolute, or of a web address; nullopt for a file that does not exist.
    std::optional<std::string> ShortForm(const std::string& longPath);

    // The path that a name this table handed out stands for; any other name as it is.
    std::string_view LongForm(std::string_view name) const;

    static bool IsSafe(std::string_view path);

private:
    std::string Named(const std::string& path);

    std::vector<std::string> paths_;  // "~N" stands for paths_[N - 1]
};

}  // namespace kelto::mciservice
