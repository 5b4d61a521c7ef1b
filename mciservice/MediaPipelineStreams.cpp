// The sound, picture and text streams of a playbin: what each is, which one
// plays, and subtitles from a file beside the film.
#include <gst/gst.h>

#include <array>
#include <string_view>

#include "mciservice/MediaPipeline.h"

namespace kelto::mciservice {

namespace {

// playbin's own flag for drawing subtitles (GstPlayFlags is not public).
constexpr guint kPlayFlagText = 1U << 2;

struct StreamSignals {
    const char* count;
    const char* current;
    const char* tags;
    const char* pad;
};

StreamSignals SignalsOf(StreamKind kind) {
    switch (kind) {
        case StreamKind::Video:
            return {"n-video", "current-video", "get-video-tags", "get-video-pad"};
        case StreamKind::Text:
            return {"n-text", "current-text", "get-text-tags", "get-text-pad"};
        case StreamKind::Audio:
            break;
    }
    return {"n-audio", "current-audio", "get-audio-tags", "get-audio-pad"};
}

int StreamCount(GstElement* playbin, StreamKind kind) {
    gint count = 0;
    g_object_get(playbin, SignalsOf(kind).count, &count, nullptr);
    return count;
}

GstPtr<GstPad> StreamPad(GstElement* playbin, StreamKind kind, int index) {
    GstPad* pad = nullptr;
    g_signal_emit_by_name(playbin, SignalsOf(kind).pad, index, &pad);
    return GstPtr<GstPad>{pad};
}

std::string TagText(const GstTagList* tags, const char* tag) {
    gchar* raw = nullptr;
    if (tags == nullptr || !gst_tag_list_get_string(tags, tag, &raw)) return {};
    const GCharPtr text{raw};
    return text.get();
}

// The demuxer's name for the coding, without the standard's name after it
// ("AC-3 (ATSC A/52)" is AC-3 to a viewer).
std::string ShortCodecName(std::string name) {
    if (const auto paren = name.find(" ("); paren != std::string::npos && paren > 0) {
        name.resize(paren);
    }
    return name;
}

// The stream's id up to its first '/': the same for every stream of one file.
std::string SourceOfStream(GstPad* pad) {
    if (pad == nullptr) return {};
    GstEvent* raw = gst_pad_get_sticky_event(pad, GST_EVENT_STREAM_START, 0);
    if (raw == nullptr) return {};
    const GstEventPtr event{raw};
    const gchar* id = nullptr;
    gst_event_parse_stream_start(event.get(), &id);
    if (id == nullptr) return {};
    const std::string_view text(id);
    return std::string(text.substr(0, text.find('/')));
}

bool MarkedAsChoice(GstPad* pad) {
    if (pad == nullptr) return false;
    GstEvent* raw = gst_pad_get_sticky_event(pad, GST_EVENT_STREAM_START, 0);
    if (raw == nullptr) return false;
    const GstEventPtr event{raw};
    GstStreamFlags flags = GST_STREAM_FLAG_NONE;
    gst_event_parse_stream_flags(event.get(), &flags);
    return (flags & GST_STREAM_FLAG_SELECT) != 0;
}

int ChannelsOf(GstPad* pad) {
    if (pad == nullptr) return 0;
    const GstCapsPtr caps{gst_pad_get_current_caps(pad)};
    gint channels = 0;
    if (!caps || gst_caps_is_empty(caps.get()) ||
        !gst_structure_get_int(gst_caps_get_structure(caps.get(), 0), "channels", &channels)) {
        return 0;
    }
    return channels;
}

}  // namespace

std::vector<platform::TrackInfo> MediaPipeline::Tracks(StreamKind kind) const {
    GstElement* playbin = playbin_.get();
    std::vector<platform::TrackInfo> tracks;
    const int count = StreamCount(playbin, kind);
    // Text from the file beside the film comes from another source than the picture.
    const std::string film = kind == StreamKind::Text && info_.hasVideo
                                 ? SourceOfStream(StreamPad(playbin, StreamKind::Video, 0).get())
                                 : std::string();
    for (int index = 0; index < count; ++index) {
        GstTagList* rawTags = nullptr;
        g_signal_emit_by_name(playbin, SignalsOf(kind).tags, index, &rawTags);
        const GstTagListPtr tags{rawTags};
        const GstPtr<GstPad> pad = StreamPad(playbin, kind, index);
        platform::TrackInfo track;
        track.language = TagText(tags.get(), GST_TAG_LANGUAGE_CODE);
        track.title = TagText(tags.get(), GST_TAG_TITLE);
        track.preferred = MarkedAsChoice(pad.get());
        if (kind == StreamKind::Audio) {
            track.codec = ShortCodecName(TagText(tags.get(), GST_TAG_AUDIO_CODEC));
            track.channels = ChannelsOf(pad.get());
        }
        if (kind == StreamKind::Text && !film.empty() && !textFile_.empty()) {
            track.external = SourceOfStream(pad.get()) != film;
            if (track.external && track.title.empty()) {
                track.title = textFile_.substr(textFile_.find_last_of('/') + 1);
            }
        }
        tracks.push_back(std::move(track));
    }
    return tracks;
}

int MediaPipeline::CurrentStream(StreamKind kind) const {
    if (StreamCount(playbin_.get(), kind) == 0) return -1;
    gint current = -1;
    g_object_get(playbin_.get(), SignalsOf(kind).current, &current, nullptr);
    return current;
}

bool MediaPipeline::SelectStream(StreamKind kind, int index) {
    if (index < 0 || index >= StreamCount(playbin_.get(), kind)) return false;
    g_object_set(playbin_.get(), SignalsOf(kind).current, index, nullptr);
    return true;
}

bool MediaPipeline::TextShown() const {
    guint flags = 0;
    g_object_get(playbin_.get(), "flags", &flags, nullptr);
    return (flags & kPlayFlagText) != 0 && StreamCount(playbin_.get(), StreamKind::Text) > 0;
}

void MediaPipeline::ShowText(bool shown) {
    guint flags = 0;
    g_object_get(playbin_.get(), "flags", &flags, nullptr);
    const guint wanted = shown ? flags | kPlayFlagText : flags & ~kPlayFlagText;
    if (wanted != flags) g_object_set(playbin_.get(), "flags", wanted, nullptr);
}

void MediaPipeline::ChooseMarkedStreams() {
    for (const StreamKind kind : {StreamKind::Audio, StreamKind::Text}) {
        const std::vector<platform::TrackInfo> tracks = Tracks(kind);
        int marked = -1;
        for (std::size_t i = 0; i < tracks.size() && marked < 0; ++i) {
            if (tracks[i].preferred) marked = static_cast<int>(i);
        }
        if (marked >= 0) SelectStream(kind, marked);
        // A film shows subtitles only when it asks for them; sound plays
        // from the first track when no track is marked.
        if (kind == StreamKind::Text) ShowText(marked >= 0);
    }
}

bool MediaPipeline::LoadTextFile(const std::string& path, GstClockTime timeout) {
    const GstClockTime deadline = gst_util_get_timestamp() + timeout;
    GError* rawError = nullptr;
    const GCharPtr uri{gst_filename_to_uri(path.c_str(), &rawError)};
    const GErrorPtr error{rawError};
    if (!uri) return false;
    gchar* rawFilm = nullptr;
    g_object_get(playbin_.get(), "current-uri", &rawFilm, nullptr);
    const GCharPtr film{rawFilm};
    if (!film) return false;
    const int audio = CurrentStream(StreamKind::Audio);
    const bool wasShown = TextShown();
    const std::string before = textFile_;
    // playbin takes a new subtitle file only on its way up from ready, with
    // the film named again as the next one to play.
    auto reopen = [&](const char* subtitles) {
        gst_element_set_state(playbin_.get(), GST_STATE_NULL);
        gst_bus_set_flushing(bus_.get(), TRUE);
        gst_bus_set_flushing(bus_.get(), FALSE);
        g_object_set(playbin_.get(), "uri", film.get(), "suburi", subtitles, nullptr);
        // Without a place to go the file's text stops its reader, and the
        // film with it.
        ShowText(true);
        return Preroll(deadline);
    };
    bool loaded = reopen(uri.get());
    textFile_ = path;
    int external = -1;
    if (loaded) {
        const std::vector<platform::TrackInfo> tracks = Tracks(StreamKind::Text);
        for (std::size_t i = 0; i < tracks.size(); ++i) {
            if (tracks[i].external) external = static_cast<int>(i);
        }
        loaded = external >= 0;
    }
    if (!loaded) {
        // A file that gives no subtitles must not cost the film: open it as it was.
        textFile_ = before;
        GCharPtr beforeUri{before.empty() ? nullptr : gst_filename_to_uri(before.c_str(), nullptr)};
        reopen(beforeUri.get());
        ShowText(wasShown);
    } else {
        SelectStream(StreamKind::Text, external);
        ShowText(true);
    }
    if (audio >= 0) SelectStream(StreamKind::Audio, audio);
    return loaded;
}

}  // namespace kelto::mciservice
