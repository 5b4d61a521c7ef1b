#include "playlist/LineSplitter.h"

#include <utility>

namespace kelto::playlist {

namespace {

// Where the next CR or LF is, or the size when there is none. A plain loop:
// find_first_of searches its set of two once for every character.
std::size_t LineEnd(std::string_view text, std::size_t from) {
    while (from < text.size() && text[from] != '\r' && text[from] != '\n') ++from;
    return from;
}

}  // namespace

LineSplitter::LineSplitter(Sink sink) : sink_(std::move(sink)) {}

void LineSplitter::Feed(std::string_view piece) {
    if (piece.empty()) return;
    std::size_t start = 0;
    if (afterCr_ && piece.front() == '\n') start = 1;
    afterCr_ = false;
    while (start < piece.size()) {
        const std::size_t end = LineEnd(piece, start);
        if (end == piece.size()) {
            partial_.append(piece.substr(start));
            return;
        }
        Emit(piece.substr(start, end - start));
        start = end + 1;
        if (piece[end] == '\r') {
            if (start == piece.size()) {
                afterCr_ = true;
            } else if (piece[start] == '\n') {
                ++start;
            }
        }
    }
}

void LineSplitter::Finish() {
    if (!partial_.empty()) Emit({});
    afterCr_ = false;
}

void LineSplitter::Emit(std::string_view tail) {
    // Most lines lie whole inside one piece and go out without a copy.
    if (partial_.empty()) {
        sink_(tail);
        return;
    }
    partial_.append(tail);
    sink_(partial_);
    partial_.clear();
}

}  // namespace kelto::playlist
