#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace kelto::mciservice {

// Stands in for short file names, which Linux does not have. The form it hands
// out is made only of [A-Za-z0-9/._+-] and is short, so it travels unquoted
// through an open command without breaking it or adding keywords to it.
//
// A path that already has that form goes as it is. Any other path (blanks,
// quotes, commas, non-ASCII letters, words like " alias ", great length) is
// reached through a symbolic link in a private folder (mode 0700, made on first
// need, removed with this object), named from a hash of the path and keeping
// its extension, which some formats are recognised by.
class ShortPathMapper {
public:
    // Longest path that goes out unchanged: keeps the whole open command within
    // the 255 characters the player sends.
    static constexpr std::size_t kMaxDirectLength = 128;

    ShortPathMapper() = default;
    ShortPathMapper(const ShortPathMapper&) = delete;
    ShortPathMapper& operator=(const ShortPathMapper&) = delete;
    ~ShortPathMapper();

    // The short form of an existing file or folder; nullopt when it does not
    // exist or no link can be made.
    std::optional<std::string> ShortForm(const std::string& longPath);

    // The folder holding the links, empty until the first one is made.
    const std::filesystem::path& LinkFolder() const { return folder_; }

    // The mapper all platforms of this process share.
    static ShortPathMapper& Shared();

    static bool IsSafe(const std::string& path);

private:
    bool EnsureFolder();

    std::filesystem::path folder_;
};

}  // namespace kelto::mciservice
