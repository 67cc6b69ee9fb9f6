// Runs of pixels placed in YUV 4:2:2 lines whose chroma pairs start at even frame
// columns (Y0 Cb Y1 Cr from column 0), whatever column and length the run has.
#pragma once

#include <cstdint>

namespace kt6 {

// A run of columns x .. x + count - 1 widened to whole pairs.
struct PairSpan {
  std::uint32_t first;   // the even column at or below x
  std::uint32_t lead;    // x - first: 0 or 1
  std::uint32_t pixels;  // even, covering the run
};

PairSpan SpanOf(std::uint32_t x, std::uint32_t count);

// Pixel `from` .. from + count - 1 of a YUV 4:2:2 line whose pairs start at its
// pixel 0, as Y Cb Cr each (its pair's chroma). The line holds whole pairs.
void PairsToYcc(const std::uint8_t* pairs, std::uint32_t from, std::uint32_t count, std::uint8_t* ycc);

// `count` Y Cb Cr pixels into `line`, which holds span.pixels YUV 4:2:2 pixels from
// span.first: the run's luma, and each pair's chroma from its first pixel of the
// run. The other pixel of a boundary pair keeps its luma.
void YccToPairs(const std::uint8_t* ycc, PairSpan span, std::uint32_t count, std::uint8_t* line);

// Bytes of `work` RgbToPairs needs for a span.
std::uint32_t RgbPairsWork(PairSpan span);

// `count` BGR pixels (24 or 32 bits) into `line` as YccToPairs places them. A pair's
// missing pixel is its run pixel duplicated, so the pair's chroma is the run's own.
void RgbToPairs(const std::uint8_t* rgb, std::uint32_t bits, PairSpan span, std::uint32_t count, std::uint8_t* work,
                std::uint8_t* line);

}  // namespace kt6
