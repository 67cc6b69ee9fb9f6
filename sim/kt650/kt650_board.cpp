#include "sim/kt650/kt650_board.h"

#include <algorithm>

#include "sim/bounded_log.h"
#include "sim/kt650/kt650_interrupt_gate.h"
#include "sim/kt650/kt650_layout.h"
#include "sim/kt650/kt650_streams.h"
#include "sim/memory/low_memory.h"

namespace sim {

using namespace kt650;

namespace {

constexpr std::uint32_t kRegisterBytes = 4;
constexpr std::uint32_t kKilobyte = 1024;
constexpr std::uint16_t kRgb555GreenMask = 0x03E0;

unsigned DwordWide(std::uint32_t) { return kRegisterBytes; }

std::uint8_t ColourModeOf(const DDPIXELFORMAT& format) {
  switch (format.dwRGBBitCount) {
    case 16:
      return format.dwGBitMask == kRgb555GreenMask ? kColourMode15 : kColourMode16;
    case 24:
      return kColourMode24;
    case 32:
      return kColourMode32;
    default:
      return kColourMode8;
  }
}

// The frame-buffer aperture's base register: BAR1 on chip 0x8A22, BAR0 on the others.
constexpr std::uint32_t kBar1 = pci::kBar0 + 4;
std::uint32_t FrameBufferBar(std::uint16_t chip) { return chip == kChip8A22 ? kBar1 : pci::kBar0; }

// The writable bits of a memory BAR of `size` bytes, byte by byte.
std::uint8_t BarMaskByte(std::uint32_t size, unsigned byte) {
  return static_cast<std::uint8_t>(~(size - 1) >> (8 * byte));
}

}  // namespace

// Reads give the engine's status (idle unless a test holds the bus master busy);
// what the host writes, the source enables, is kept apart in the register's value.
class Kt650Board::EngineStatusHook : public RegisterHook {
 public:
  explicit EngineStatusHook(const Kt650BusMaster& busMaster) : bus_master_(busMaster) {}
  std::uint32_t OnRead(std::uint32_t, std::uint32_t) override { return bus_master_.Ready() ? kEngineIdle : 0; }

 private:
  const Kt650BusMaster& bus_master_;
};

// Without a camera at the video port no field is shown: the field bit reads 0.
class Kt650Board::GpioHook : public RegisterHook {
 public:
  explicit GpioHook(const Kt650VideoInputs& inputs) : inputs_(inputs) {}
  std::uint32_t OnRead(std::uint32_t, std::uint32_t stored) override {
    return inputs_.SelectedSource().present ? stored : stored & ~kGpioField;
  }

