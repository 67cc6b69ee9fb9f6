// Capability containers in global memory: the source builds the answers that the
// application then owns and frees, and reads what the application sends. Nothing
// is read outside the container its own header describes.
#pragma once

#include <cstddef>
#include <optional>
#include <span>

#include "twain_ds/twain.h"

namespace twain_ds {

// Bytes of one item of a TWTY_ type, as the TWAIN standard lays them out.
std::size_t ItemSizeOfType(TW_UINT16 itemType);

struct ContainerHeader {
  TW_UINT16 item_type;
  TW_UINT32 current_index = 0;
  TW_UINT32 default_index = 0;
};

// Each fills cap's ConType and hContainer with a new block and returns a TWAIN
// condition: TWCC_SUCCESS, or TWCC_LOWMEMORY when the block cannot be had.
// A one value holds its item in 32 bits, 8- and 16-bit types zero-extended.
TW_UINT16 BuildOneValue(TW_CAPABILITY* cap, TW_UINT16 itemType, TW_UINT32 value);
// Items of 1, 2 or 4 bytes.
TW_UINT16 BuildEnumeration(TW_CAPABILITY* cap, const ContainerHeader& header, std::span<const TW_UINT32> items);
TW_UINT16 BuildArray(TW_CAPABILITY* cap, TW_UINT16 itemType, std::span<const TW_UINT32> items);

// The item of the application's one-value container, cut to its type's size;
// nothing when the record names another container or the block cannot be locked.
std::optional<TW_UINT32> ReadOneValue(const TW_CAPABILITY& cap);
// Item `index` of the application's enumeration, or its current item for
// kCurrentItem; nothing for another container, a block that cannot be locked or
// an index not below NumItems.
inline constexpr TW_INT32 kCurrentItem = -1;
std::optional<TW_UINT32> ReadEnumeration(const TW_CAPABILITY& cap, TW_INT32 index);

}  // namespace twain_ds
