#include "outside/twain_app/received_data.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <fstream>

namespace twain_app {
namespace {

constexpr std::size_t kNumItemsAt = offsetof(TW_ARRAY, NumItems);
constexpr std::size_t kArrayHeader = offsetof(TW_ARRAY, ItemList);
constexpr std::size_t kEnumerationHeader = offsetof(TW_ENUMERATION, ItemList);
constexpr std::size_t kBitmapInfoHeaderSize = 40;
constexpr std::size_t kBitmapFileHeaderSize = 14;

std::size_t ItemSize(TW_UINT16 itemType) {
  switch (itemType) {
    case TWTY_INT8:
    case TWTY_UINT8:
      return 1;
    case TWTY_INT16:
    case TWTY_UINT16:
    case TWTY_BOOL:
      return 2;
    case TWTY_INT32:
    case TWTY_UINT32:
    case TWTY_FIX32:
      return 4;
    case TWTY_FRAME:
      return sizeof(TW_FRAME);
    case TWTY_STR32:
      return sizeof(TW_STR32);
    case TWTY_STR64:
      return sizeof(TW_STR64);
    case TWTY_STR128:
      return sizeof(TW_STR128);
    case TWTY_STR255:
      return sizeof(TW_STR255);
    case TWTY_STR1024:
      return sizeof(TW_STR1024);
    case TWTY_UNI512:
      return sizeof(TW_UNI512);
    case TWTY_HANDLE:
      return sizeof(TW_HANDLE);
    default:
      return 0;
  }
}

template <class T>
T Read(const std::uint8_t* bytes, std::size_t offset) {
  T value;
  std::memcpy(&value, bytes + offset, sizeof value);
  return value;
}

std::size_t PaletteEntries(const Bytes& dib) {
  std::uint32_t colours = Read<std::uint32_t>(dib.data(), 32);
  std::uint16_t bitCount = Read<std::uint16_t>(dib.data(), 14);
  return colours ? colours : bitCount <= 8 ? std::size_t{1} << bitCount : 0;
}

}  // namespace

// The length a container's own header gives, never more than the block the source
// allocated when that is known (0: unknown).
std::size_t ContainerLength(TW_UINT16 conType, const std::uint8_t* container, std::size_t allocated) {
  auto has = [allocated](std::size_t bytes) { return allocated == 0 || allocated >= bytes; };
  if (!has(sizeof(TW_UINT16))) return allocated;
  std::size_t itemSize = ItemSize(Read<TW_UINT16>(container, 0));
  std::size_t length = allocated;
  switch (conType) {
    case TWON_ONEVALUE:
      // An item wider than the 32-bit Item field runs on past it.
      length = sizeof(TW_UINT16) + std::max(sizeof(TW_UINT32), itemSize);
      break;
    case TWON_ARRAY:
      if (!has(kArrayHeader)) return allocated;
      length = kArrayHeader + std::size_t{Read<TW_UINT32>(container, kNumItemsAt)} * itemSize;
      break;
    case TWON_ENUMERATION:
      if (!has(kArrayHeader)) return allocated;
      length = kEnumerationHeader + std::size_t{Read<TW_UINT32>(container, kNumItemsAt)} * itemSize;
      break;
    case TWON_RANGE:
      length = sizeof(TW_RANGE);
      break;
    default:
      break;
  }
  return allocated ? std::min(length, allocated) : length;
}

// A packed DIB's length from its BITMAPINFOHEADER: header, palette and rows.
std::size_t DibLength(const std::uint8_t* dib, std::size_t allocated) {
  if (allocated && allocated < kBitmapInfoHeaderSize) return allocated;
  std::uint64_t headerSize = Read<std::uint32_t>(dib, 0);
  std::int64_t width = Read<std::int32_t>(dib, 4);
  std::int64_t height = Read<std::int32_t>(dib, 8);
  std::uint64_t bitCount = Read<std::uint16_t>(dib, 14);
  std::uint64_t colours = Read<std::uint32_t>(dib, 32);
  if (colours == 0 && bitCount <= 8) colours = std::uint64_t{1} << bitCount;
  std::uint64_t stride = ((static_cast<std::uint64_t>(width < 0 ? -width : width) * bitCount + 31) / 32) * 4;
  std::uint64_t length = headerSize + colours * 4 + stride * static_cast<std::uint64_t>(height < 0 ? -height : height);
  return allocated ? static_cast<std::size_t>(std::min<std::uint64_t>(length, allocated))
                   : static_cast<std::size_t>(length);
}

bool WriteDibAsBmp(const Bytes& dib, const std::string& path) {
  if (dib.size() < kBitmapInfoHeaderSize) return false;
  std::uint32_t headerSize = Read<std::uint32_t>(dib.data(), 0);
  std::uint32_t fileSize = static_cast<std::uint32_t>(kBitmapFileHeaderSize + dib.size());
  std::uint32_t bitsOffset = static_cast<std::uint32_t>(kBitmapFileHeaderSize + headerSize + PaletteEntries(dib) * 4);
  std::uint8_t fileHeader[kBitmapFileHeaderSize] = {'B', 'M'};
  std::memcpy(fileHeader + 2, &fileSize, 4);
  std::memcpy(fileHeader + 10, &bitsOffset, 4);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(fileHeader), sizeof fileHeader);
  out.write(reinterpret_cast<const char*>(dib.data()), static_cast<std::streamsize>(dib.size()));
  return static_cast<bool>(out);
}

}  // namespace twain_app
