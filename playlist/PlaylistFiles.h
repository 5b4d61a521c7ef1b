#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kelto::playlist {

// Titles and paths at the same index form one entry.
struct PlaylistEntries {
    std::vector<std::string> titles;
    std::vector<std::string> paths;
};

// The file name of `path` as the playlist shows it; the path itself when it
// has no file name part.
std::string TitleOfPath(const std::string& path);

// The two playlist files, "pl1.txt" (titles) and "pl2.txt" (full paths), in
// one folder. An empty folder means the current directory at the moment of
// each call, which is where the player keeps them. Line i of one and line i of
// the other are one entry, so the pair is saved as one record.
class PlaylistFiles {
public:
    // Two files paired by line rather than one: the playlists users have saved are in this form.
    static constexpr const char* kTitlesFileName = "pl1.txt";
    static constexpr const char* kPathsFileName = "pl2.txt";

    // Told of each step of a save that leaves the two files out of step, with
    // the file just changed; the moment a process killed there leaves behind.
    using StepObserver = std::function<void(const std::filesystem::path& changed)>;

    explicit PlaylistFiles(std::filesystem::path folder = {}, StepObserver afterStep = {});

    std::filesystem::path TitlesFile() const { return folder_ / kTitlesFileName; }
    std::filesystem::path PathsFile() const { return folder_ / kPathsFileName; }
    // Where the files as found are kept when a load had to repair them.
    static std::filesystem::path KeptCopyOf(const std::filesystem::path& file);

    // Copies each file that exists to its kept copy ("pl1.txt.orig") before a
    // repaired playlist can replace it. A kept copy is never replaced: when
    // either is already there, both stay as they are, so the pair kept is the
    // one found by the first repair, as the user left it. Returns one sentence
    // saying where the files as found are.
    std::string KeepAsFound() const;

    // Both files written and flushed to temporary files first; only when both
    // are complete do they take the old files' places. A failure before that
    // (a full disk, a read-only folder) keeps both old files. While the files
    // change places there is no titles file, so that a crash in between leaves
    // paths whose titles are read back as their file names, never titles of
    // other paths. False when the new playlist was not saved whole; `error`
    // then says why.
    bool Save(const PlaylistEntries& entries, std::string* error = nullptr) const;

private:
    void Stepped(const std::filesystem::path& changed) const;

    std::filesystem::path folder_;
    StepObserver afterStep_;
};

}  // namespace kelto::playlist
