#pragma once

#include <gst/gst.h>

#include <filesystem>
#include <memory>
#include <string>

#include "mciservice/GstHandles.h"
#include "tests/support/files/TempFolder.h"

namespace kelto::testing {

// A radio station on the loopback address: the system's streaming server
// (icecast2), started for the test with a configuration of its own on a free
// port, fed an endless MP3 tone by the engine's shout2send with a song title
// that the test changes. Everything stops with the object.
class LoopbackRadio {
public:
    LoopbackRadio();
    LoopbackRadio(const LoopbackRadio&) = delete;
    LoopbackRadio& operator=(const LoopbackRadio&) = delete;
    ~LoopbackRadio();

    // Where a listener tunes in.
    const std::string& Address() const { return address_; }
    // The song the station announces from now on, as "artist - title".
    void Announce(const std::string& artist, const std::string& title);
    // The server goes away: listeners see their stream end.
    void StopServer();

    // A port on the loopback address where nothing listens.
    static int ClosedPort();

private:
    void StartFeed();

    TempFolder folder_;
    int port_ = 0;
    pid_t server_ = -1;
    std::string address_;
    mciservice::GstPipelinePtr feed_;
};

// A server that takes connections and never says a word.
class SilentServer {
public:
    SilentServer();
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;
    ~SilentServer();

    std::string Address() const;

private:
    int socket_ = -1;
    int port_ = 0;
};

}  // namespace kelto::testing
