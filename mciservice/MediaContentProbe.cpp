#include "mciservice/MediaContentProbe.h"

#include <fcntl.h>
#include <gst/base/gsttypefindhelper.h>
#include <gst/gst.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>

#include "mciservice/GstHandles.h"
#include "mciservice/MediaContainerKinds.h"

namespace kelto::mciservice {

namespace {

// A read-only descriptor, closed on every way out. Opened without waiting, so
// that a pipe named like a song cannot hold the caller up.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const std::string& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)) {}
    ~ReadOnlyFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    ReadOnlyFile(ReadOnlyFile&&) = delete;
    ReadOnlyFile& operator=(ReadOnlyFile&&) = delete;

    int fd() const { return fd_; }

private:
    int fd_;
};

bool IsMediaKind(std::string_view kind) {
    if (kind.starts_with("audio/") || kind.starts_with("video/")) return true;
    // The containers whose names say neither (cmake/KeltoMediaKinds.cmake).
    return std::find(kMediaContainerKinds.begin(), kMediaContainerKinds.end(), kind) !=
           kMediaContainerKinds.end();
}

// The MP3 type finder, the last resort for headerless sound, finds a frame
// pattern by chance in many a binary file and says so with a low probability;
// below this the kind found is named but not believed.
constexpr GstTypeFindProbability kBelievable = GST_TYPE_FIND_LIKELY;

GQuark FileQuark() {
    static const GQuark quark = g_quark_from_static_string("kelto-media-probe-file");
    return quark;
}

// The type finders' reads, served from the file the carrier object names.
// A range past the end comes back short, as a source element's would.
GstFlowReturn ReadRange(GstObject* carrier, GstObject* /*parent*/, guint64 offset, guint length,
                        GstBuffer** buffer) {
    const auto* file =
        static_cast<const ReadOnlyFile*>(g_object_get_qdata(G_OBJECT(carrier), FileQuark()));
    if (file == nullptr || length == 0) return GST_FLOW_ERROR;
    GstBufferPtr out{gst_buffer_new_allocate(nullptr, length, nullptr)};
    GstMapInfo map{};
    if (!out || !gst_buffer_map(out.get(), &map, GST_MAP_WRITE)) return GST_FLOW_ERROR;
    gsize filled = 0;
    while (filled < length) {
        const ssize_t got = ::pread(file->fd(), map.data + filled, length - filled,
                                    static_cast<off_t>(offset + filled));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        filled += static_cast<gsize>(got);
    }
    gst_buffer_unmap(out.get(), &map);
    if (filled == 0) return GST_FLOW_EOS;
    gst_buffer_set_size(out.get(), static_cast<gssize>(filled));
    GST_BUFFER_OFFSET(out.get()) = offset;
    *buffer = out.release();
    return GST_FLOW_OK;
}

}  // namespace

platform::MediaContent MediaContentProbe::Examine(const std::string& path) const {
    ReadOnlyFile file(path);
    struct stat info {};
    if (file.fd() < 0 || ::fstat(file.fd(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size <= 0) {
        return {};
    }
    if (!gst_is_initialized()) gst_init(nullptr, nullptr);

    // The type finding helper hands its reader an object, not a pointer of
    // ours: a bare pad carries the file to it. It goes before the file does.
    GstPtr<GstPad> carrier = AdoptFloating(gst_pad_new("media-probe", GST_PAD_SRC));
    if (!carrier) return {};
    g_object_set_qdata(G_OBJECT(carrier.get()), FileQuark(), &file);
    GstTypeFindProbability probability = GST_TYPE_FIND_NONE;
    const GstCapsPtr caps{
        gst_type_find_helper_get_range(GST_OBJECT(carrier.get()), nullptr, &ReadRange,
                                       static_cast<guint64>(info.st_size), nullptr, &probability)};
    if (!caps || gst_caps_is_empty(caps.get()) || gst_caps_is_any(caps.get())) return {};
    platform::MediaContent content;
    content.kind = gst_structure_get_name(gst_caps_get_structure(caps.get(), 0));
    content.isMedia = probability >= kBelievable && IsMediaKind(content.kind);
    return content;
}

}  // namespace kelto::mciservice
