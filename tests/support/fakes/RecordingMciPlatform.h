#pragma once

// A scripted stand-in for the media control service that records every call.
//
//   kelto::testing::RecordingMciPlatform mci;
//   mci.answer("status movie length", {"250"});            // every time
//   mci.answer("status movie position", {"10", "20"});     // 10, then 20 from then on
//   mci.fail("play movie from 0 to 250", 263);             // code 263, empty reply
//   mci.script("status movie mode", {Reply::ok("playing"), Reply::error(263)});
//   mci.then("status movie position", "30");               // queue one more reply
//   mci.setHook([](const std::string& cmd) -> std::optional<Reply> { ... });
//   ... run the code under test ...
//   EXPECT_EQ(mci.trimmedCommands(), (std::vector<std::string>{"Close All", ...}));
//
// Rules are keyed by the command with its trailing blanks removed (exact,
// case-sensitive match). The queued replies of a rule are used in order and
// the last one repeats. The hook, when set, is asked first; it returns nullopt
// to fall through to the rules. A command that nothing matches answers code 0
// with an empty reply.
//
// Replies are written the way the real service writes them: at most
// capacity - 1 characters and a NUL, nothing when the buffer is null or the
// capacity is 0.
//
// Error texts default to the service's wording for each known code; an unknown
// code makes mciGetErrorStringA return false and write nothing. Short paths
// default to the path itself (0 for the empty path), honouring the "buffer too
// small: return the size needed, write nothing" rule. GetWindowRect knows only
// the handles given to setWindowRect().
//
// Every call of the four platform functions lands in one log, in order, so a
// test can assert how sends, error-text look-ups, path conversions and window
// queries interleave. clear() empties the log and keeps the script.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/MciPlatform.h"

namespace kelto::testing {

struct Reply {
    std::uint32_t code = 0;
    std::string text;

    static Reply ok(std::string text = {}) { return Reply{0, std::move(text)}; }
    static Reply error(std::uint32_t code) { return Reply{code, {}}; }
};

enum class CallKind { SendString, GetErrorString, GetShortPathName, GetWindowRect };

struct PlatformCall {
    CallKind kind = CallKind::SendString;
    // SendString: the command exactly as sent, padding included.
    // GetShortPathName: the long path.
    std::string text;
    // SendString: the reply capacity. GetErrorString, GetShortPathName: the
    // buffer length.
    std::uint32_t capacity = 0;
    // Whether the buffer pointer was null.
    bool nullBuffer = false;
    // SendString: the callback window. GetWindowRect: the window handle.
    std::int32_t window = 0;
    // SendString: the code answered. GetErrorString: the code asked about.
    // GetShortPathName: the value returned.
    std::uint32_t code = 0;
    // What was written into the caller's buffer (reply, error text or short
    // path), without the NUL; empty when nothing was written.
    std::string written;
    // GetErrorString, GetWindowRect: the function's return value.
    bool succeeded = true;
};

class RecordingMciPlatform : public platform::MciPlatform {
public:
    using Hook = std::function<std::optional<Reply>(const std::string& trimmed)>;
    using ShortPathFunction = std::function<std::optional<std::string>(const std::string&)>;

    RecordingMciPlatform();

    // --- scripting (each returns *this so calls can be chained) ---
    // Replaces the rule for `command` with successful replies, used in order.
    RecordingMciPlatform& answer(const std::string& command, std::vector<std::string> replies);
    RecordingMciPlatform& answer(const std::string& command, const char* reply);
    // Replaces the rule for `command` with one failure that repeats.
    RecordingMciPlatform& fail(const std::string& command, std::uint32_t code);
    // Replaces the rule for `command` with any mix of replies.
    RecordingMciPlatform& script(const std::string& command, std::vector<Reply> replies);
    // Appends a reply to the rule's queue; it is used once the earlier ones
    // are spent.
    RecordingMciPlatform& then(const std::string& command, Reply reply);
    RecordingMciPlatform& then(const std::string& command, const char* reply);
    RecordingMciPlatform& forget(const std::string& command);
    RecordingMciPlatform& setHook(Hook hook);

    RecordingMciPlatform& setErrorText(std::uint32_t code, std::string text);
    RecordingMciPlatform& removeErrorText(std::uint32_t code);

    // Maps one long path; nullopt makes its conversion fail (return 0).
    RecordingMciPlatform& setShortPath(const std::string& longPath,
                                       std::optional<std::string> shortPath);
    // Consulted for paths that setShortPath() does not name.
    RecordingMciPlatform& setShortPathFunction(ShortPathFunction function);

    RecordingMciPlatform& setWindowRect(std::int32_t window, platform::WindowRect rect);

    // --- the log ---
    const std::vector<PlatformCall>& calls() const { return calls_; }
    // The mciSendStringA calls only.
    std::vector<PlatformCall> sends() const;
    // Commands as sent (padding included) and with trailing blanks removed.
    std::vector<std::string> commands() const;
    std::vector<std::string> trimmedCommands() const;
    // How many times `trimmed` was sent.
    std::size_t count(const std::string& trimmed) const;
    void clear() { calls_.clear(); }

    static std::string trimTrailingBlanks(const std::string& command);

    // --- the platform ---
    std::uint32_t mciSendStringA(const std::string& command, char* returnString,
                                 std::uint32_t returnLength, std::int32_t callbackWindow) override;
    bool mciGetErrorStringA(std::uint32_t error, char* buffer, std::uint32_t length) override;
    std::uint32_t GetShortPathNameA(const std::string& longPath, char* shortPath,
                                    std::uint32_t bufferLength) override;
    bool GetWindowRect(std::int32_t window, platform::WindowRect& rect) override;

private:
    struct Rule {
        std::vector<Reply> replies;
        std::size_t next = 0;
    };

    Reply replyFor(const std::string& trimmed);

    std::map<std::string, Rule> rules_;
    Hook hook_;
    std::map<std::uint32_t, std::string> errorTexts_;
    std::map<std::string, std::optional<std::string>> shortPaths_;
    ShortPathFunction shortPathFunction_;
    std::map<std::int32_t, platform::WindowRect> windowRects_;
    std::vector<PlatformCall> calls_;
};

}  // namespace kelto::testing
