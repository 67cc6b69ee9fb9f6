#include "twain_ds/capability_containers.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/global_memory.h"

namespace twain_ds {
namespace {

// Bytes of the container records before their items.
constexpr std::size_t kOneValueBytes = sizeof(TW_ONEVALUE);
constexpr std::size_t kArrayHeaderBytes = offsetof(TW_ARRAY, ItemList);
constexpr std::size_t kEnumerationHeaderBytes = offsetof(TW_ENUMERATION, ItemList);
// Every block the source builds has room for one byte more than its items need.
constexpr std::size_t kSpareByte = 1;

// A value cut to the size of its type, as a container stores or delivers it.
TW_UINT32 CutToType(TW_UINT16 itemType, TW_UINT32 value) {
  switch (ItemSizeOfType(itemType)) {
    case 1:
      return value & 0xFFu;
    case 2:
      return value & 0xFFFFu;
    default:
      return value;
  }
}

// The low `size` bytes of the value (little-endian), at most all four.
void PutItem(std::uint8_t* at, std::size_t size, TW_UINT32 value) {
  std::memcpy(at, &value, size < sizeof value ? size : sizeof value);
}

// A new zero-filled block, locked; its handle goes to cap.
std::uint8_t* NewContainer(TW_CAPABILITY* cap, TW_UINT16 conType, std::size_t bytes) {
  HGLOBAL block = GlobalAlloc(GHND, bytes);
  if (!block) return nullptr;
  auto* memory = static_cast<std::uint8_t*>(GlobalLock(block));
  if (!memory) {
    GlobalFree(block);
    return nullptr;
  }
  cap->ConType = conType;
  cap->hContainer = block;
  return memory;
}

TW_UINT16 BuildList(TW_CAPABILITY* cap, TW_UINT16 conType, const void* header, std::size_t headerBytes,
                    TW_UINT16 itemType, std::span<const TW_UINT32> items) {
  std::size_t itemSize = ItemSizeOfType(itemType);
  std::uint8_t* memory = NewContainer(cap, conType, headerBytes + itemSize * items.size() + kSpareByte);
  if (!memory) return TWCC_LOWMEMORY;
  std::memcpy(memory, header, headerBytes);
  for (std::size_t i = 0; i < items.size(); ++i) PutItem(memory + headerBytes + i * itemSize, itemSize, items[i]);
  GlobalUnlock(cap->hContainer);
  return TWCC_SUCCESS;
}

// Reads from the application's block while it is locked.
template <class Read>
std::optional<TW_UINT32> WithLocked(const TW_CAPABILITY& cap, TW_UINT16 conType, Read read) {
  if (cap.ConType != conType || !cap.hContainer) return std::nullopt;
  const auto* memory = static_cast<const std::uint8_t*>(GlobalLock(cap.hContainer));
  if (!memory) return std::nullopt;
  std::optional<TW_UINT32> value = read(memory);
  GlobalUnlock(cap.hContainer);
  return value;
}

}  // namespace

std::size_t ItemSizeOfType(TW_UINT16 itemType) {
  switch (itemType) {
    case TWTY_INT8:
    case TWTY_UINT8:
      return 1;
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
      return 2;
  }
}

TW_UINT16 BuildOneValue(TW_CAPABILITY* cap, TW_UINT16 itemType, TW_UINT32 value) {
  std::uint8_t* memory = NewContainer(cap, TWON_ONEVALUE, kOneValueBytes);
  if (!memory) return TWCC_LOWMEMORY;
  TW_ONEVALUE oneValue{itemType, CutToType(itemType, value)};
  std::memcpy(memory, &oneValue, sizeof oneValue);
  GlobalUnlock(cap->hContainer);
  return TWCC_SUCCESS;
}

TW_UINT16 BuildEnumeration(TW_CAPABILITY* cap, const ContainerHeader& header, std::span<const TW_UINT32> items) {
  TW_ENUMERATION record{};
  record.ItemType = header.item_type;
  record.NumItems = static_cast<TW_UINT32>(items.size());
  record.CurrentIndex = header.current_index;
  record.DefaultIndex = header.default_index;
  return BuildList(cap, TWON_ENUMERATION, &record, kEnumerationHeaderBytes, header.item_type, items);
}

TW_UINT16 BuildArray(TW_CAPABILITY* cap, TW_UINT16 itemType, std::span<const TW_UINT32> items) {
  TW_ARRAY record{};
  record.ItemType = itemType;
  record.NumItems = static_cast<TW_UINT32>(items.size());
  return BuildList(cap, TWON_ARRAY, &record, kArrayHeaderBytes, itemType, items);
}

std::optional<TW_UINT32> ReadOneValue(const TW_CAPABILITY& cap) {
  return WithLocked(cap, TWON_ONEVALUE, [](const std::uint8_t* memory) -> std::optional<TW_UINT32> {
    TW_ONEVALUE oneValue;
    std::memcpy(&oneValue, memory, sizeof oneValue);
    return CutToType(oneValue.ItemType, oneValue.Item);
  });
}

std::optional<TW_UINT32> ReadEnumeration(const TW_CAPABILITY& cap, TW_INT32 index) {
  auto read = [index](const std::uint8_t* memory) -> std::optional<TW_UINT32> {
    TW_ENUMERATION header;
    std::memcpy(&header, memory, kEnumerationHeaderBytes);
    TW_UINT32 wanted = index == kCurrentItem ? header.CurrentIndex : static_cast<TW_UINT32>(index);
    if (index < kCurrentItem || wanted >= header.NumItems) return std::nullopt;
    std::size_t itemSize = ItemSizeOfType(header.ItemType);
    const std::uint8_t* item = memory + kEnumerationHeaderBytes + std::size_t{wanted} * itemSize;
    TW_UINT32 value = 0;
    std::memcpy(&value, item, itemSize < sizeof value ? itemSize : sizeof value);
    return CutToType(header.ItemType, value);
  };
  return WithLocked(cap, TWON_ENUMERATION, read);
}

}  // namespace twain_ds
