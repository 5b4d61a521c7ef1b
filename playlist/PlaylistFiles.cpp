#include "playlist/PlaylistFiles.h"

#include <utility>

#include "playlist/LineFile.h"

namespace kelto::playlist {

PlaylistEntries PairEntries(std::vector<std::string> titles, std::vector<std::string> paths) {
    PairInPlace(titles, paths, TitleOfPath);
    return PlaylistEntries{std::move(titles), std::move(paths)};
}

std::string TitleOfPath(const std::string& path) {
    std::string name = std::filesystem::path(path).filename().string();
    return name.empty() ? path : name;
}

PlaylistFiles::PlaylistFiles(std::filesystem::path folder) : folder_(std::move(folder)) {}

PlaylistEntries PlaylistFiles::Load() const {
    std::vector<std::string> titles =
        ReadLineFile(TitlesFile()).value_or(std::vector<std::string>{});
    std::vector<std::string> paths = ReadLineFile(PathsFile()).value_or(std::vector<std::string>{});
    return PairEntries(std::move(titles), std::move(paths));
}

bool PlaylistFiles::Save(const PlaylistEntries& entries, std::string* error) const {
    std::string titlesError;
    std::string pathsError;
    const bool titlesSaved = WriteLineFileAtomically(TitlesFile(), entries.titles, &titlesError);
    const bool pathsSaved = WriteLineFileAtomically(PathsFile(), entries.paths, &pathsError);
    if (error != nullptr) *error = !titlesSaved ? titlesError : pathsError;
    return titlesSaved && pathsSaved;
}

}  // namespace kelto::playlist
