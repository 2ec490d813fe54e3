#include "playback/frame_allocator.h"

namespace ardelle::playback::gst {
namespace {

// GStreamer's default allocator, taken over by one that places large blocks on huge pages.
struct FrameAllocator {
    GstAllocator parent;
};
struct FrameAllocatorClass {
    GstAllocatorClass parent;
};

GstAllocator* SystemAllocator() {
    static GstAllocator* const system = gst_allocator_find(GST_ALLOCATOR_SYSMEM);
    return system;
}

void ReleaseBlock(gpointer block) {
    auto* owned = static_cast<platform::LargeBlock*>(block);
    platform::UnmapLargeBlock(*owned);
    delete owned;
}

GstMemory* AllocateLarge(gsize size, const GstAllocationParams& params) {
    const gsize total = params.prefix + size + params.padding;
    std::optional<platform::LargeBlock> block = platform::MapLargeBlock(total);
    if (!block) {
        return nullptr;
    }
    // The memory is the system allocator's wrapped kind, so that sharing and copying work as
    // for any other block; the mapping goes when the last reference does.
    auto* owned = new platform::LargeBlock(*block);
    return gst_memory_new_wrapped(params.flags, owned->data, total, params.prefix, size, owned,
                                  ReleaseBlock);
}

GstMemory* Allocate(GstAllocator*, gsize size, GstAllocationParams* params) {
    GstAllocationParams defaults;
    gst_allocation_params_init(&defaults);
    const GstAllocationParams& wanted = params != nullptr ? *params : defaults;
    // Mappings start on a huge-page boundary, which covers every alignment below one.
    const bool large = wanted.prefix + size + wanted.padding >= kLargeFrameBytes &&
                       wanted.align < platform::kHugePageBytes;
    if (large) {
        if (GstMemory* memory = AllocateLarge(size, wanted)) {
            return memory;
        }
    }
    return gst_allocator_alloc(SystemAllocator(), size, params);
}

// Every block handed out belongs to the system allocator, which frees it.
void Free(GstAllocator*, GstMemory* memory) {
    gst_allocator_free(memory->allocator, memory);
}

void InitClass(gpointer klass, gpointer) {
    auto* allocator_class = static_cast<GstAllocatorClass*>(klass);
    allocator_class->alloc = Allocate;
    allocator_class->free = Free;
}

GType FrameAllocatorType() {
    static const GType type = g_type_register_static_simple(
        GST_TYPE_ALLOCATOR, "ArdelleFrameAllocator", sizeof(FrameAllocatorClass), InitClass,
        sizeof(FrameAllocator), nullptr, static_cast<GTypeFlags>(0));
    return type;
}

}  // namespace

void InstallFrameAllocator() {
    if (SystemAllocator() == nullptr) {
        return;
    }
    auto* allocator = static_cast<GstAllocator*>(g_object_new(FrameAllocatorType(), nullptr));
    gst_object_ref_sink(allocator);
    GST_OBJECT_FLAG_SET(allocator, GST_OBJECT_FLAG_MAY_BE_LEAKED);
    gst_allocator_set_default(allocator);
}

GstAllocator* DefaultAllocator() {
    return gst_allocator_find(nullptr);
}

}  // namespace ardelle::playback::gst
