#include "outside/twain_app/test_application.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "outside/twain_dsm/twain_dsm.h"
#include "platform/automation.h"
#include "platform/global_memory.h"

namespace twain_app {
namespace {

constexpr char kWindowClass[] = "TwainTestApplication";
constexpr char kWindowTitle[] = "TWAIN test application";

constexpr TW_UINT16 kDontCare16 = 0xFFFF;
constexpr TW_UINT32 kDontCare32 = 0xFFFFFFFF;
// A source that never ends its strips or its list is cut off here.
constexpr int kMaxStrips = 4096;
constexpr std::size_t kMaxListed = 1000;

HINSTANCE OwnInstance() { return platform::ModuleFromAddress(reinterpret_cast<const void*>(&OwnInstance)); }

// The class is registered once per module and stays while the module does.
bool RegisterWindowClass() {
  WNDCLASSEXA existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExA(OwnInstance(), kWindowClass, &existing)) return true;
  WNDCLASSA wc{};
  wc.lpfnWndProc = &DefWindowProcA;
  wc.hInstance = OwnInstance();
  wc.lpszClassName = kWindowClass;
  return RegisterClassA(&wc) != 0;
}

// A TW_STR32 or TW_STR255 field: the text cut to fit, then zeros.
void SetString(char* field, std::size_t size, const std::string& text) {
  std::size_t length = std::min(text.size(), size - 1);
  std::memset(field, 0, size);
  std::memcpy(field, text.data(), length);
}

std::string ProductNameOf(const TW_IDENTITY& identity) {
  char name[sizeof(TW_STR32)];
  std::memcpy(name, identity.ProductName, sizeof name);
  name[sizeof name - 1] = '\0';
  return name;
}

}  // namespace

TestApplication::TestApplication(const char* productName) {
  TW_IDENTITY identity{};
  identity.Id = 0;
  identity.Version.MajorNum = 1;
  identity.Version.MinorNum = 0;
  identity.Version.Language = TWLG_USA;
  identity.Version.Country = TWCY_USA;
  SetString(identity.Version.Info, sizeof(TW_STR32), "1.0");
  identity.ProtocolMajor = 1;
  identity.ProtocolMinor = 9;
  identity.SupportedGroups = DG_CONTROL | DG_IMAGE;
  SetString(identity.Manufacturer, sizeof(TW_STR32), "Test");
  SetString(identity.ProductFamily, sizeof(TW_STR32), "Test");
  SetString(identity.ProductName, sizeof(TW_STR32), productName ? productName : "");
  identity_ = identity;
}

TestApplication::~TestApplication() {
  if (source_open_) CloseSource();
  if (manager_open_) CloseManager();
  if (window_ && IsWindow(window_)) DestroyWindow(window_);
}

TW_UINT16 TestApplication::OpenManager() {
  if (!window_ && RegisterWindowClass())
    window_ = CreateWindowExA(0, kWindowClass, kWindowTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 320, 240,
                              nullptr, nullptr, OwnInstance(), nullptr);
  TW_UINT16 rc = DSM_Entry(&identity_, nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &window_);
  if (rc == TWRC_SUCCESS) manager_open_ = true;
  return rc;
}

TW_UINT16 TestApplication::CloseManager() {
  TW_UINT16 rc = DSM_Entry(&identity_, nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &window_);
  if (rc != TWRC_SUCCESS) return rc;
  manager_open_ = false;
  if (window_) DestroyWindow(window_);
  window_ = nullptr;
  return rc;
}

std::vector<TW_IDENTITY> TestApplication::ListSources() {
  std::vector<TW_IDENTITY> listed;
  TW_IDENTITY identity{};
  TW_UINT16 rc = DSM_Entry(&identity_, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &identity);
  while (rc == TWRC_SUCCESS && listed.size() < kMaxListed) {
    listed.push_back(identity);
    rc = DSM_Entry(&identity_, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &identity);
  }
  return listed;
}

