#include "tests/support/sound/NullSink.h"

#include <gst/gst.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

extern char** environ;

namespace kelto::testing {

namespace {

using namespace std::chrono_literals;

constexpr int kRate = 16000;
constexpr const char* kSinkName = "kelto_test_sink";
constexpr auto kServerStartBound = 20s;
// Beyond the span itself: the first call also starts the listening.
constexpr auto kHearingSlack = 10s;

// The environment of ours with the server's own home: it reads and writes
// nothing of whoever runs the tests.
std::vector<std::string> ServerEnvironment(const std::filesystem::path& dir) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (text.starts_with("HOME=") || text.starts_with("XDG_RUNTIME_DIR=") ||
            text.starts_with("XDG_CONFIG_HOME=") || text.starts_with("PULSE_")) {
            continue;
        }
        env.push_back(text);
    }
    env.push_back("HOME=" + dir.string());
    env.push_back("XDG_RUNTIME_DIR=" + dir.string());
    env.push_back("XDG_CONFIG_HOME=" + (dir / "config").string());
    return env;
}

std::vector<char*> Pointers(std::vector<std::string>& words) {
    std::vector<char*> pointers;
    pointers.reserve(words.size() + 1);
    for (std::string& word : words) pointers.push_back(word.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

std::string ToString(const Heard& heard) {
    char text[64];
    std::snprintf(text, sizeof text, "%.0f Hz at level %.4f", heard.hertz, heard.level);
    return text;
}

struct NullSink::Listener {
    GstElement* pipeline = nullptr;
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::int16_t> samples;

    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;
    Listener(Listener&&) = delete;
    Listener& operator=(Listener&&) = delete;

    explicit Listener(const std::string& server) {
        if (!gst_is_initialized()) gst_init(nullptr, nullptr);
        const std::string description = std::string("pulsesrc name=source device=") + kSinkName +
                                        ".monitor ! audioconvert ! audioresample ! "
                                        "audio/x-raw,format=S16LE,channels=1,rate=" +
                                        std::to_string(kRate) +
                                        " ! fakesink name=sink sync=false signal-handoffs=true";
        GError* error = nullptr;
        pipeline = gst_parse_launch(description.c_str(), &error);
        if (error != nullptr) {
            const std::string message = error->message;
            g_error_free(error);
            if (pipeline != nullptr) gst_object_unref(pipeline);
            pipeline = nullptr;
            throw std::runtime_error("cannot listen to the null sink: " + message);
        }
        GstElement* source = gst_bin_get_by_name(GST_BIN(pipeline), "source");
        g_object_set(source, "server", server.c_str(), nullptr);
        gst_object_unref(source);
        GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
        g_signal_connect(sink, "handoff", G_CALLBACK(&Listener::OnHandoff), this);
        gst_object_unref(sink);
        if (gst_element_set_state(pipeline, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
            Stop();
            throw std::runtime_error("the null sink's monitor does not open");
        }
    }
    ~Listener() { Stop(); }

    void Stop() {
        if (pipeline == nullptr) return;
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
        pipeline = nullptr;
    }

    static void OnHandoff(GstElement*, GstBuffer* buffer, GstPad*, gpointer self) {
        auto* listener = static_cast<Listener*>(self);
        GstMapInfo map;
        if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) return;
        {
            const std::lock_guard lock(listener->mutex);
            const std::size_t count = map.size / sizeof(std::int16_t);
            const std::size_t at = listener->samples.size();
            listener->samples.resize(at + count);
            std::memcpy(listener->samples.data() + at, map.data, count * sizeof(std::int16_t));
        }
        gst_buffer_unmap(buffer, &map);
        listener->arrived.notify_all();
    }
};

NullSink::NullSink() {
    // A short folder: a socket's path must fit in 108 bytes.
    std::string scratch = "/tmp/kelto-pa-XXXXXX";
    if (mkdtemp(scratch.data()) == nullptr) throw std::runtime_error("cannot make " + scratch);
    dir_ = scratch;
    const std::filesystem::path socket = dir_ / "native";
    server_ = "unix:" + socket.string();
    std::vector<std::string> args{
        "pulseaudio",
        "-n",
        "--daemonize=no",
        "--exit-idle-time=-1",
        "--use-pid-file=no",
        "--log-level=error",
        "-L",
        std::string("module-null-sink sink_name=") + kSinkName,
        "-L",
        "module-native-protocol-unix socket=" + socket.string() + " auth-anonymous=1"};
    std::vector<std::string> env = ServerEnvironment(dir_);
    const std::vector<char*> argv = Pointers(args);
    const std::vector<char*> envp = Pointers(env);
    if (posix_spawnp(&pid_, "pulseaudio", nullptr, nullptr, argv.data(), envp.data()) != 0) {
        pid_ = 0;
        std::filesystem::remove_all(dir_);
        throw std::runtime_error("pulseaudio cannot be started (the pulseaudio package is needed)");
    }
    const auto until = std::chrono::steady_clock::now() + kServerStartBound;
    while (!std::filesystem::exists(socket)) {
        const bool ended = waitpid(pid_, nullptr, WNOHANG) == pid_;
        const bool late = std::chrono::steady_clock::now() > until;
        if (ended || late) {
            if (!ended) {
                kill(pid_, SIGTERM);
                waitpid(pid_, nullptr, 0);
            }
            pid_ = 0;
            std::filesystem::remove_all(dir_);
            throw std::runtime_error(ended ? "the private pulseaudio ended before it listened"
                                           : "the private pulseaudio made no socket in time");
        }
        std::this_thread::sleep_for(20ms);
    }
}

NullSink::~NullSink() {
    listener_.reset();
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

std::map<std::string, std::string> NullSink::ClientEnv() const {
    return {{"PULSE_SERVER", server_}};
}

Heard NullSink::Hear(std::chrono::milliseconds span) {
    if (!listener_) listener_ = std::make_unique<Listener>(server_);
    const auto wanted = static_cast<std::size_t>(span.count() * kRate / 1000);
    std::vector<std::int16_t> samples;
    {
        std::unique_lock lock(listener_->mutex);
        // What came before the call is not listened to.
        listener_->samples.clear();
        if (!listener_->arrived.wait_for(lock, span + kHearingSlack,
                                         [&] { return listener_->samples.size() >= wanted; })) {
            throw std::runtime_error("the null sink's monitor sent " +
                                     std::to_string(listener_->samples.size()) + " samples of " +
                                     std::to_string(wanted));
        }
        samples.assign(listener_->samples.begin(),
                       listener_->samples.begin() + static_cast<std::ptrdiff_t>(wanted));
    }
    Heard heard;
    if (samples.empty()) return heard;
    double squares = 0;
    int peak = 0;
    for (const std::int16_t sample : samples) {
        squares += static_cast<double>(sample) * sample;
        peak = std::max(peak, std::abs(static_cast<int>(sample)));
    }
    heard.level = std::sqrt(squares / static_cast<double>(samples.size())) / 32768.0;
    if (heard.Silent()) return heard;
    // A crossing counts when the wave goes from below a tenth of its peak
    // under zero to above it over zero, or back: the faint noise of a
    // resampled wave about zero is not taken for cycles.
    const int threshold = std::max(1, peak / 10);
    int side = 0;  // -1 below, +1 above, 0 not yet either
    std::size_t crossings = 0;
    for (const std::int16_t sample : samples) {
        const int now = sample > threshold ? 1 : sample < -threshold ? -1 : 0;
        if (now != 0 && now != side) {
            if (side != 0) ++crossings;
            side = now;
        }
    }
    const double seconds = static_cast<double>(samples.size()) / kRate;
    heard.hertz = static_cast<double>(crossings) / 2.0 / seconds;
    return heard;
}

}  // namespace kelto::testing
