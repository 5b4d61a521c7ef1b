#include "mciservice/TagCollector.h"

#include <gst/tag/tag.h>

#include "mciservice/GstHandles.h"

#include <optional>
#include <string>
#include <vector>

namespace kelto::mciservice {

namespace {

std::optional<std::string> TextTag(const GstTagList* tags, const char* name) {
    const gchar* value = nullptr;
    if (!gst_tag_list_peek_string_index(tags, name, 0, &value) || value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

struct Picture {
    std::vector<std::uint8_t> bytes;
    bool front = false;
};

// The front cover among the pictures of `tags`, else the first one.
std::optional<Picture> PictureTag(const GstTagList* tags) {
    std::optional<Picture> found;
    for (const char* name : {GST_TAG_IMAGE, GST_TAG_PREVIEW_IMAGE}) {
        const guint count = gst_tag_list_get_tag_size(tags, name);
        for (guint i = 0; i < count; ++i) {
            GstSample* sample = nullptr;
            if (!gst_tag_list_get_sample_index(tags, name, i, &sample)) continue;
            const GstSamplePtr owned{sample};
            bool front = false;
            if (const GstStructure* info = gst_sample_get_info(sample)) {
                gint type = GST_TAG_IMAGE_TYPE_NONE;
                gst_structure_get_enum(info, "image-type", GST_TYPE_TAG_IMAGE_TYPE, &type);
                front = type == GST_TAG_IMAGE_TYPE_FRONT_COVER;
            }
            if (found && (found->front || !front)) continue;
            GstBuffer* buffer = gst_sample_get_buffer(sample);
            GstMapInfo map;
            if (buffer == nullptr || !gst_buffer_map(buffer, &map, GST_MAP_READ)) continue;
            found = Picture{std::vector<std::uint8_t>(map.data, map.data + map.size), front};
            gst_buffer_unmap(buffer, &map);
        }
    }
    return found;
}

}  // namespace

void TagCollector::Add(const GstTagList* tags) {
    const std::optional<std::string> title = TextTag(tags, GST_TAG_TITLE);
    const std::optional<std::string> artist = TextTag(tags, GST_TAG_ARTIST);
    const std::optional<std::string> album = TextTag(tags, GST_TAG_ALBUM);
    guint track = 0;
    const bool hasTrack = gst_tag_list_get_uint(tags, GST_TAG_TRACK_NUMBER, &track) != FALSE;
    const std::optional<Picture> picture = PictureTag(tags);

    const std::lock_guard lock(mutex_);
    platform::TrackTags next = tags_;
    if (title) next.title = *title;
    if (artist) next.artist = *artist;
    if (album) next.album = *album;
    if (hasTrack) next.trackNumber = track;
    if (picture && (picture->front || !frontCover_)) {
        next.cover = picture->bytes;
        frontCover_ = picture->front;
    }
    if (next == tags_) return;
    tags_ = std::move(next);
    ++version_;
}

std::uint64_t TagCollector::Version() const {
    const std::lock_guard lock(mutex_);
    return version_;
}

platform::TrackTags TagCollector::Tags() const {
    const std::lock_guard lock(mutex_);
    return tags_;
}

}  // namespace kelto::mciservice
