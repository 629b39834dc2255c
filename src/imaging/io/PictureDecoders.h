// Direct PNG and JPEG decoders behind the picture loaders: they check the size in the header
// against the picture limits before allocating, and refuse files that are cut short.
#pragma once

#include <QImage>

#include <cstddef>

namespace orv::detail {

// Decodes a PNG held in memory into Format_ARGB32 (not premultiplied); null on any failure.
QImage DecodePng(const unsigned char* data, std::size_t size);

// Decodes a JPEG held in memory into Format_RGB32; null on any failure, including a file that
// ends before its last scan is complete.
QImage DecodeJpeg(const unsigned char* data, std::size_t size);

}  // namespace orv::detail
