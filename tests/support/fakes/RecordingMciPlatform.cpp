#include "tests/support/fakes/RecordingMciPlatform.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "platform/MciErrorTexts.h"

namespace kelto::testing {

namespace {

// The service's own wording, so that tests can compare what a label shows.
std::map<std::uint32_t, std::string> DefaultErrorTexts() {
    std::map<std::uint32_t, std::string> texts;
    for (const auto& [code, text] : platform::kMciErrorTexts) texts.emplace(code, text);
    return texts;
}

// Writes `text` as a NUL-terminated string within `capacity` bytes, cutting it
// when it does not fit; returns what was written without the NUL.
std::string WriteCut(const std::string& text, char* buffer, std::uint32_t capacity) {
    if (buffer == nullptr || capacity == 0) {
        return {};
    }
    const std::size_t length = std::min<std::size_t>(text.size(), capacity - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return text.substr(0, length);
}

}  // namespace

RecordingMciPlatform::RecordingMciPlatform() : errorTexts_(DefaultErrorTexts()) {}

RecordingMciPlatform& RecordingMciPlatform::answer(const std::string& command,
                                                   std::vector<std::string> replies) {
    std::vector<Reply> scripted;
    scripted.reserve(replies.size());
    for (std::string& reply : replies) {
        scripted.push_back(Reply::ok(std::move(reply)));
    }
    return script(command, std::move(scripted));
}

RecordingMciPlatform& RecordingMciPlatform::answer(const std::string& command, const char* reply) {
    return script(command, {Reply::ok(reply)});
}

RecordingMciPlatform& RecordingMciPlatform::fail(const std::string& command, std::uint32_t code) {
    return script(command, {Reply::error(code)});
}

RecordingMciPlatform& RecordingMciPlatform::script(const std::string& command,
                                                   std::vector<Reply> replies) {
    rules_[trimTrailingBlanks(command)] = Rule{std::move(replies), 0};
    return *this;
}

RecordingMciPlatform& RecordingMciPlatform::then(const std::string& command, Reply reply) {
    rules_[trimTrailingBlanks(command)].replies.push_back(std::move(reply));
    return *this;
}

RecordingMciPlatform& RecordingMciPlatform::then(const std::string& command, const char* reply) {
    return then(command, Reply::ok(reply));
}

RecordingMciPlatform& RecordingMciPlatform::forget(const std::string& command) {
    rules_.erase(trimTrailingBlanks(command));
    return *this;
}

RecordingMciPlatform& RecordingMciPlatform::setHook(Hook hook) {
    hook_ = std::move(hook);
    return *this;
}

RecordingMciPlatform& RecordingMciPlatform::setErrorText(std::uint32_t code, std::string text) {
    errorTexts_[code] = std::move(text);
    return *this;
}

RecordingMciPlatform& RecordingMciPlatform::removeErrorText(std::uint32_t code) {
    errorTexts_.erase(code);
    return *this;
}

RecordingMciPlatform& RecordingMciPlatform::setShortPath(const std::string& longPath,
                                                         std::optional<std::string> shortPath) {
    shortPaths_[longPath] = std::move(shortPath);
    return *this;
}

RecordingMciPlatform& RecordingMciPlatform::setShortPathFunction(ShortPathFunction function) {
    shortPathFunction_ = std::move(function);
    return *this;
}

RecordingMciPlatform& RecordingMciPlatform::setWindowRect(std::int32_t window,
                                                          platform::WindowRect rect) {
    windowRects_[window] = rect;
    return *this;
}

std::vector<PlatformCall> RecordingMciPlatform::sends() const {
    std::vector<PlatformCall> result;
    std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(result),
                 [](const PlatformCall& call) { return call.kind == CallKind::SendString; });
    return result;
}

std::vector<std::string> RecordingMciPlatform::commands() const {
    std::vector<std::string> result;
    for (const PlatformCall& call : calls_) {
        if (call.kind == CallKind::SendString) {
            result.push_back(call.text);
        }
    }
    return result;
}

std::vector<std::string> RecordingMciPlatform::trimmedCommands() const {
    std::vector<std::string> result = commands();
    for (std::string& command : result) {
        command = trimTrailingBlanks(command);
    }
    return result;
}

std::size_t RecordingMciPlatform::count(const std::string& trimmed) const {
    const std::vector<std::string> sent = trimmedCommands();
    return static_cast<std::size_t>(std::count(sent.begin(), sent.end(), trimmed));
}

std::string RecordingMciPlatform::trimTrailingBlanks(const std::string& command) {
    const std::size_t last = command.find_last_not_of(' ');
    return last == std::string::npos ? std::string() : command.substr(0, last + 1);
}

Reply RecordingMciPlatform::replyFor(const std::string& trimmed) {
    if (hook_) {
        if (std::optional<Reply> reply = hook_(trimmed)) {
            return *reply;
        }
    }
    const auto found = rules_.find(trimmed);
    if (found == rules_.end() || found->second.replies.empty()) {
        return Reply::ok();
    }
    Rule& rule = found->second;
    const std::size_t index = std::min(rule.next, rule.replies.size() - 1);
    // `next` may run one past the end so that a reply queued later with then()
    // is the next one used.
    rule.next = std::min(rule.next + 1, rule.replies.size());
    return rule.replies[index];
}

std::uint32_t RecordingMciPlatform::mciSendStringA(const std::string& command, char* returnString,
                                                   std::uint32_t returnLength,
                                                   std::int32_t callbackWindow) {
    const Reply reply = replyFor(trimTrailingBlanks(command));
    PlatformCall call;
    call.kind = CallKind::SendString;
    call.text = command;
    call.capacity = returnLength;
    call.nullBuffer = returnString == nullptr;
    call.window = callbackWindow;
    call.code = reply.code;
    call.written = WriteCut(reply.text, returnString, returnLength);
    calls_.push_back(std::move(call));
    return reply.code;
}

bool RecordingMciPlatform::mciGetErrorStringA(std::uint32_t error, char* buffer,
                                              std::uint32_t length) {
    PlatformCall call;
    call.kind = CallKind::GetErrorString;
    call.capacity = length;
    call.nullBuffer = buffer == nullptr;
    call.code = error;
    const auto found = errorTexts_.find(error);
    call.succeeded = found != errorTexts_.end();
    if (call.succeeded) {
        call.written = WriteCut(found->second, buffer, length);
    }
    calls_.push_back(std::move(call));
    return calls_.back().succeeded;
}

std::uint32_t RecordingMciPlatform::GetShortPathNameA(const std::string& longPath, char* shortPath,
                                                      std::uint32_t bufferLength) {
    std::optional<std::string> converted;
    if (const auto found = shortPaths_.find(longPath); found != shortPaths_.end()) {
        converted = found->second;
    } else if (shortPathFunction_) {
        converted = shortPathFunction_(longPath);
    } else if (!longPath.empty()) {
        converted = longPath;
    }

    PlatformCall call;
    call.kind = CallKind::GetShortPathName;
    call.text = longPath;
    call.capacity = bufferLength;
    call.nullBuffer = shortPath == nullptr;
    if (!converted || converted->empty()) {
        call.code = 0;
    } else if (shortPath == nullptr || converted->size() + 1 > bufferLength) {
        // Too small: the size needed, NUL included, and nothing written.
        call.code = static_cast<std::uint32_t>(converted->size() + 1);
    } else {
        call.written = WriteCut(*converted, shortPath, bufferLength);
        call.code = static_cast<std::uint32_t>(converted->size());
    }
    calls_.push_back(std::move(call));
    return calls_.back().code;
}

bool RecordingMciPlatform::GetWindowRect(std::int32_t window, platform::WindowRect& rect) {
    PlatformCall call;
    call.kind = CallKind::GetWindowRect;
    call.window = window;
    const auto found = windowRects_.find(window);
    call.succeeded = found != windowRects_.end();
    if (call.succeeded) {
        rect = found->second;
    }
    calls_.push_back(std::move(call));
    return calls_.back().succeeded;
}

}  // namespace kelto::testing
