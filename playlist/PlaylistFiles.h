#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kelto::playlist {

// Titles and paths at the same index form one entry; both always have the
// same length.
struct PlaylistEntries {
    std::vector<std::string> titles;
    std::vector<std::string> paths;
};

// Makes two lists read from separate files into entries. Files edited by hand
// or a save cut short between the two files can leave them of unequal length:
// the pairs there are kept, a path without a title is titled with its file
// name, and a title without a path is dropped, since nothing could play it.
PlaylistEntries PairEntries(std::vector<std::string> titles, std::vector<std::string> paths);

// The same pairing for lists of any string type, in place; `titleOfPath`
// gives the title of a path that has none.
template <typename Lines, typename TitleOf>
void PairInPlace(Lines& titles, const Lines& paths, TitleOf titleOfPath) {
    if (titles.size() > paths.size()) titles.resize(paths.size());
    for (auto i = titles.size(); i < paths.size(); ++i) titles.push_back(titleOfPath(paths[i]));
}

// The file name of `path` as the playlist shows it; the path itself when it
// has no file name part.
std::string TitleOfPath(const std::string& path);

// The two playlist files, "pl1.txt" (titles) and "pl2.txt" (full paths), in
// one folder. An empty folder means the current directory at the moment of
// each call, which is where the player keeps them.
class PlaylistFiles {
public:
    static constexpr const char* kTitlesFileName = "pl1.txt";
    static constexpr const char* kPathsFileName = "pl2.txt";

    explicit PlaylistFiles(std::filesystem::path folder = {});

    std::filesystem::path TitlesFile() const { return folder_ / kTitlesFileName; }
    std::filesystem::path PathsFile() const { return folder_ / kPathsFileName; }

    // Both files read and paired; a missing or unreadable file counts as an
    // empty list.
    PlaylistEntries Load() const;

    // Writes the titles file, then the paths file, each replaced atomically.
    // Both are attempted even if the first fails. False if either failed;
    // `error` then holds the first reason.
    bool Save(const PlaylistEntries& entries, std::string* error = nullptr) const;

private:
    std::filesystem::path folder_;
};

}  // namespace kelto::playlist