 private:
  const Kt650VideoInputs& inputs_;
};

Kt650VideoDevices Kt650Board::VideoDevices() const {
  Kt650VideoDevices d;
  d.saa7110 = serial_port_->saa7110();
  d.decoder2 = serial_port_->decoder2();
  d.control_port = serial_port_->control_port();
  d.board_control = serial_port_->board_control();
  return d;
}

std::vector<RegisterInfo> Kt650Board::RegisterTable() {
  // {name, register, reset, read-only bits, write-1-to-clear bits, hook}
  std::vector<RegisterInfo> table{
      {"INTERRUPT_CONTROL", kInterruptControl / kRegisterBytes, 0, ~(kInterruptStatusBits | kInterruptEnableBits),
       kInterruptStatusBits, nullptr},
      {"ENGINE_STATUS", kEngineStatus / kRegisterBytes, 0, 0, 0, engine_status_.get()},
      {"SERIAL_PORT", kSerialPort / kRegisterBytes, 0, ~kSerialPortBits, 0, serial_port_.get()},
      {"GENERAL_PURPOSE_PORT", kGeneralPurposePort / kRegisterBytes, 0, kGpioField, 0, gpio_hook_.get()},
      // The streams processor keeps what is written; a composition reads it.
      {"PRIMARY_STREAM_FORMAT", kStreamsPrimaryFormat / kRegisterBytes, 0, 0, 0, nullptr},
      {"KEY_CONTROL", kStreamsKeyControl / kRegisterBytes, 0, 0, 0, nullptr},
      {"SECONDARY_STREAM_CONTROL", kStreamsSecondaryControl / kRegisterBytes, 0, 0, 0, nullptr},
      {"CHROMA_KEY_UPPER", kStreamsChromaUpper / kRegisterBytes, 0, 0, 0, nullptr},
      {"HORIZONTAL_SCALE", kStreamsHorizontalScale / kRegisterBytes, 0, 0, 0, nullptr},
      {"BLEND_CONTROL", kStreamsBlendControl / kRegisterBytes, 0, 0, 0, nullptr},
      {"SECONDARY_START_0", kStreamsSecondaryStart0 / kRegisterBytes, 0, 0, 0, nullptr},
      {"SECONDARY_START_1", kStreamsSecondaryStart1 / kRegisterBytes, 0, 0, 0, nullptr},
      {"SECONDARY_STRIDE", kStreamsSecondaryStride / kRegisterBytes, 0, 0, 0, nullptr},
      {"VERTICAL_SCALE_0", kStreamsVerticalScale0 / kRegisterBytes, 0, 0, 0, nullptr},
      {"VERTICAL_SCALE_1", kStreamsVerticalScale1 / kRegisterBytes, 0, 0, 0, nullptr},
      {"VERTICAL_SCALE_2", kStreamsVerticalScale2 / kRegisterBytes, 0, 0, 0, nullptr},
      {"WINDOW_POSITION", kStreamsWindowPosition / kRegisterBytes, 0, 0, 0, nullptr},
      {"WINDOW_SIZE", kStreamsWindowSize / kRegisterBytes, 0, 0, 0, nullptr},
      {"BM_DESTINATION", kBmDestination / kRegisterBytes, 0, 0, 0, bus_master_.get()},
      {"BM_SOURCE", kBmSource / kRegisterBytes, 0, 0, 0, bus_master_.get()},
      {"BM_LENGTH", kBmLength / kRegisterBytes, 0, 0, 0, bus_master_.get()},
      {"BM_START", kBmStart / kRegisterBytes, 0, 0, 0, bus_master_.get()},
      // The video port keeps what is written; a field reads it.
      {"VIDEO_PORT_CONTROL", kVideoPortControl / kRegisterBytes, 0, 0, 0, video_port_.get()},
      {"FIELD_BUFFER_0", kFieldBuffer0 / kRegisterBytes, 0, 0, 0, nullptr},
      {"FIELD_BUFFER_1", kFieldBuffer1 / kRegisterBytes, 0, 0, 0, nullptr},
      {"VIDEO_WINDOW_SIZE", kVideoWindowSize / kRegisterBytes, 0, 0, 0, nullptr},
      {"VIDEO_WINDOW_OFFSET", kVideoWindowOffset / kRegisterBytes, 0, 0, 0, nullptr},
      {"HORIZONTAL_DECIMATION", kHorizontalDecimation / kRegisterBytes, 0, 0, 0, nullptr},
      {"VERTICAL_DECIMATION", kVerticalDecimation / kRegisterBytes, 0, 0, 0, nullptr},
      {"VIDEO_LINE_STRIDE", kVideoLineStride / kRegisterBytes, 0, 0, 0, nullptr},
  };
  // Only chip 0x8A22's window reaches the command engine's status; it is always idle.
  if (desc_.chip == kChip8A22)
    table.push_back({"BM_STATUS", kBmStatus / kRegisterBytes, kBmStatusIdle, ~0u, 0, nullptr});
  return table;
}

std::vector<RegisterInfo> Kt650Board::SequencerTable() {
  // {name, register, reset, read-only bits, write-1-to-clear bits, hook}
  return {
      {"SERIAL_ROUTE", kSrSerialRoute, 0, 0, 0, &serial_port_->route_hook()},
      {"MEMORY_CLOCK_NR", kSrMemoryClockNR, kMemoryClockNRReset, 0, 0, memory_clock_.get()},
      {"MEMORY_CLOCK_M", kSrMemoryClockM, kMemoryClockMReset, 0, 0, memory_clock_.get()},
      {"CLOCK_LOAD", kSrClockLoad, 0, 0, 0, memory_clock_.get()},
  };
}

Kt650Board::Kt650Board(const Kt650Desc& desc, std::shared_ptr<DisplayMemory> frameBuffer)
    : PciFunction(desc.bus, desc.device_number),
      desc_(desc),
      frame_buffer_(std::move(frameBuffer)),
      window_size_(Kt650RegisterWindowSize(desc.chip)),
      serial_port_(std::make_unique<Kt650SerialPort>(desc)),
      video_inputs_(std::make_unique<Kt650VideoInputs>(desc.type, desc.cameras, VideoDevices())),
      gpio_hook_(std::make_unique<GpioHook>(*video_inputs_)),
      memory_clock_(std::make_unique<Kt650MemoryClock>()),
      vga_(Kt650CrtcIdentity{desc.chip_revision, Kt650MemoryCode(desc.chip, frame_buffer_->size()), board_id()},
           desc.refresh_hz, SequencerTable()),
      bus_master_(std::make_unique<Kt650BusMaster>(*frame_buffer_)),
      engine_status_(std::make_unique<EngineStatusHook>(*bus_master_)),
      video_port_(std::make_unique<Kt650VideoPort>(desc.chip, desc.type, *frame_buffer_)),
      registers_(window_size_ / kRegisterBytes, DwordWide, RegisterTable()),
      lines_(desc.type, desc.revision),
      field_clock_(std::make_unique<Kt650FieldClock>(*this, desc.timing)) {
  SetUpConfigSpace();
  // The devices' signal status follows the cameras on their inputs.
  const Kt650VideoInputs* inputs = video_inputs_.get();
  if (Kt650Decoder2* decoder = serial_port_->decoder2()) decoder->ConnectInputs(inputs);
  if (Saa7110Model* saa = saa7110())
    saa->SetCameraProbe([inputs](int input) { return inputs->Source(Kt650VideoDevice::kDecoder, input); });
  status_device().SetSignalProbe([inputs] { return inputs->InterfaceSignal(); });
  window_ = MapBelow4G(window_size_, false);
  platform::MapMmioWindow(reinterpret_cast<std::uintptr_t>(window_), window_size_, this);
}

Kt650Board::~Kt650Board() {
  StopVideo();
  platform::UnmapMmioWindow(reinterpret_cast<std::uintptr_t>(window_));
  UnmapBelow4G(window_, window_size_);
}

void Kt650Board::SetUpConfigSpace() {
  SetWord(pci::kVendorId, kVendor);
  SetWord(pci::kDeviceId, desc_.chip);
  SetWord(pci::kCommand, 0x03);  // memory and I/O space on
  SetWritable(pci::kCommand, 1, 0x07);
  SetByte(pci::kRevision, desc_.chip_revision);
  SetByte(pci::kClassCode, static_cast<std::uint8_t>(kClassCode));
  SetByte(pci::kClassCode + 1, static_cast<std::uint8_t>(kClassCode >> 8));
  SetByte(pci::kClassCode + 2, static_cast<std::uint8_t>(kClassCode >> 16));
  SetWritable(pci::kLatencyTimer, 1);
  // Only the address bits above a window's size are writable, so that sizing works.
  auto memoryBar = [&](std::uint32_t offset, std::uint32_t value, std::uint32_t size) {
    SetDword(offset, value);
    for (unsigned byte = 0; byte < 4; ++byte) SetWritable(offset + byte, 1, BarMaskByte(size, byte));
  };
  if (desc_.chip == kChip8A22) {
    memoryBar(pci::kBar0, desc_.register_base, kRegisterWindowSize8A22);
    memoryBar(FrameBufferBar(desc_.chip), desc_.frame_buffer_base | kFrameBufferBarFlags8A22, kApertureSize8A22);
  } else {
    memoryBar(pci::kBar0, desc_.frame_buffer_base, kDecodeSizeOld);
  }
  std::uint32_t id = desc_.chip == kChip5631 ? 0 : board_id();
  SetWord(pci::kSubsystemVendor, static_cast<std::uint16_t>(id));
  SetWord(pci::kSubsystemId, static_cast<std::uint16_t>(id >> 16));
  SetByte(pci::kInterruptLine, desc_.interrupt_line);
  SetWritable(pci::kInterruptLine, 1);
  SetByte(pci::kInterruptPin, 1);
}

std::uint32_t Kt650Board::board_id() const {
  std::uint8_t type = desc_.chip == kChip8A22 ? static_cast<std::uint8_t>(desc_.type - kFirstType8A22) : desc_.type;
  return std::uint32_t(type & kBoardTypeMask) | std::uint32_t(desc_.board_code) << 8 |
         std::uint32_t(desc_.revision) << 16 | std::uint32_t(desc_.sub_revision) << 24;
}

std::uint32_t Kt650Board::FrameBufferBase() const { return ReadConfig(FrameBufferBar(desc_.chip), 4); }

Kt650Window Kt650Board::FrameBufferAperture() const {
  return Kt650Window{FrameBufferBase() & pci::kMemoryBarAddress, Kt650ApertureSize(desc_.chip), frame_buffer_->base()};
}

Kt650Window Kt650Board::RegisterWindow() const {
  std::uint32_t bar = ReadConfig(pci::kBar0, 4) & pci::kMemoryBarAddress;
  if (desc_.chip != kChip8A22) bar += kRegisterWindowOffsetOld;
  return Kt650Window{bar, window_size_, static_cast<BYTE*>(window_)};
}

bool Kt650Board::IsVgaOffset(std::uint32_t offset) {
  return offset >= kVgaPortBase && Kt650Vga::Holds(offset - kVgaPortBase);
}

std::uint8_t Kt650Board::ReadByteLocked(std::uint32_t offset, std::uint32_t* lastIndex, std::uint32_t* current) {
  if (offset >= window_size_) return 0;
  if (IsVgaOffset(offset)) return vga_.Read(static_cast<std::uint16_t>(offset - kVgaPortBase));
  // A register that an access touches in several bytes is read once, through its hook.
  std::uint32_t index = offset / kRegisterBytes;
  if (index != *lastIndex) {
    *lastIndex = index;
    *current = registers_.Read(index);
  }
  return static_cast<std::uint8_t>(*current >> (8 * (offset % kRegisterBytes)));
}

DWORD Kt650Board::MmioRead(DWORD offset, unsigned width) {
  std::lock_guard lock(mutex_);
  std::uint32_t lastIndex = ~0u, current = 0;
  DWORD value = 0;
  for (unsigned i = 0; i < width; ++i) value |= DWORD{ReadByteLocked(offset + i, &lastIndex, &current)} << (8 * i);
  return value;
}

void Kt650Board::MmioWrite(DWORD offset, unsigned width, DWORD value) {
  std::vector<Kt650LandedWrite> landed;
  Kt650Interrupt interrupt{};
  {
    std::lock_guard lock(mutex_);
    AppendBounded(writes_, Kt650RegisterWrite{Kt650AccessPath::kMmio, offset, width, value});
    WriteLocked(offset, width, value);
    video_port_->Observe(CaptureStateLocked());
    landed = serial_port_->TakeLandedWrites();
    bool vga = false;
    for (unsigned i = 0; i < width; ++i) vga = vga || IsVgaOffset(offset + i);
    interrupt = ObserveLinesLocked(landed, vga);
  }
  // Outside the lock, so that a test's hook and the driver's service routine may wait
  // for a thread that uses the board.
  Deliver(interrupt);
  serial_port_->RunWriteHooks(landed);
}

void Kt650Board::WriteLocked(std::uint32_t offset, unsigned width, std::uint32_t value) {
  // Bytes in address order: VGA ports one by one (a word at the CRTC index port
  // sets the index, then the data), other registers once each with the bytes the
  // access covers.
  std::uint32_t index = ~0u, bits = 0, mask = 0;
  auto flush = [&] {
    if (mask) registers_.Write(index, bits, mask);
    bits = mask = 0;
  };
  for (unsigned i = 0; i < width; ++i) {
    std::uint32_t at = offset + i;
    auto byte = static_cast<std::uint8_t>(value >> (8 * i));
    if (at >= window_size_) continue;
    if (IsVgaOffset(at)) {
      flush();
      vga_.Write(static_cast<std::uint16_t>(at - kVgaPortBase), byte);
      continue;
    }
    if (at / kRegisterBytes != index) {
      flush();
      index = at / kRegisterBytes;
    }
    bits |= std::uint32_t{byte} << (8 * (at % kRegisterBytes));
    mask |= 0xFFu << (8 * (at % kRegisterBytes));
  }
  flush();
}

DWORD Kt650Board::PortRead(WORD port, unsigned width) {
  std::lock_guard lock(mutex_);
  DWORD value = 0;
  for (unsigned i = 0; i < width; ++i) {
    std::uint32_t p = port + i;
    std::uint8_t byte = Kt650Vga::Holds(p) ? vga_.Read(static_cast<std::uint16_t>(p)) : 0xFF;
    value |= DWORD{byte} << (8 * i);
  }
  return value;
}

void Kt650Board::PortWrite(WORD port, unsigned width, DWORD value) {
  std::vector<Kt650LandedWrite> landed;
  Kt650Interrupt interrupt{};
  {
    std::lock_guard lock(mutex_);
    AppendBounded(writes_, Kt650RegisterWrite{Kt650AccessPath::kPort, kVgaPortBase + port, width, value});
    for (unsigned i = 0; i < width; ++i)
      if (Kt650Vga::Holds(port + i))
        vga_.Write(static_cast<std::uint16_t>(port + i), static_cast<std::uint8_t>(value >> (8 * i)));
    // Turning the serial route moves the bus's lines: a byte may land.
    video_port_->Observe(CaptureStateLocked());
    landed = serial_port_->TakeLandedWrites();
    interrupt = ObserveLinesLocked(landed, true);
  }
  Deliver(interrupt);
  serial_port_->RunWriteHooks(landed);
}

void Kt650Board::SetDesktop(const DesktopMode* mode) {
  std::uint32_t field = 1;  // nothing in use
  std::uint8_t depth = kColourMode8;
  if (mode && mode->width != 0) {
    // The desktop takes display memory from the start up to its end.
    std::uint64_t end = mode->offset + std::uint64_t(mode->pitch) * mode->height;
    field =
        static_cast<std::uint32_t>(std::min<std::uint64_t>((end + kKilobyte - 1) / kKilobyte + 1, kDesktopFieldMax));
    depth = ColourModeOf(mode->format);
  }
  std::lock_guard lock(mutex_);
  RegisterFile& crtc = vga_.crtc();
  crtc.Set(kCrtcDesktopHigh, field >> 8);
  crtc.Set(kCrtcDesktopLow, field & 0xFF);
  crtc.Set(kCrtcColourMode, (crtc.Get(kCrtcColourMode) & ~std::uint32_t{kColourModeDepthMask}) | depth);
}

void Kt650Board::SetRefreshRate(std::uint32_t hz) {
  std::lock_guard lock(mutex_);
  vga_.SetRefreshRate(hz);
}

std::uint8_t Kt650Board::Crtc(std::uint8_t index) const {
  std::lock_guard lock(mutex_);
  return static_cast<std::uint8_t>(vga_.crtc().Get(index));
}

void Kt650Board::SetCrtc(std::uint8_t index, std::uint8_t value) {
  std::lock_guard lock(mutex_);
  vga_.crtc().Set(index, value);
}

std::uint8_t Kt650Board::Sequencer(std::uint8_t index) const {
  std::lock_guard lock(mutex_);
  return static_cast<std::uint8_t>(vga_.sequencer().Get(index));
}

void Kt650Board::SetSequencer(std::uint8_t index, std::uint8_t value) {
  std::lock_guard lock(mutex_);
  vga_.sequencer().Set(index, value);
}

std::uint32_t Kt650Board::Register(std::uint32_t offset) const {
  std::lock_guard lock(mutex_);
  if (!IsVgaOffset(offset)) return registers_.Get(offset / kRegisterBytes);
  std::uint32_t value = 0;
  for (unsigned i = 0; i < kRegisterBytes; ++i)
    value |= std::uint32_t{vga_.Peek(static_cast<std::uint16_t>(offset + i - kVgaPortBase))} << (8 * i);
  return value;
}

void Kt650Board::SetRegister(std::uint32_t offset, std::uint32_t value) {
  std::lock_guard lock(mutex_);
  registers_.Set(offset / kRegisterBytes, value);
}

std::uint32_t Kt650Board::SourceEnables() const {
  std::lock_guard lock(mutex_);
  return registers_.Get(kEngineStatus / kRegisterBytes);
}

void Kt650Board::SetInterruptSink(InterruptSink sink) {
  std::lock_guard lock(mutex_);
  sink_ = std::move(sink);
}

void Kt650Board::ConnectBus(PhysicalMemory* memory) {
  std::lock_guard lock(mutex_);
  bus_master_->SetMemory(memory);
}

void Kt650Board::SetBusMasterFault(Kt650EngineFault fault) {
  std::lock_guard lock(mutex_);
  bus_master_->SetFault(fault);
}

void Kt650Board::StartVideo(Kt650FieldClock::ServedWaiter servedWaiter) {
  field_clock_->SetServedWaiter(std::move(servedWaiter));
  if (desc_.timing.running) field_clock_->Start();
}

void Kt650Board::StopVideo() { field_clock_->Stop(); }

Kt650CaptureState Kt650Board::CaptureStateLocked() const {
  Kt650CaptureState state;
  std::uint32_t control = registers_.Get(kVideoPortControl / kRegisterBytes);
  bool portRunning = (control & kVideoPortRun) && !(control & kVideoPortReset);
  if (desc_.type < kFirstType8A22) {
    // The older chips have no capture switch: the library freezes by decimation.
    state.on = portRunning && registers_.Get(kHorizontalDecimation / kRegisterBytes) != kDecimationFreeze;
  } else if (const Kt650BoardControl* boardControl = serial_port_->board_control()) {
    state.mode = boardControl->Register(kBcCapture);
    state.on = portRunning && boardControl->CaptureRunning();
  }
  return state;
}

void Kt650Board::FieldBoundary(std::uint32_t count) {
  std::optional<Kt650FieldWrite> field;
  {
    std::lock_guard lock(mutex_);
    field_count_ = count;
    lines_.FieldBegins(LineRegistersLocked(), count);
    if (count == 0) return video_port_->BeginField();
    auto get = [this](std::uint32_t offset) { return registers_.Get(offset / kRegisterBytes); };
    Kt650VideoPortRegisters r;
    r.buffer0 = get(kFieldBuffer0);
    r.buffer1 = get(kFieldBuffer1);
    r.window_size = get(kVideoWindowSize);
    r.window_offset = get(kVideoWindowOffset);
    r.horizontal_mask = get(kHorizontalDecimation);
    r.vertical_mask = get(kVerticalDecimation);
    r.stride = get(kVideoLineStride);
    field = video_port_->EndField(count - 1, CaptureStateLocked(), r, video_inputs_->SelectedSource().standard);
    video_port_->BeginField();
  }
  // Outside the lock: the host's register accesses are not held up by a field.
  if (field) video_port_->Write(*field);
}

void Kt650Board::VerticalSync(bool field, std::uint8_t frameCounter) {
  Kt650Interrupt interrupt;
  {
    std::lock_guard lock(mutex_);
    field_ = field;
    frame_counter_ = frameCounter;
    // Types 0-2 show the field on the general-purpose port, types 3-5 in the status byte.
    if (desc_.type < kFirstType8A22) {
      std::uint32_t index = kGeneralPurposePort / kRegisterBytes;
      registers_.Set(index, (registers_.Get(index) & ~kGpioField) | (field ? kGpioField : 0));
    } else {
      serial_port_->status_device().SetField(field);
    }
    interrupt = RaiseLocked(kSourceVerticalSync);
  }
  Deliver(interrupt);
}

void Kt650Board::RaiseInterrupt(std::uint16_t sources) {
  Kt650Interrupt interrupt;
  {
    std::lock_guard lock(mutex_);
    interrupt = RaiseLocked(sources);
  }
  Deliver(interrupt);
}

Kt650Interrupt Kt650Board::RaiseLocked(std::uint16_t sources) {
  // The status shows a raised source whether or not it is enabled, for polling.
  std::uint32_t interruptControl = kInterruptControl / kRegisterBytes;
  registers_.Set(interruptControl, registers_.Get(interruptControl) | (sources & kInterruptStatusBits));
  Kt650InterruptEnables enables;
  enables.interrupt_control = registers_.Get(interruptControl);
  enables.source_enables = registers_.Get(kEngineStatus / kRegisterBytes);
  enables.crtc_interrupt = static_cast<std::uint8_t>(vga_.crtc().Get(kCrtcInterruptEnable));
  if (const Kt650BoardControl* boardControl = serial_port_->board_control()) {
    enables.line_enables = boardControl->Register(kBcLineEnables);
  } else if (const Kt650ControlPort* port = serial_port_->control_port()) {
    enables.line_enables = port->Register(kPortLineEnables);
    enables.line_control = port->Register(kPortLineControl);
  }
  return Kt650Interrupt{Kt650SourcesLetOut(desc_.type, enables, sources), field_, frame_counter_};
}

Kt650LineRegisters Kt650Board::LineRegistersLocked() const {
  Kt650LineRegisters r;
  if (Kt650BoardControl* control = serial_port_->board_control())
    for (std::uint8_t i = 0; i < kBoardControlCount; ++i) r.control[i] = control->Register(i);
  if (Kt650ControlPort* port = serial_port_->control_port()) {
    for (std::uint8_t i = 0; i < kPortRegisterCount; ++i) r.port[i] = port->Register(i);
    r.latch = port->Latch();
  }
  r.crtc_general_output = static_cast<std::uint8_t>(vga_.crtc().Get(kCrtcGeneralOutput));
  return r;
}

Kt650Interrupt Kt650Board::ObserveLinesLocked(const std::vector<Kt650LandedWrite>& landed, bool vgaWritten) {
  // Only a device register or the CRTC can move a line.
  if (landed.empty() && !vgaWritten) return Kt650Interrupt{};
  std::uint16_t raised = lines_.Observe(LineRegistersLocked(), landed, field_count_);
  return raised ? RaiseLocked(raised) : Kt650Interrupt{};
}

void Kt650Board::SetLineInput(unsigned line, bool level) {
  Kt650Interrupt interrupt{};
  {
    std::lock_guard lock(mutex_);
    std::uint16_t raised = lines_.SetInput(line, level, LineRegistersLocked(), field_count_);
    if (raised) interrupt = RaiseLocked(raised);
  }
  Deliver(interrupt);
}

bool Kt650Board::LineInput(unsigned line) const {
  std::lock_guard lock(mutex_);
  return lines_.Input(line);
}

bool Kt650Board::StrobeOutput(unsigned line) const {
  std::lock_guard lock(mutex_);
  return lines_.Output(line);
}

std::vector<Kt650OutputChange> Kt650Board::OutputChanges() const {
  std::lock_guard lock(mutex_);
  return lines_.changes();
}

void Kt650Board::ClearOutputChanges() {
  std::lock_guard lock(mutex_);
  lines_.ClearChanges();
}

std::uint32_t Kt650Board::FieldCount() const {
  std::lock_guard lock(mutex_);
  return field_count_;
}

void Kt650Board::Deliver(const Kt650Interrupt& interrupt) {
  if (interrupt.sources == 0) return;
  InterruptSink sink;
  {
    std::lock_guard lock(mutex_);
    sink = sink_;
  }
  if (sink) sink(interrupt);
}

void Kt650Board::ComposeStreams(const DesktopMode& desktop, Picture* picture) const {
  auto get = [this](std::uint32_t offset) { return registers_.Get(offset / kRegisterBytes); };
  Kt650StreamsRegisters r;
  {
    std::lock_guard lock(mutex_);
    r.key_control = get(kStreamsKeyControl);
    r.secondary_control = get(kStreamsSecondaryControl);
    r.chroma_upper = get(kStreamsChromaUpper);
    r.horizontal_scale = get(kStreamsHorizontalScale);
    r.blend_control = get(kStreamsBlendControl);
    r.secondary_start = get(kStreamsSecondaryStart0);
    r.secondary_stride = get(kStreamsSecondaryStride);
    r.vertical_scale0 = get(kStreamsVerticalScale0);
    r.vertical_scale1 = get(kStreamsVerticalScale1);
    r.vertical_scale2 = get(kStreamsVerticalScale2);
    r.window_position = get(kStreamsWindowPosition);
    r.window_size = get(kStreamsWindowSize);
  }
  // The scan-out sees whole lines of the field being captured.
  auto scanOut = video_port_->HoldFieldWrites();
  ComposeKt650Streams(r, desc_.chip == kChip8A22, *frame_buffer_, desktop, picture);
}

std::uint8_t Kt650Board::Lut(unsigned bank, unsigned index) const {
  if (const Kt650ControlPort* port = serial_port_->control_port()) return port->Lut(bank, index);
  return serial_port_->board_control()->Lut(bank, index);
}

double Kt650Board::MemoryClockMhz() const {
  std::lock_guard lock(mutex_);
  return memory_clock_->Mhz();
}

std::vector<Kt650RegisterWrite> Kt650Board::RegisterWrites() const {
  std::lock_guard lock(mutex_);
  return writes_;
}

void Kt650Board::ClearRegisterWrites() {
  std::lock_guard lock(mutex_);
  writes_.clear();
}

}  // namespace sim
