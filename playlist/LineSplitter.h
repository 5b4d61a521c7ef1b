#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kelto::playlist {

// Cuts text that arrives in pieces into whole lines, so a file can be read in
// blocks without holding all of it. CR LF, a lone LF and a lone CR all end a
// line, also when a CR ends one piece and its LF starts the next; a last line
// without an end counts once Finish is called. Nothing inside a line is
// special, so commas, quotes and blanks come back exactly as written.
class LineSplitter {
public:
    // Receives each line, without its end. The view is valid only during the
    // call.
    using Sink = std::function<void(std::string_view line)>;

    explicit LineSplitter(Sink sink);

    void Feed(std::string_view piece);
    // Hands on a last line that had no line end. Call once, after the last
    // piece.
    void Finish();

private:
    void Emit(std::string_view tail);

    Sink sink_;
    // The start of a line that a piece ended in the middle of.
    std::string partial_;
    // The last piece ended with CR: an LF opening the next piece belongs to it.
    bool afterCr_ = false;
};

}  // namespace kelto::playlist
