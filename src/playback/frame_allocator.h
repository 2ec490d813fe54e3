#pragma once

#include <gst/gst.h>

#include <cstddef>

#include "platform/large_memory.h"

namespace ardelle::playback::gst {

// Blocks from one huge page on come from huge-page memory; smaller ones from GStreamer's own
// system-memory allocator.
constexpr std::size_t kLargeFrameBytes = platform::kHugePageBytes;

// Makes the frame allocator GStreamer's default allocator, so that the decoders' and
// converters' picture pools are placed on huge pages. Called once, right after gst_init.
void InstallFrameAllocator();

// The process's default allocator, whatever it is (for tests: a reference the caller drops).
GstAllocator* DefaultAllocator();

}  // namespace ardelle::playback::gst
