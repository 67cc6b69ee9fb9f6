#include "sim/kt650/kt650_decoder2.h"

namespace sim {
namespace {

constexpr std::uint32_t kRegisterCount = 0x100;
constexpr std::uint8_t kNoRegister = 0xFF;

struct Bank {
  std::uint8_t first;
  std::uint8_t last;
};
constexpr Bank kBanks[] = {{0x00, 0x19}, {0x40, 0x5E}, {0x80, 0xEF}};

// The input select's modes, by the input each one takes.
struct InputMode {
  std::uint8_t mode;
  int input;
};
constexpr InputMode kInputModes[] = {{0, 0}, {2, 1}, {4, 2}, {7, 3}, {8, 5}};

unsigned ByteWide(std::uint32_t) { return 1; }

}  // namespace

class Kt650Decoder2::StatusHook : public RegisterHook {
 public:
  explicit StatusHook(const Kt650Decoder2& chip) : chip_(chip) {}
  std::uint32_t OnRead(std::uint32_t, std::uint32_t) override { return chip_.StatusLocked(); }

 private:
  const Kt650Decoder2& chip_;
};

Kt650Decoder2::Kt650Decoder2()
    : I2cDevice(kAddress),
      status_hook_(std::make_unique<StatusHook>(*this)),
      registers_(kRegisterCount, ByteWide,
                 {
                     {"VERSION", kVersion, kVersionValue, 0xFF},
                     {"STATUS", kStatus, 0, 0xFF, 0, status_hook_.get()},
                 }) {}

Kt650Decoder2::~Kt650Decoder2() = default;

void Kt650Decoder2::ConnectInputs(const Kt650VideoInputs* inputs) { inputs_.store(inputs); }

bool Kt650Decoder2::Exists(std::size_t reg) {
  if (reg == kStatus) return true;
  for (const Bank& bank : kBanks)
    if (reg >= bank.first && reg <= bank.last) return true;
  return false;
}

std::uint8_t Kt650Decoder2::Register(std::uint8_t index) const {
  std::lock_guard lock(mutex_);
  return index == kStatus ? StatusLocked() : static_cast<std::uint8_t>(registers_.Get(index));
}

int Kt650Decoder2::SelectedInput() const {
  std::lock_guard lock(mutex_);
  return SelectedInputLocked();
}

int Kt650Decoder2::SelectedInputLocked() const {
  std::uint32_t mode = registers_.Get(kInputSelect) & kInputModeMask;
  for (const InputMode& m : kInputModes)
    if (m.mode == mode) return m.input;
  return kKt650NoInput;
}

std::uint8_t Kt650Decoder2::StatusLocked() const {
  const Kt650VideoInputs* inputs = inputs_.load();
  return inputs && inputs->CameraPresent(Kt650VideoDevice::kDecoder, SelectedInputLocked()) ? kLocked : kNoSignal;
}

bool Kt650Decoder2::WriteData(std::uint8_t subaddress, std::size_t index, std::uint8_t value) {
  std::size_t r = subaddress + index;
  if (r >= kRegisterCount || !Exists(r)) return false;
  registers_.Write(static_cast<std::uint32_t>(r), value, 0xFF);
  return true;
}

std::uint8_t Kt650Decoder2::ReadData(std::uint8_t subaddress, std::size_t index) {
  std::size_t r = subaddress + index;
  if (r >= kRegisterCount || !Exists(r)) return kNoRegister;
  return static_cast<std::uint8_t>(registers_.Read(static_cast<std::uint32_t>(r)));
}

}  // namespace sim
