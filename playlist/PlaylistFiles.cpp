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
