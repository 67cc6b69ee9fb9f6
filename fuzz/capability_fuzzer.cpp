// Capability containers from an application: whatever a container holds, MSG_SET
// must read only inside it and answer, and a value it accepts must be one of the
// values the capability takes. The block is as long as its own header says (the
// application's promise), cut to a size a test can afford.
//
// Input: capability (2 bytes), ConType (2 bytes), an enumeration index (4 bytes),
// then the container's bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/global_memory.h"
#include "twain_ds/capabilities.h"
#include "twain_ds/capability_containers.h"
#include "twain_ds/data_source_app.h"
#include "twain_ds/twain_state.h"

namespace {

constexpr std::size_t kEnumerationHeader = 14;
constexpr std::size_t kLargestBlock = 1 << 16;

// The container's bytes, grown to what its header describes.
std::vector<std::uint8_t> Block(TW_UINT16 conType, const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> block(data, data + size);
  if (conType == TWON_ONEVALUE) block.resize(std::max(block.size(), sizeof(TW_ONEVALUE)));
  if (conType == TWON_ENUMERATION) {
    block.resize(std::max(block.size(), kEnumerationHeader));
    TW_ENUMERATION header;
    std::memcpy(&header, block.data(), kEnumerationHeader);
    std::size_t itemSize = twain_ds::ItemSizeOfType(header.ItemType);
    TW_UINT32 claimed = header.NumItems;
    TW_UINT32 items = std::min<TW_UINT32>(claimed, (kLargestBlock - kEnumerationHeader) / itemSize);
    header.NumItems = items;
    std::memcpy(block.data(), &header, kEnumerationHeader);
    block.resize(std::max(block.size(), kEnumerationHeader + items * itemSize));
  }
  return block;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static twain_ds::CDataSourceApp app(twain_ds::kRg7Ntc);
  if (size < 8) return 0;
  TW_UINT16 capId;
  TW_UINT16 conType;
  TW_INT32 index;
  std::memcpy(&capId, data, 2);
  std::memcpy(&conType, data + 2, 2);
  std::memcpy(&index, data + 4, 4);
  std::vector<std::uint8_t> bytes = Block(conType, data + 8, size - 8);

  HGLOBAL block = GlobalAlloc(GHND, bytes.size());
  if (!bytes.empty()) std::memcpy(block, bytes.data(), bytes.size());
  TW_CAPABILITY cap{capId, conType, block};
  TW_UINT16 condition = twain_ds::SetCapability(cap);
  if (condition != TWCC_SUCCESS && condition != TWCC_BADCAP) std::abort();
  // Accepted units are pixels, whatever the container was.
  if (capId == ICAP_UNITS && condition == TWCC_SUCCESS && twain_ds::ReadOneValue(cap).value_or(0) != TWUN_PIXELS &&
      twain_ds::ReadEnumeration(cap, twain_ds::kCurrentItem).value_or(0) != TWUN_PIXELS)
    std::abort();
  if (twain_ds::g_requestedXferMech > TWSX_MEMORY) std::abort();
  twain_ds::ReadEnumeration(cap, index);
  GlobalFree(block);

  TW_CAPABILITY answer{capId, 0, nullptr};
  if (twain_ds::GetCapability(&answer) == TWCC_SUCCESS) GlobalFree(answer.hContainer);
  return 0;
}
