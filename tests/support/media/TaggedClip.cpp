#include "tests/support/media/TaggedClip.h"

#include <gst/gst.h>
#include <gst/tag/tag.h>

#include <unistd.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

#include "mciservice/GstHandles.h"

namespace kelto::testing {

namespace {

using mciservice::GstMessagePtr;
using mciservice::GstPipelinePtr;
using mciservice::GstPtr;

struct TagListUnref {
    void operator()(GstTagList* list) const { gst_tag_list_unref(list); }
};
using TagListPtr = std::unique_ptr<GstTagList, TagListUnref>;

constexpr GstClockTime kEncodeCeiling = 60 * GST_SECOND;

void RunToEnd(const std::string& description, GstTagList* tags) {
    gst_init(nullptr, nullptr);
    GError* error = nullptr;
    GstPipelinePtr pipeline{gst_parse_launch(description.c_str(), &error)};
    if (error != nullptr) {
        const std::string why = error->message;
        g_error_free(error);
        throw std::runtime_error("cannot build " + description + ": " + why);
    }
    if (tags != nullptr) {
        GstPtr<GstElement> muxer{gst_bin_get_by_name(GST_BIN(pipeline.get()), "tagger")};
        gst_tag_setter_merge_tags(GST_TAG_SETTER(muxer.get()), tags, GST_TAG_MERGE_REPLACE);
    }
    gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
    GstPtr<GstBus> bus{gst_element_get_bus(pipeline.get())};
    const GstMessagePtr message{gst_bus_timed_pop_filtered(
        bus.get(), kEncodeCeiling,
        static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR))};
    if (!message || GST_MESSAGE_TYPE(message.get()) != GST_MESSAGE_EOS) {
        throw std::runtime_error("encoding failed: " + description);
    }
}

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

std::vector<std::uint8_t> SolidPng(std::uint32_t rgb, int width, int height) {
    const std::filesystem::path target =
        std::filesystem::temp_directory_path() /
        ("kelto-solid-" + std::to_string(rgb) + "-" + std::to_string(::getpid()) + ".png");
    RunToEnd("videotestsrc num-buffers=1 pattern=solid-color foreground-color=" +
                 std::to_string(0xff000000U | rgb) + " ! video/x-raw,width=" +
                 std::to_string(width) + ",height=" + std::to_string(height) +
                 " ! videoconvert ! pngenc ! filesink location=\"" + target.string() + "\"",
             nullptr);
    std::vector<std::uint8_t> bytes = ReadAll(target);
    std::filesystem::remove(target);
    return bytes;
}

void WriteTaggedClip(const std::filesystem::path& target, const ClipTags& tags, int durationMs) {
    const TagListPtr owned{gst_tag_list_new_empty()};
    GstTagList* list = owned.get();
    if (!tags.title.empty()) {
        gst_tag_list_add(list, GST_TAG_MERGE_REPLACE, GST_TAG_TITLE, tags.title.c_str(), nullptr);
    }
    if (!tags.artist.empty()) {
        gst_tag_list_add(list, GST_TAG_MERGE_REPLACE, GST_TAG_ARTIST, tags.artist.c_str(), nullptr);
    }
    if (!tags.album.empty()) {
        gst_tag_list_add(list, GST_TAG_MERGE_REPLACE, GST_TAG_ALBUM, tags.album.c_str(), nullptr);
    }
    if (tags.track != 0) {
        gst_tag_list_add(list, GST_TAG_MERGE_REPLACE, GST_TAG_TRACK_NUMBER, tags.track, nullptr);
    }
    if (!tags.cover.empty()) {
        const mciservice::GstSamplePtr cover{gst_tag_image_data_to_image_sample(
            tags.cover.data(), static_cast<guint>(tags.cover.size()),
            GST_TAG_IMAGE_TYPE_FRONT_COVER)};
        if (cover)
            gst_tag_list_add(list, GST_TAG_MERGE_APPEND, GST_TAG_IMAGE, cover.get(), nullptr);
    }
    // 44.1 kHz in buffers of 1024 samples.
    const int buffers = durationMs * 441 / 10240 + 1;
    const bool flac = target.extension() == ".flac";
    const std::string encode = flac ? "flacenc name=tagger" : "lamemp3enc ! id3v2mux name=tagger";
    const std::filesystem::path partial = target.string() + ".part";
    RunToEnd("audiotestsrc num-buffers=" + std::to_string(buffers) +
                 " samplesperbuffer=1024 ! audio/x-raw,rate=44100,channels=2 ! audioconvert ! " +
                 encode + " ! filesink location=\"" + partial.string() + "\"",
             list);
    std::filesystem::rename(partial, target);
}

}  // namespace kelto::testing
