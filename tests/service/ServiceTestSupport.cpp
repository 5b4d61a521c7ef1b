#include "tests/service/ServiceTestSupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>

namespace kelto::mciservice::testsupport {

Answer Send(MciService& service, std::string_view command) {
    Answer answer;
    answer.code = service.SendString(command, answer.reply);
    return answer;
}

namespace {

std::string Expand(std::string text) {
    const struct {
        const char* name;
        testing::ClipKind kind;
    } clips[] = {{"{wav}", testing::ClipKind::Wav},
                 {"{mid}", testing::ClipKind::Midi},
                 {"{mpg}", testing::ClipKind::Mpeg1},
                 {"{mp3}", testing::ClipKind::Mp3}};
    for (const auto& clip : clips) {
        for (std::size_t at = text.find(clip.name); at != std::string::npos;
             at = text.find(clip.name)) {
            text.replace(at, std::string(clip.name).size(), Clip(clip.kind).string());
        }
    }
    return text;
}

}  // namespace

void RunScript(MciService& service, const std::vector<Step>& steps) {
    for (const Step& step : steps) {
        const Answer answer = Send(service, Expand(step.command));
        EXPECT_EQ(answer.code, step.code) << step.command;
        EXPECT_EQ(answer.reply, Expand(step.reply)) << step.command;
    }
}

std::int64_t Number(MciService& service, std::string_view command) {
    const Answer answer = Send(service, command);
    EXPECT_EQ(answer.code, 0u) << command;
    try {
        return std::stoll(answer.reply);
    } catch (const std::exception&) {
        ADD_FAILURE() << command << " gave \"" << answer.reply << "\"";
        return -1;
    }
}

std::filesystem::path Clip(testing::ClipKind kind, int durationMs) {
    return testing::MakeClip(kind, testing::DefaultClipDir(), durationMs);
}

std::filesystem::path ScratchDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info != nullptr ? info->name() : "x";
    for (char& c : name) {
        c = c == '/' ? '_' : c;
    }
    auto dir = std::filesystem::temp_directory_path() /
               ("kelto-service-test-" + std::to_string(getpid()) + "-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool WaitForMode(MciService& service, const std::string& alias, const std::string& mode,
                 std::chrono::milliseconds timeout) {
    return WaitUntil([&] { return Send(service, "status " + alias + " mode").reply == mode; },
                     timeout);
}

}  // namespace kelto::mciservice::testsupport
