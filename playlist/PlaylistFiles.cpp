#include "playlist/PlaylistFiles.h"

#include <cerrno>
#include <cstdio>
#include <optional>
#include <system_error>
#include <utility>

#include "playlist/LineFile.h"

namespace kelto::playlist {

std::string TitleOfPath(const std::string& path) {
    std::string name = std::filesystem::path(path).filename().string();
    return name.empty() ? path : name;
}

PlaylistFiles::PlaylistFiles(std::filesystem::path folder, StepObserver afterStep)
    : folder_(std::move(folder)), afterStep_(std::move(afterStep)) {}

std::filesystem::path PlaylistFiles::KeptCopyOf(const std::filesystem::path& file) {
    std::filesystem::path copy = file;
    copy += ".orig";
    return copy;
}

std::string PlaylistFiles::KeepAsFound() const {
    std::error_code ec;
    const std::filesystem::path files[] = {TitlesFile(), PathsFile()};
    std::string names;
    for (const std::filesystem::path& file : files) {
        if (!std::filesystem::exists(std::filesystem::symlink_status(KeptCopyOf(file), ec)))
            continue;
        names += (names.empty() ? "" : " and ") + KeptCopyOf(file).string();
    }
    if (!names.empty()) return "the copies kept by an earlier repair stay in " + names;
    for (const std::filesystem::path& file : files) {
        if (!std::filesystem::exists(file, ec)) continue;
        // copy_file refuses to replace a file that is there by now.
        if (!std::filesystem::copy_file(file, KeptCopyOf(file), ec)) {
            return "the files as found could not be kept: " + KeptCopyOf(file).string() + ": " +
                   ec.message();
        }
        names += (names.empty() ? "" : " and ") + KeptCopyOf(file).string();
    }
    if (names.empty()) return "neither file was there";
    return "the files as found are kept in " + names;
}

void PlaylistFiles::Stepped(const std::filesystem::path& changed) const {
    if (afterStep_) afterStep_(changed);
}

bool PlaylistFiles::Save(const PlaylistEntries& entries, std::string* error) const {
    std::optional<ReplacementFile> titles =
        ReplacementFile::Write(TitlesFile(), entries.titles, error);
    if (!titles) return false;
    std::optional<ReplacementFile> paths =
        ReplacementFile::Write(PathsFile(), entries.paths, error);
    if (!paths) return false;

    // The old titles step aside under a name of their own, so that they can
    // come back if the paths cannot be replaced. A folder of that name would
    // step aside as well, and a file could then take its place: refused, as
    // the rename of a file over a folder refuses it.
    const std::filesystem::path titlesFile = TitlesFile();
    std::error_code ignored;
    if (std::filesystem::is_directory(std::filesystem::symlink_status(titlesFile, ignored))) {
        if (error != nullptr) *error = "cannot replace " + titlesFile.string() + ": a folder";
        return false;
    }
    const std::filesystem::path oldTitles = folder_ / ("." + std::string(kTitlesFileName) + ".old");
    const bool hadTitles = std::rename(titlesFile.c_str(), oldTitles.c_str()) == 0;
    if (!hadTitles && errno != ENOENT) {
        const int errorNumber = errno;
        if (error != nullptr) {
            *error = "cannot move aside " + titlesFile.string() + ": " +
                     std::generic_category().message(errorNumber);
        }
        return false;
    }
    Stepped(titlesFile);
    if (!paths->Replace(error)) {
        if (hadTitles) std::rename(oldTitles.c_str(), titlesFile.c_str());
        return false;
    }
    Stepped(PathsFile());
    const bool saved = titles->Replace(error);
    if (hadTitles) std::remove(oldTitles.c_str());
    return saved;
}

}  // namespace kelto::playlist
