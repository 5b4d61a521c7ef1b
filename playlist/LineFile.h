#pragma once

#include <QSaveFile>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelto::playlist {

// One entry a line, every line ended by CR LF, nothing else: the one layout of
// both playlist files on disk, which the playlists users have saved are in.
std::string JoinLines(const std::vector<std::string>& lines);

// Reads `file` in blocks and hands each line to `line`; CR LF, a lone LF and
// a lone CR all end a line, and a last line without an end still counts. The
// view is valid only during the call. False when the file cannot be read
// (missing, unreadable, not a regular file); a read failing part-way also
// gives false, after the lines before it were handed on.
bool ForEachLine(const std::filesystem::path& file,
                 const std::function<void(std::string_view line)>& line);

// The new text of a file, written in full and handed to the system beside it
// (a QSaveFile), that takes the file's place only on Replace(); a reader only
// ever sees the old file or the complete new one. Until then the file is
// untouched, and a replacement that is dropped leaves nothing behind. An
// existing file's permissions carry over to the new one.
class ReplacementFile {
public:
    // Nullopt when the text could not be written whole; `error` (when given)
    // then says why and nothing is left behind.
    static std::optional<ReplacementFile> Write(const std::filesystem::path& file,
                                                const std::vector<std::string>& lines,
                                                std::string* error = nullptr);

    // Puts the new text in the file's place. Call at most once.
    bool Replace(std::string* error = nullptr);

private:
    ReplacementFile(std::filesystem::path file, std::unique_ptr<QSaveFile> save);

    std::filesystem::path file_;
    std::unique_ptr<QSaveFile> save_;
};

}  // namespace kelto::playlist
