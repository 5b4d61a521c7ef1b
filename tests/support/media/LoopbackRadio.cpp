#include "tests/support/media/LoopbackRadio.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace kelto::testing {

namespace {

using namespace std::chrono_literals;

constexpr auto kPatience = 30s;
constexpr const char* kPassword = "loopback";

// A port the kernel hands out for a moment; free for the server right after.
int FreePort(int* keepOpen = nullptr) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("no free loopback port");
    }
    if (keepOpen != nullptr) {
        *keepOpen = fd;
    } else {
        ::close(fd);
    }
    return ntohs(address.sin_port);
}

bool Answers(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::close(fd);
    return ok;
}

// Whether the mount point plays: the server answers its address with 200.
bool OnAir(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    timeval wait{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof(wait));
    bool ok = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
        const std::string request = "GET /radio.mp3 HTTP/1.0\r\n\r\n";
        char reply[64] = {};
        if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
                static_cast<ssize_t>(request.size()) &&
            ::recv(fd, reply, sizeof(reply) - 1, 0) > 12) {
            ok = std::string(reply).find(" 200 ") != std::string::npos;
        }
    }
    ::close(fd);
    return ok;
}

template <typename Done>
bool WaitFor(Done done) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < deadline) {
        if (done()) return true;
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

}  // namespace

LoopbackRadio::LoopbackRadio() {
    port_ = FreePort();
    address_ = "http://127.0.0.1:" + std::to_string(port_) + "/radio.mp3";
    const std::filesystem::path dir = folder_.path();
    // The server will not run as root: it becomes nobody, who must write its logs.
    std::filesystem::permissions(dir, std::filesystem::perms::all);
    const std::filesystem::path config = dir / "icecast.xml";
    std::ofstream(config) << "<icecast><limits><clients>8</clients><sources>1</sources>"
                             "<source-timeout>5</source-timeout><burst-size>16384</burst-size>"
                             "</limits><authentication><source-password>"
                          << kPassword << "</source-password><admin-password>" << kPassword
                          << "</admin-password></authentication><hostname>127.0.0.1</hostname>"
                             "<listen-socket><port>"
                          << port_
                          << "</port><bind-address>127.0.0.1</bind-address></listen-socket>"
                             "<fileserve>0</fileserve><paths><basedir>/usr/share/icecast2"
                             "</basedir><logdir>"
                          << dir.string() << "</logdir><webroot>/usr/share/icecast2/web</webroot>"
                          << "<adminroot>/usr/share/icecast2/admin</adminroot></paths>"
                             "<logging><accesslog>access.log</accesslog><errorlog>error.log"
                             "</errorlog><loglevel>2</loglevel></logging><security><chroot>0"
                             "</chroot>"
                          << (::geteuid() == 0 ? "<changeowner><user>nobody</user><group>nogroup"
                                                 "</group></changeowner>"
                                               : "")
                          << "</security></icecast>\n";
    server_ = ::fork();
    if (server_ == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::execlp("icecast2", "icecast2", "-c", config.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    if (server_ < 0 || !WaitFor([&] { return Answers(port_); })) {
        throw std::runtime_error("icecast2 did not start on port " + std::to_string(port_));
    }
    StartFeed();
}

LoopbackRadio::~LoopbackRadio() {
    feed_.reset();
    StopServer();
}

void LoopbackRadio::StartFeed() {
    gst_init(nullptr, nullptr);
    const std::string description =
        "audiotestsrc is-live=true wave=sine freq=330 ! audioconvert ! "
        "lamemp3enc target=bitrate bitrate=64 cbr=true ! taginject name=song ! "
        "shout2send name=send ip=127.0.0.1 port=" +
        std::to_string(port_) + " password=" + kPassword + " mount=/radio.mp3 sync=true";
    GError* error = nullptr;
    feed_.reset(gst_parse_launch(description.c_str(), &error));
    if (error != nullptr) {
        const std::string why = error->message;
        g_error_free(error);
        throw std::runtime_error("cannot feed the station: " + why);
    }
    gst_element_set_state(feed_.get(), GST_STATE_PLAYING);
    if (!WaitFor([&] { return OnAir(port_); })) {
        throw std::runtime_error("the station did not go on air");
    }
}

void LoopbackRadio::Announce(const std::string& artist, const std::string& title) {
    mciservice::GstPtr<GstElement> song{gst_bin_get_by_name(GST_BIN(feed_.get()), "song")};
    // taginject sends its tags again on the next buffer when they change.
    const std::string tags = "artist=\"" + artist + "\",title=\"" + title + "\"";
    g_object_set(song.get(), "tags", tags.c_str(), nullptr);
}

void LoopbackRadio::StopServer() {
    if (server_ <= 0) return;
    ::kill(server_, SIGTERM);
    int status = 0;
    ::waitpid(server_, &status, 0);
    server_ = -1;
}

int LoopbackRadio::ClosedPort() { return FreePort(); }

SilentServer::SilentServer() {
    port_ = FreePort(&socket_);
    // Connections wait in the backlog, accepted by the kernel, never answered.
    ::listen(socket_, 8);
}

SilentServer::~SilentServer() { ::close(socket_); }

std::string SilentServer::Address() const {
    return "http://127.0.0.1:" + std::to_string(port_) + "/radio.mp3";
}

}  // namespace kelto::testing
