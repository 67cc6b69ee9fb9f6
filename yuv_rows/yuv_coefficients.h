// The CCIR 601 studio-range YUV to RGB conversion in fixed point over 2048, as
// the vector rows compute it: each channel is one sum of products of the bytes
// and these factors, plus a bias that takes the offsets of Y, U and V and the
// rounding term, shifted right by 11.
#pragma once

namespace yuv {

constexpr int kLumaFactor = 2385;
constexpr int kRedFromV = 3269;
constexpr int kGreenFromU = -802;
constexpr int kGreenFromV = -1665;
constexpr int kBlueFromU = 4131;
constexpr int kFixedPointShift = 11;

// 2385 (Y - 16) + a (U - 128) + b (V - 128) + 1024 = 2385 Y + a U + b V + bias.
constexpr int ChannelBias(int fromU, int fromV) {
  return -16 * kLumaFactor - 128 * (fromU + fromV) + (1 << (kFixedPointShift - 1));
}

}  // namespace yuv
