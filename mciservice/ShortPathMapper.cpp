#include "mciservice/ShortPathMapper.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <system_error>

namespace kelto::mciservice {

namespace {

bool IsSafeChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' ||
           c == '.' || c == '_' || c == '+' || c == '-';
}

std::uint64_t Fnv1a(const std::string& text) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

// The extension if it is plain letters and digits, else nothing: the link name
// must stay as safe as the rest.
std::string SafeExtension(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    if (extension.size() < 2 || extension.size() > 9) {
        return {};
    }
    for (std::size_t i = 1; i < extension.size(); ++i) {
        const char c = extension[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) {
            return {};
        }
    }
    return extension;
}

}  // namespace

bool ShortPathMapper::IsSafe(const std::string& path) {
    if (path.empty() || path.size() > kMaxDirectLength) {
        return false;
    }
    for (const char c : path) {
        if (!IsSafeChar(c)) {
            return false;
        }
    }
    return true;
}

ShortPathMapper::~ShortPathMapper() {
    if (!folder_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
}

ShortPathMapper& ShortPathMapper::Shared() {
    static ShortPathMapper mapper;
    return mapper;
}

bool ShortPathMapper::EnsureFolder() {
    if (!folder_.empty()) {
        return true;
    }
    char pattern[] = "/tmp/kelto-mci-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        return false;
    }
    folder_ = pattern;
    return true;
}

std::optional<std::string> ShortPathMapper::ShortForm(const std::string& longPath) {
    std::error_code ec;
    if (longPath.empty() || !std::filesystem::exists(longPath, ec) || ec) {
        return std::nullopt;
    }
    // Relative names are made absolute so that the link (and the service, which
    // may not share the caller's idea of the current folder) finds the file.
    const std::filesystem::path absolute = std::filesystem::absolute(longPath, ec);
    if (ec) {
        return std::nullopt;
    }
    if (IsSafe(absolute.string())) {
        return absolute.string();
    }
    if (!EnsureFolder()) {
        return std::nullopt;
    }
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx",
                  static_cast<unsigned long long>(Fnv1a(absolute.string())));
    std::string extension = SafeExtension(absolute);
    // A second path with the same hash gets the next free suffix.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string suffix = attempt == 0 ? "" : "-" + std::to_string(attempt);
        std::string name = hash;
        name += suffix;
        name += extension;
        const std::filesystem::path link = folder_ / name;
        const std::filesystem::path existing = std::filesystem::read_symlink(link, ec);
        if (!ec) {
            if (existing == absolute) {
                return link.string();
            }
            continue;
        }
        std::filesystem::create_symlink(absolute, link, ec);
        if (!ec) {
            return link.string();
        }
    }
    return std::nullopt;
}

}  // namespace kelto::mciservice