TW_UINT16 TestApplication::OpenSource(const std::string& productName) {
  TW_IDENTITY chosen{};
  for (const TW_IDENTITY& listed : ListSources())
    if (productName.empty() || ProductNameOf(listed) == productName) {
      chosen = listed;
      break;
    }
  chosen.Id = 0;
  SetString(chosen.ProductName, sizeof(TW_STR32), productName);
  source_ = chosen;
  TW_UINT16 rc = DSM_Entry(&identity_, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source_);
  if (rc == TWRC_SUCCESS) source_open_ = true;
  return rc;
}

TW_UINT16 TestApplication::CloseSource() {
  TW_UINT16 rc = DSM_Entry(&identity_, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source_);
  if (rc == TWRC_SUCCESS) source_open_ = false;
  return rc;
}

TW_UINT16 TestApplication::Send(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  return DSM_Entry(&identity_, &source_, dg, dat, msg, data);
}

// The code the answer holds: TWCC_SUCCESS also when the status triplet itself failed.
TW_UINT16 TestApplication::SourceCondition() {
  TW_STATUS status{};
  Send(DG_CONTROL, DAT_STATUS, MSG_GET, &status);
  conditions_.push_back(status.ConditionCode);
  return status.ConditionCode;
}

TW_UINT16 TestApplication::ManagerCondition() {
  TW_STATUS status{};
  DSM_Entry(&identity_, nullptr, DG_CONTROL, DAT_STATUS, MSG_GET, &status);
  conditions_.push_back(status.ConditionCode);
  return status.ConditionCode;
}

CapabilityAnswer TestApplication::GetCapability(TW_UINT16 cap, TW_UINT16 msg) {
  CapabilityAnswer answer;
  TW_CAPABILITY capability{cap, 0, nullptr};
  answer.rc = Send(DG_CONTROL, DAT_CAPABILITY, msg, &capability);
  answer.con_type = capability.ConType;
  TW_HANDLE container = capability.hContainer;
  if (container) {
    answer.has_container = true;
    answer.allocated = GlobalSize(container);
    const auto* bytes = static_cast<const std::uint8_t*>(container);
    answer.container.assign(bytes, bytes + ContainerLength(answer.con_type, bytes, answer.allocated));
    std::free(container);
  }
  return answer;
}

TW_UINT16 TestApplication::SetCapability(TW_UINT16 cap, TW_UINT16 conType, const Bytes& container, TW_UINT16 msg) {
  void* block = std::malloc(std::max<std::size_t>(container.size(), 1));
  if (!block) return TWRC_FAILURE;
  if (!container.empty()) std::memcpy(block, container.data(), container.size());
  TW_CAPABILITY capability{cap, conType, block};
  TW_UINT16 rc = Send(DG_CONTROL, DAT_CAPABILITY, msg, &capability);
  std::free(block);
  return rc;
}

TW_UINT16 TestApplication::SetOneValue(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 item, TW_UINT16 msg) {
  TW_ONEVALUE value{itemType, item};
  Bytes container(sizeof value);
  std::memcpy(container.data(), &value, sizeof value);
  return SetCapability(cap, TWON_ONEVALUE, container, msg);
}

