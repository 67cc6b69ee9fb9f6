// The machine description file: an INI file that says what the virtual PC is made
// of, for a process that powers it on by itself.
//
//   [display]     width, height, bits_per_pixel, rgb565, memory_bytes, physical_base,
//                 pitch_alignment, overlay, dest_overlay_key, src_overlay_key,
//                 blt_stretch, max_visible_overlays, align_boundary_dest,
//                 align_size_dest, align_size_src, min_overlay_stretch,
//                 max_overlay_stretch, fourcc_codes (e.g. "YUY2,UYVY")
//   [monitor N]   N = 1..3: the monitors after the primary, with the keys of
//                 [display] and left, top (its place on the virtual screen, may be
//                 negative); physical_base 0 or left out: placed by the machine
//   [video port]  present, id, caps, port_width, max_width, max_height,
//                 connections (GUIDs "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}", comma
//                 separated), refuse_flipping_target
//   [bridge N]    N = 0..7: vendor, device, revision, bus, device_number, class_code,
//                 registers ("0x51:0x80,0x57:0x01": chipset offset and byte)
//   [rg700 N]     N = 0..2: bus, device_number, subsystem_vendor, subsystem_id,
//                 interrupt_line, command, bar0, bt829a, vpc32x5c,
//                 input0..input3 (none, ntsc or pal), running, field_period_us,
//                 lockstep
//   [kt650 N]     N = 0..4: bus, device_number, chip (0x5631, 0x8A01 or 0x8A22),
//                 type (0 on 0x5631, 1-2 on 0x8A01, 3-5 on 0x8A22), revision,
//                 board_code, sub_revision, chip_revision, memory_bytes (0 or a
//                 size the chip's memory code lists), monitor (0 for the primary,
//                 1..3 for a [monitor N], or none; at most one board a monitor),
//                 interrupt_line, frame_buffer_base,
//                 register_base (0x8A22 only), refresh_hz (1..1000), running,
//                 field_period_us, lockstep, and the cameras (none, ntsc or pal):
//                 input0..input3, input5..input7 on that input of every device
//                 that has it, decoder_input0..3 and 5, front_end_input0..3,
//                 camera_interface_input0..3, 6 and 7 on one device's
//                 (kt650_desc.h), in the order the section gives them
//   [bios]        pci
//   [drivers]     RG7DRIVE, RG700W95, KT6DRIVE, KT6VXD95
//
// The bridges, boards and monitors are those the file lists, numbered without gaps;
// any other value not given keeps its default. Numbers are decimal or 0x hex, flags
// 0 or 1. Names compare without regard to case. An unknown section or key, a value
// out of its range, a frame buffer not aligned to its BAR, memory or windows that
// overlap, or a desktop that does not fit its display memory (that of the board on
// the monitor, if any) is an error.
#pragma once

#include <string>

#include "sim/machine.h"

namespace sim {

constexpr std::size_t kMaxDescribedBridges = 8;
constexpr std::size_t kMaxDescribedRg700Boards = 3;
constexpr std::size_t kMaxDescribedKt650Boards = 5;
constexpr std::size_t kMaxDescribedMonitors = 3;  // after the primary

// False with *error saying where and what when the text is no valid description;
// *out is then unchanged.
PLATFORM_EXPORT bool ParseMachineDescription(const std::string& text, MachineDescription* out, std::string* error);

}  // namespace sim
