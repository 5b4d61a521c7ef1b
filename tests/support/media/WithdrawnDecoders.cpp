#include "tests/support/media/WithdrawnDecoders.h"

#include <gst/gst.h>

#include <utility>
#include <vector>

#include "mciservice/GstHandles.h"

namespace kelto::testing {

struct WithdrawnDecoders::Withdrawn {
    std::vector<std::pair<mciservice::GstPtr<GstPluginFeature>, guint>> ranks;
};

WithdrawnDecoders::WithdrawnDecoders(const std::string& caps)
    : withdrawn_(std::make_unique<Withdrawn>()) {
    if (!gst_is_initialized()) gst_init(nullptr, nullptr);
    const mciservice::GstCapsPtr wanted{gst_caps_from_string(caps.c_str())};
    GList* decoders =
        gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_DECODER, GST_RANK_NONE);
    GList* matching = gst_element_factory_list_filter(decoders, wanted.get(), GST_PAD_SINK, FALSE);
    for (GList* item = matching; item != nullptr; item = item->next) {
        auto* feature = GST_PLUGIN_FEATURE(item->data);
        const guint rank = gst_plugin_feature_get_rank(feature);
        if (rank == GST_RANK_NONE) continue;
        gst_object_ref(feature);
        withdrawn_->ranks.emplace_back(mciservice::GstPtr<GstPluginFeature>{feature}, rank);
        gst_plugin_feature_set_rank(feature, GST_RANK_NONE);
    }
    gst_plugin_feature_list_free(matching);
    gst_plugin_feature_list_free(decoders);
}

WithdrawnDecoders::~WithdrawnDecoders() {
    for (auto& [feature, rank] : withdrawn_->ranks)
        gst_plugin_feature_set_rank(feature.get(), rank);
}

int WithdrawnDecoders::Count() const { return static_cast<int>(withdrawn_->ranks.size()); }

}  // namespace kelto::testing
