// Register access of the 650-series library: the MMIO window of the board's
// graphics chip, the accessors built on it, and the chip's register utilities.
#pragma once

#include <cstdint>
#include <mutex>

namespace kt6 {

// The register window the accessors reach: its linear address and size, set when
// the board memory is mapped. An access that does not lie wholly inside it reads 0
// and writes nothing, and so does every access while there is none.
void SetRegisterWindow(std::uint32_t linear, std::uint32_t size);
void ClearRegisterWindow();
std::uint32_t RegisterWindowBase();

// The chip has one index latch per indexed register file: an index and the data
// access after it, or a read-modify-write through them, hold this lock so that no
// other thread (the interrupt thread among them) moves the index in between.
std::recursive_mutex& IndexedRegisterLock();

// 32-bit access anywhere in the window.
std::uint32_t KT6MMIORead32Raw(std::uint32_t offset);
void KT6MMIOWrite32Raw(std::uint32_t offset, std::uint32_t value);
// The chip's register block: the low 16 bits of the offset with bit 15 set.
std::uint16_t KT6MMIORead16(std::uint32_t offset);
void KT6MMIOWrite16(std::uint32_t offset, std::uint16_t value);
std::uint8_t KT6MMIORead8(std::uint32_t offset);
void KT6MMIOWrite8(std::uint32_t offset, std::uint8_t value);

// The mapping itself is the driver back-end's (driver_link.h); these two do nothing.
void KT6UnmapBoardMemory();
void KT6OpenHook(std::uint32_t argument);
void KT6CloseHook();

// Board-type set-up of the general-purpose port; returns its inputs (bits 4-7,
// bit 7 the video field on board types 0 to 2).
std::uint8_t KT6ReadGPIO();

// Register utilities that the library keeps but does not call.
std::uint32_t KT6LockExtendedRegisters(std::uint32_t mask);
std::uint8_t KT6MarkUnlocked(std::uint8_t bits);
void KT6DisableMMIO(std::uint32_t mask);
void KT6RestoreLinearWindow(std::uint32_t wait);
void KT6SetLinearWindowFlag(std::uint8_t value);
std::uint8_t KT6SwapBankRegister(std::uint8_t value);
// The register as 8 binary digits in `text` (9 bytes); index 255 reads `port` itself.
void KT6FormatRegisterBits(std::uint16_t port, std::uint8_t index, std::uint8_t* out, char* text);
// The dword at record + offset as 32 binary digits in `text` (33 bytes).
void KT6FormatDwordBits(const void* record, std::uint32_t offset, std::uint32_t* out, char* text);
// The last '.' of a zero-terminated name, or null.
const char* KT6FindExtension(const char* name);
std::int32_t KT6NoOperation2(std::uint32_t first, std::uint32_t second);
std::int32_t KT6TrueOperation(std::uint32_t argument);

}  // namespace kt6
