#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelto::playlist {

// One entry a line, every line ended by CR LF, nothing else: the layout both
// playlist files have always had on disk.
std::string JoinLines(const std::vector<std::string>& lines);

// Splits text into whole lines. CR LF, a lone LF and a lone CR all end a line;
// a last line without an end still counts. Nothing inside a line is special,
// so commas, quotes and blanks come back exactly as written. Empty text gives
// no lines; "\r\n" gives one empty line.
std::vector<std::string> SplitLines(std::string_view text);

// Reads `file` in blocks and hands each line, split as SplitLines does, to
// `line`; the view is valid only during the call. False when the file cannot
// be read (missing, unreadable, not a regular file); a read failing part-way
// also gives false, after the lines before it were handed on.
bool ForEachLine(const std::filesystem::path& file,
                 const std::function<void(std::string_view line)>& line);

// All lines of `file`, as ForEachLine hands them on; nullopt when it cannot be read.
std::optional<std::vector<std::string>> ReadLineFile(const std::filesystem::path& file);

// Replaces `file` with `lines` so that a reader only ever sees the old file or
// the complete new one: the text goes to a temporary file in the same folder,
// is flushed to disk and then renamed over `file`. On failure `file` is left
// as it was, no temporary file remains, `error` (when given) says why and the
// result is false. An existing file's permissions carry over to the new one.
bool WriteLineFileAtomically(const std::filesystem::path& file,
                             const std::vector<std::string>& lines, std::string* error = nullptr);

}  // namespace kelto::playlist
