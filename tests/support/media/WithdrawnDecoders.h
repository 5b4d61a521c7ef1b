#pragma once

#include <memory>
#include <string>

namespace kelto::testing {

// Takes every decoder for one kind of stream (caps such as "video/x-h264")
// out of the media engine's choice while it lives, as if their plugins were
// not installed; puts them back as they were when it goes. Affects pipelines
// built afterwards in this process.
class WithdrawnDecoders {
public:
    explicit WithdrawnDecoders(const std::string& caps);
    ~WithdrawnDecoders();
    WithdrawnDecoders(const WithdrawnDecoders&) = delete;
    WithdrawnDecoders& operator=(const WithdrawnDecoders&) = delete;
    WithdrawnDecoders(WithdrawnDecoders&&) = delete;
    WithdrawnDecoders& operator=(WithdrawnDecoders&&) = delete;

    // How many decoders were taken out; 0 means the test proves nothing.
    int Count() const;

private:
    struct Withdrawn;
    std::unique_ptr<Withdrawn> withdrawn_;
};

}  // namespace kelto::testing