TW_UINT16 TestApplication::Enable(bool showUi, bool modalUi) {
  TW_USERINTERFACE ui{static_cast<TW_BOOL>(showUi), static_cast<TW_BOOL>(modalUi), window_};
  return Send(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
}

TW_UINT16 TestApplication::Disable(bool showUi) {
  TW_USERINTERFACE ui{static_cast<TW_BOOL>(showUi), 0, window_};
  return Send(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
}

// Every message goes to the open source first; what it takes is not dispatched.
bool TestApplication::ProcessEvent(MSG* msg) {
  if (!source_open_) return false;
  TW_EVENT event{msg, MSG_NULL};
  TW_UINT16 rc = Send(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
  TW_UINT16 message = event.TWMessage;
  if (message == MSG_XFERREADY || message == MSG_CLOSEDSREQ) notifications_.push_back(message);
  return rc == TWRC_DSEVENT;
}

bool TestApplication::WaitForNotification(TW_UINT16 message, DWORD timeoutMs) {
  bool arrived = false;
  auto done = [&] {
    for (std::size_t i = notifications_seen_; !arrived && i < notifications_.size(); ++i)
      if (notifications_[i] == message) {
        notifications_seen_ = i + 1;
        arrived = true;
      }
    return arrived;
  };
  return platform::automation::RunUntil(done, timeoutMs, [this](MSG* msg) { return ProcessEvent(msg); });
}

void TestApplication::RunMessageLoop(DWORD milliseconds) {
  platform::automation::RunFor(milliseconds, [this](MSG* msg) { return ProcessEvent(msg); });
}

NativeTransfer TestApplication::TakeNative() {
  NativeTransfer transfer;
  TW_HANDLE handle = nullptr;
  transfer.rc = Send(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle);
  if (transfer.rc == TWRC_XFERDONE && handle) {
    const auto* bytes = static_cast<const std::uint8_t*>(handle);
    transfer.dib.assign(bytes, bytes + DibLength(bytes, GlobalSize(handle)));
    std::free(handle);
  }
  if (transfer.rc == TWRC_XFERDONE) EndTransfer();
  native_transfers_.push_back(transfer);
  return transfer;
}

MemoryTransfer TestApplication::TakeMemory(TW_UINT32 bufferBytes) {
  MemoryTransfer transfer;
  TW_SETUPMEMXFER setup{};
  Send(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup);
  if (bufferBytes == 0) bufferBytes = setup.Preferred;
  TW_IMAGEINFO info{};
  transfer.info_rc = Send(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info);
  transfer.info = info;

  auto* buffer = static_cast<std::uint8_t*>(std::malloc(std::max<std::size_t>(bufferBytes, 1)));
  if (!buffer) {
    memory_transfers_.push_back(transfer);
    return transfer;
  }
  for (int call = 0; call < kMaxStrips; ++call) {
    TW_IMAGEMEMXFER record{
        kDontCare16, kDontCare32, kDontCare32, kDontCare32,
        kDontCare32, kDontCare32, kDontCare32, TW_MEMORY{TWMF_APPOWNS | TWMF_POINTER, bufferBytes, buffer}};
    MemoryStrip strip;
    strip.rc = Send(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &record);
    strip.record = record;
    if (strip.rc == TWRC_SUCCESS || strip.rc == TWRC_XFERDONE) {
      std::size_t written = std::min<std::size_t>(record.BytesWritten, bufferBytes);
      strip.data.assign(buffer, buffer + written);
    }
    transfer.strips.push_back(strip);
    if (strip.rc != TWRC_SUCCESS) {
      transfer.rc = strip.rc;
      break;
    }
  }
  std::free(buffer);
  if (transfer.rc == TWRC_XFERDONE) EndTransfer();
  memory_transfers_.push_back(transfer);
  return transfer;
}

FileTransfer TestApplication::TakeFile(const std::string& path) {
  FileTransfer transfer;
  transfer.path = path;
  TW_SETUPFILEXFER setup{};
  SetString(setup.FileName, sizeof(TW_STR255), path);
  setup.Format = TWFF_BMP;
  setup.VRefNum = 0;
  Send(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup);
  transfer.rc = Send(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr);
  if (transfer.rc == TWRC_XFERDONE) {
    std::ifstream in(path, std::ios::binary);
    transfer.contents.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    EndTransfer();
  }
  file_transfers_.push_back(transfer);
  return transfer;
}

TW_UINT16 TestApplication::EndTransfer(TW_PENDINGXFERS* pending) {
  TW_PENDINGXFERS answer{};
  TW_UINT16 rc = Send(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &answer);
  if (pending) *pending = answer;
  return rc;
}

}  // namespace twain_app
