#include "mciservice/CommandParser.h"

#include <limits>

#include "mciservice/ErrorCodes.h"

namespace kelto::mciservice {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::size_t SkipBlanks(std::string_view text, std::size_t pos) {
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    return pos;
}

// Reads the word that starts at `pos` (not a blank). A word that starts with a
// quote runs to the next quote, and only a blank or the end may follow it.
std::uint32_t ReadToken(std::string_view text, std::size_t& pos, Token& token) {
    if (text[pos] == '"') {
        const std::size_t close = text.find('"', pos + 1);
        if (close == std::string_view::npos) {
            return mcierr::kNoClosingQuote;
        }
        if (close + 1 < text.size() && !IsBlank(text[close + 1])) {
            return mcierr::kExtraCharacters;
        }
        token = Token{text.substr(pos + 1, close - pos - 1), true};
        pos = close + 1;
        return mcierr::kNone;
    }
    const std::size_t start = pos;
    while (pos < text.size() && !IsBlank(text[pos])) {
        ++pos;
    }
    token = Token{text.substr(start, pos - start), false};
    return mcierr::kNone;
}

// How many of `words` the keyword covers from the start, 0 for no match.
std::size_t MatchKeyword(std::string_view keyword, std::span<const Token> words) {
    std::size_t used = 0;
    while (!keyword.empty()) {
        const std::size_t blank = keyword.find(' ');
        const std::string_view part = keyword.substr(0, blank);
        if (used >= words.size() || words[used].quoted || !EqualsNoCase(part, words[used].text)) {
            return 0;
        }
        ++used;
        keyword = blank == std::string_view::npos ? std::string_view{} : keyword.substr(blank + 1);
    }
    return used;
}

constexpr KeywordSpec kWait{"wait", Kw::Wait, ValueKind::None};
constexpr KeywordSpec kNotify{"notify", Kw::Notify, ValueKind::None};

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

std::optional<std::int64_t> ParseInteger(std::string_view text) {
    if (text.find(':') != std::string_view::npos) {
        std::int64_t packed = 0;
        for (int part = 0; part < 4; ++part) {
            const std::size_t colon = text.find(':');
            const std::string_view digits = text.substr(0, colon);
            if (digits.size() > 3 || (!digits.empty() && digits.front() == '-')) {
                return std::nullopt;
            }
            const std::optional<std::int64_t> value =
                digits.empty() ? std::optional<std::int64_t>(0) : ParseInteger(digits);
            if (!value || *value > 255) {
                return std::nullopt;
            }
            packed |= *value << (8 * part);
            if (colon == std::string_view::npos) {
                return packed;
            }
            text.remove_prefix(colon + 1);
        }
        return std::nullopt;
    }
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 10) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    if (negative) {
        value = -value;
    }
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    return value;
}

std::uint32_t SplitCommand(std::string_view command, CommandLine& out) {
    out = CommandLine{};
    std::size_t pos = SkipBlanks(command, 0);
    if (pos == command.size()) {
        return mcierr::kMissingCommandString;
    }
    const std::size_t verbEnd = [&] {
        std::size_t end = pos;
        while (end < command.size() && !IsBlank(command[end])) {
            ++end;
        }
        return end;
    }();
    out.verb = command.substr(pos, verbEnd - pos);
    pos = SkipBlanks(command, verbEnd);
    if (pos == command.size()) {
        return mcierr::kMissingDeviceName;
    }
    if (const std::uint32_t rc = ReadToken(command, pos, out.device); rc != mcierr::kNone) {
        return rc;
    }
    if (out.device.text.empty()) {
        return mcierr::kMissingDeviceName;
    }
    // Trailing blanks read as nothing: the player pads commands to 128 or 255 characters.
    for (pos = SkipBlanks(command, pos); pos < command.size(); pos = SkipBlanks(command, pos)) {
        if (out.wordCount == CommandLine::kMaxWords) {
            return mcierr::kUnrecognizedKeyword;
        }
        if (const std::uint32_t rc = ReadToken(command, pos, out.words[out.wordCount]);
            rc != mcierr::kNone) {
            return rc;
        }
        ++out.wordCount;
    }
    return mcierr::kNone;
}

std::uint32_t ParseArguments(std::span<const KeywordSpec> specs, bool itemList,
                             std::span<const Token> words, Arguments& out, DeviceTypes types) {
    out = Arguments{};
    std::bitset<256> groupsSeen;
    while (!words.empty()) {
        const KeywordSpec* best = nullptr;
        std::size_t bestUsed = 0;
        auto consider = [&](const KeywordSpec& entry) {
            const std::size_t used = MatchKeyword(entry.words, words);
            if (used > bestUsed) {
                best = &entry;
                bestUsed = used;
            }
        };
        consider(kWait);
        consider(kNotify);
        for (const KeywordSpec& entry : specs) {
            if ((entry.types & types) != 0) {
                consider(entry);
            }
        }
        if (best == nullptr && itemList && !words.front().quoted) {
            // An item may be given by its number.
            const std::optional<std::int64_t> number = ParseInteger(words.front().text);
            for (const KeywordSpec& entry : specs) {
                if (number && entry.number != 0 && entry.number == *number &&
                    (entry.types & types) != 0) {
                    best = &entry;
                    bestUsed = 1;
                }
            }
        }
        if (best == nullptr) {
            for (const KeywordSpec& entry : specs) {
                if (entry.words.empty() && (entry.types & types) != 0 &&
                    !out.present_.test(Arguments::Index(entry.id))) {
                    best = &entry;
                }
            }
            if (best == nullptr) {
                return itemList ? mcierr::kBadConstant : mcierr::kUnrecognizedKeyword;
            }
            out.present_.set(Arguments::Index(best->id));
            out.words_[Arguments::Index(best->id)] = words.front().text;
            words = words.subspan(1);
            continue;
        }
        const std::size_t index = Arguments::Index(best->id);
        if (out.present_.test(index)) {
            // There is one item: a second, even the same again, cannot go with it.
            return itemList && best->group == 1 ? mcierr::kFlagsNotCompatible
                                                : mcierr::kDuplicateFlags;
        }
        if (best->group != 0) {
            if (groupsSeen.test(best->group)) {
                return mcierr::kFlagsNotCompatible;
            }
            groupsSeen.set(best->group);
        }
        if (itemList && best->group == 1) {
            out.item_ = best->id;
        }
        out.present_.set(index);
        words = words.subspan(bestUsed);

        switch (best->value) {
            case ValueKind::None:
                break;
            case ValueKind::Word:
                if (words.empty()) {
                    return mcierr::kMissingParameter;
                }
                out.words_[index] = words.front().text;
                words = words.subspan(1);
                break;
            case ValueKind::Integer: {
                const auto value = words.empty() ? std::nullopt : ParseInteger(words.front().text);
                if (!value) {
                    return mcierr::kBadInteger;
                }
                out.integers_[index] = *value;
                words = words.subspan(1);
                break;
            }
            case ValueKind::Rect: {
                std::array<std::int64_t, 4> values{};
                for (std::int64_t& v : values) {
                    const auto value =
                        words.empty() ? std::nullopt : ParseInteger(words.front().text);
                    if (!value) {
                        return mcierr::kBadInteger;
                    }
                    v = *value;
                    words = words.subspan(1);
                }
                out.rect_ = Rect{values[0], values[1], values[2], values[3]};
                break;
            }
        }
    }
    return mcierr::kNone;
}

}  // namespace kelto::mciservice
