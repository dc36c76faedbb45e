// A picture as the bytes of a PNG file: 8-bit RGB, not interlaced, its
// pixel data in stored (uncompressed) deflate blocks, so that the encoder
// needs no compression library. What File > Print Preview's "Save as PNG"
// writes of the printed page.
#ifndef QUILLON_CORE_PNGWRITE_H
#define QUILLON_CORE_PNGWRITE_H

#include <cstddef>
#include <cstdint>
#include <string>

enum class PixelOrder { Rgb, Bgr };  // the byte order of a pixel's three colours

// The picture of width x height pixels whose top row starts at top and each
// next row stride bytes further (negative for a bottom-up bitmap), each
// pixel three bytes in order; dpi is recorded for printing at its size
// (pHYs), unless 0. Empty when the size is not positive or the picture
// would exceed 1 GiB of pixel data.
std::string EncodePng(int width, int height, const unsigned char *top, std::ptrdiff_t stride, PixelOrder order,
                      int dpi);

#endif
