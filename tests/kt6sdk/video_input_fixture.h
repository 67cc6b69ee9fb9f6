// A 650-series board opened and initialised for the video-input tests, polling
// its syncs, and a view of which device of its input path received anything.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "kt6sdk/kt6sdk.h"
#include "kt6sdk/library_state.h"
#include "tests/kt6sdk/kt6_fixture.h"

namespace kt6_testing {

enum class Device { kNone, kSaa7110, kDecoder2, kFrontEnd, kDacs };

class VideoInputTest : public kt6_testing::Kt6Test {
 protected:
  sim::Kt650Board& Open(int type, std::uint32_t word) {
    std::uint16_t chip = type == 0 ? sim::kt650::kChip5631 : type <= 2 ? sim::kt650::kChip8A01 : sim::kt650::kChip8A22;
    sim::Machine& m = Boot(kt6_testing::OneBoard(chip, static_cast<std::uint8_t>(type)));
    WriteIni(std::string(kt6_testing::kQuickIni) + "KillInterrupt=1\nSwitchChannelTimeout=300\n");
    EXPECT_EQ(KT6Open(0x151), 0);
    EXPECT_EQ(KT6Init(nullptr), 0);
    kt6_testing::SetBoardWord(word);
    board_ = &m.kt650(0);
    return *board_;
  }

  // As Open, then the caller's configuration word set and the board initialised
  // with it, so that the board's registers route the video as the word says (types
  // 2, 4 and 5; the others take no word).
  sim::Kt650Board& OpenConfigured(int type, std::uint32_t callerWord) {
    Open(type, 0);
    if (type == 2 || type >= 4) {
      EXPECT_EQ(KT6SetBoardConfig(callerWord), 0);
      EXPECT_EQ(KT6Init(nullptr), 0);
    }
    return *board_;
  }

  // A camera-interface reference register as the board's serial lines last set it.
  std::uint8_t SerialRegister(unsigned index) const {
    return board_->board_control()->bit_serial().SerialRegister(index);
  }

  // The devices that received something during `call`.
  std::vector<Device> Reached(const std::function<void()>& call) {
    sim::Saa7110Model* saa = board_->saa7110();
    sim::Kt650Decoder2* dec2 = board_->decoder2();
    if (saa) saa->ClearLog();
    if (dec2) dec2->ClearLog();
    std::size_t latches = board_->control_port() ? board_->control_port()->front_end().Latches().size() : 0;
    std::size_t frames = board_->board_control() ? board_->board_control()->bit_serial().Frames().size() : 0;
    call();
    std::vector<Device> out;
    auto writes = [](const std::vector<sim::I2cTransfer>& log) {
      for (const auto& t : log)
        if (t.kind == sim::I2cTransfer::Kind::kWrite && !t.bytes.empty()) return true;
      return false;
    };
    if (saa && writes(saa->Log())) out.push_back(Device::kSaa7110);
    if (dec2 && writes(dec2->Log())) out.push_back(Device::kDecoder2);
    if (board_->control_port() && board_->control_port()->front_end().Latches().size() != latches)
      out.push_back(Device::kFrontEnd);
    if (board_->board_control() && board_->board_control()->bit_serial().Frames().size() != frames)
      out.push_back(Device::kDacs);
    return out;
  }

  // The device that exists on this board to see it, as a list.
  std::vector<Device> Expect(Device d) {
    bool present = (d == Device::kSaa7110 && board_->saa7110()) || (d == Device::kDecoder2 && board_->decoder2()) ||
                   (d == Device::kFrontEnd && board_->control_port()) ||
                   (d == Device::kDacs && board_->board_control());
    return present ? std::vector<Device>{d} : std::vector<Device>{};
  }

  sim::Kt650Board* board_ = nullptr;
};

// The camera interface's reference codes as its converters work them out: the top
// code of a gain in dB over a bottom code, and the offset code of a value 0-255.
inline int GainCode(double low, double high, double span, int bottom, double db) {
  double v = (low + (high - low) * bottom / 256 + span * 0.7 / std::exp(db / 20) - low) / (high - low) * 256;
  return v < 0 ? 0 : v > 255 ? 255 : static_cast<int>(v);
}
inline int OffsetCode(double mid, int value) {
  double x = value <= 128 ? mid * value / 128 : mid + (4 - mid) * (value - 128) / 128;
  return static_cast<int>(x / 4 * 256);
}
inline std::uint8_t Complement(int code) { return static_cast<std::uint8_t>(~code); }

}  // namespace kt6_testing
