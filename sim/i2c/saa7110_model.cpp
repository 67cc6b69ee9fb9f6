#include "sim/i2c/saa7110_model.h"

namespace sim {
namespace {

unsigned ByteWide(std::uint32_t) { return 1; }

// The values of register 0x20 that the board's wirings write, and the input each
// selects.
struct InputCode {
  std::uint8_t code;
  int input;
};
constexpr InputCode kInputCodes[] = {
    {0x7C, 0}, {0x78, 0}, {0xB8, 1}, {0xD9, 2}, {0x9A, 3}, {0x1A, 3}, {0x3C, 5}, {0x38, 5},
};

}  // namespace

std::vector<RegisterInfo> Saa7110Model::RegisterTable() {
  // {name, register, reset, read-only bits, write-1-to-clear bits, hook}: the
  // registers the model gives a meaning; the others keep what is written.
  return {
      {"STATUS_MODE", kStatusMode, 0, 0, 0, nullptr},
      {"INPUT_SELECT", kInputSelect, kInputSelectReset, 0, 0, nullptr},
  };
}

Saa7110Model::Saa7110Model() : I2cDevice(kAddress), registers_(kRegisterCount, ByteWide, RegisterTable()) {}

std::uint8_t Saa7110Model::Register(std::uint8_t index) const {
  std::lock_guard lock(mutex_);
  return static_cast<std::uint8_t>(registers_.Get(index));
}

int Saa7110Model::SelectedInput() const {
  std::lock_guard lock(mutex_);
  return SelectedInputLocked();
}

int Saa7110Model::SelectedInputLocked() const {
  auto code = static_cast<std::uint8_t>(registers_.Get(kInputSelect));
  for (const InputCode& c : kInputCodes)
    if (c.code == code) return c.input;
  return kNoInput;
}

void Saa7110Model::SetCameraProbe(CameraProbe probe) {
  std::lock_guard lock(mutex_);
  camera_ = std::move(probe);
}

bool Saa7110Model::WriteData(std::uint8_t subaddress, std::size_t index, std::uint8_t value) {
  std::size_t r = subaddress + index;
  if (r >= kRegisterCount) return false;
  registers_.Write(static_cast<std::uint32_t>(r), value, 0xFF);
  return true;
}

std::uint8_t Saa7110Model::ReadData(std::uint8_t, std::size_t) { return Status(); }

std::uint8_t Saa7110Model::Status() {
  if (!(registers_.Get(kStatusMode) & kDecoderStatus)) return kIdentification;
  int input = SelectedInputLocked();
  VideoSourceDesc camera = input != kNoInput && camera_ ? camera_(input) : VideoSourceDesc{};
  if (!camera.present) return kNoLock;
  return camera.standard ? kFields50Hz : 0;
}

}  // namespace sim
