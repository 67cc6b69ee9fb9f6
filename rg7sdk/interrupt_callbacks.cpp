#include "rg7sdk/interrupt_callbacks.h"

#include <chrono>
#include <condition_variable>
#include <vector>

#include "platform/sync.h"
#include "rg7sdk/board_nodes.h"
#include "rg7sdk/driver_link.h"
#include "rg7sdk/global_block.h"
#include "rg7sdk/grab_state_machine.h"
#include "rg7sdk/rg700_registers.h"
#include "rg7sdk/rg7sdk.h"

namespace rg7 {
namespace {

std::mutex g_lock;
std::condition_variable g_dispatchEnded;
// Dispatch bookkeeping: which dispatch runs, on which thread, and the nodes
// unlinked during it that it may still call.
bool g_dispatching = false;
DWORD g_dispatchThread = 0;
std::uint64_t g_dispatchStarted = 0;
std::uint64_t g_dispatchFinished = 0;
std::vector<InterruptCallbackNode*> g_retired;

void FreeNode(InterruptCallbackNode* node) { FreeGlobalBlock(node); }

InterruptCallbackNode* FindOwner(RG7BoardRecord& board, std::uintptr_t owner) {
  for (InterruptCallbackNode* n = board.internal_list; n; n = n->next)
    if (reinterpret_cast<std::uintptr_t>(n->handler) == owner) return n;
  for (InterruptCallbackNode* n = board.user_list; n; n = n->next)
    if (reinterpret_cast<std::uintptr_t>(n->callback) == owner) return n;
  return nullptr;
}

std::uint32_t OthersEnabled(RG7BoardRecord& board, const InterruptCallbackNode* except) {
  std::uint32_t others = 0;
  for (InterruptCallbackNode* n = board.internal_list; n; n = n->next)
    if (n != except) others |= n->enabled;
  for (InterruptCallbackNode* n = board.user_list; n; n = n->next)
    if (n != except) others |= n->enabled;
  return others;
}

// The decoder interrupt carries the event and trigger inputs: it is needed while the
// mask holds an input or any connection has the decoder bit or an input enabled.
bool DecoderInUse(RG7BoardRecord& board, std::uint32_t mask) {
  constexpr std::uint32_t kInputs = irq::kEvent | irq::kTrigger;
  return (mask & kInputs) || (OthersEnabled(board, nullptr) & (kInputs | irq::kDecoder));
}

// GIO register B latches: acknowledged by a low pulse of their enable bit.
void PulseLatchEnable(std::uint32_t enableBit) {
  std::uint32_t gio = IHW_GetRegister(reg::kGioB);
  IHW_SetRegister(reg::kGioB, gio & ~enableBit);
  IHW_SetRegister(reg::kGioB, gio);
}

std::int32_t IrqStatusLocked(std::uint32_t mask) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  RG7BoardRecord& board = CurrentBoardRecord();
  std::uint32_t gio = IHW_GetRegister(reg::kGioB);
  std::uint32_t latched = board.latched.load(std::memory_order_relaxed);
  if (gio & reg::kEventLatched) {
    IHW_SetRegister(reg::kGioB, gio & ~reg::kEventLatchEnable);
    IHW_SetRegister(reg::kGioB, gio);
    latched |= irq::kEvent;
  }
  if (gio & reg::kTriggerLatched) {
    IHW_SetRegister(reg::kGioB, gio & ~reg::kTriggerLatchEnable);
    IHW_SetRegister(reg::kGioB, gio);
    latched |= irq::kTrigger;
  }
  latched |= ReadLatchedIrqStatus();
  latched &= ~0x4u;
  latched &= SlotMaskLocked(CurrentBoardIndex());
  board.latched.store(latched, std::memory_order_relaxed);
  return static_cast<std::int32_t>(mask & latched);
}

std::int32_t IrqResetLocked(std::uint32_t bits) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  RG7BoardRecord& board = CurrentBoardRecord();
  board.latched.fetch_and(~bits, std::memory_order_relaxed);
  if (bits & irq::kEvent) PulseLatchEnable(reg::kEventLatchEnable);
  if (bits & irq::kTrigger) PulseLatchEnable(reg::kTriggerLatchEnable);
  return 0;
}

void WriteMaskRegister(std::uint32_t slotMask) { IHW_SetRegister(reg::kInterruptMask, slotMask & irq::kHardwareMask); }

// Takes `drop` out of the current board's mask and writes the register. The decoder
// interrupt goes with its last user; `keepDecoderInUse` keeps it while it has one
// even when `drop` names it.
void DropBitsLocked(RG7BoardRecord& board, std::uint32_t drop, bool keepDecoderInUse) {
  std::uint32_t& slotMask = SlotMaskLocked(CurrentBoardIndex());
  if (keepDecoderInUse && DecoderInUse(board, slotMask & ~drop)) drop &= ~irq::kDecoder;
  slotMask &= ~drop;
  if (!DecoderInUse(board, slotMask)) slotMask &= ~irq::kDecoder;
  WriteMaskRegister(slotMask);
}

}  // namespace

std::mutex& IrqLock() { return g_lock; }

void CallbackListAppend(InterruptCallbackNode** head, InterruptCallbackNode* node) {
  node->next = nullptr;
  node->prev = nullptr;
  if (!*head) {
    *head = node;
    return;
  }
  InterruptCallbackNode* tail = *head;
  while (tail->next) tail = tail->next;
  tail->next = node;
  node->prev = tail;
}

InterruptCallbackNode* CallbackListPopFront(InterruptCallbackNode** head) {
  InterruptCallbackNode* node = *head;
  if (!node) return nullptr;
  *head = node->next;
  if (*head) (*head)->prev = nullptr;
  node->next = node->prev = nullptr;
  return node;
}

void CallbackListUnlink(InterruptCallbackNode** head, InterruptCallbackNode* node) {
  if (node->prev)
    node->prev->next = node->next;
  else if (*head == node)
    *head = node->next;
  if (node->next) node->next->prev = node->prev;
  node->next = node->prev = nullptr;
}

InterruptCallbackNode* CallbackListRemove(InterruptCallbackNode** head, RG7InterruptCallback callback) {
  for (InterruptCallbackNode* n = *head; n; n = n->next) {
    if (n->callback != callback) continue;
    CallbackListUnlink(head, n);
    return n;
  }
  return nullptr;
}

InterruptCallbackNode* AllocateCallbackNode() { return AllocateGlobalRecord<InterruptCallbackNode>(); }

void RetireCallbackNode(std::unique_lock<std::mutex>& lock, InterruptCallbackNode* node) {
  node->removed = 1;
  if (node->cleanup) node->cleanup(node);
  if (!g_dispatching) {
    FreeNode(node);
    return;
  }
  if (g_dispatchThread == GetCurrentThreadId()) {
    // Called from a callback: the dispatch frees it when it ends.
    g_retired.push_back(node);
    return;
  }
  std::uint64_t running = g_dispatchStarted;
  g_dispatchEnded.wait(lock, [&] { return g_dispatchFinished >= running; });
  FreeNode(node);
}

std::int32_t ConnectInternalCallback(std::uint32_t, InternalInterruptHandler handler, std::uint32_t allowed,
                                     std::uintptr_t context) {
  InterruptCallbackNode* node = AllocateCallbackNode();
  if (!node) return RG7_ERR_NO_MEMORY;
  node->allowed = allowed;
  node->handler = handler;
  node->context = context;
  std::lock_guard lock(g_lock);
  CallbackListAppend(&CurrentBoardRecord().internal_list, node);
  return 0;
}

std::int32_t GetBoardIrqInfo(BoardIrqInfo* info) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  RG7BoardRecord& board = CurrentBoardRecord();
  info->line = static_cast<std::uint8_t>(GetBoardIrqLine());
  info->grab_running = GrabRunning(board) ? 1 : 0;
  info->variant = static_cast<std::uint16_t>(GetBoardVariant());
  return 0;
}

std::uint32_t ReadLatchedIrqStatus() { return DrvReadIrqStatus() & irq::kHardwareMask; }

std::int32_t DispatchInterrupts() {
  std::vector<InterruptCallbackNode*> internal, user;
  RG7BoardRecord& board0 = g_boardRecords[0];
  std::uint32_t status;
  RG7BoardRecord* current;
  {
    std::lock_guard lock(g_lock);
    std::int32_t s = IrqStatusLocked(SlotMaskLocked(0));
    // A closed board reports a failure code, not bits: nothing is pending then.
    if (s <= 0) return 1;
    status = static_cast<std::uint32_t>(s);
    IrqResetLocked(status);
    current = &CurrentBoardRecord();
    // Vertical-sync queries read this word, never the driver's latch.
    current->vsync.fetch_or(status & irq::kFields, std::memory_order_relaxed);
    for (InterruptCallbackNode* n = current->internal_list; n; n = n->next) internal.push_back(n);
    for (InterruptCallbackNode* n = board0.user_list; n; n = n->next) user.push_back(n);
    g_dispatching = true;
    g_dispatchThread = GetCurrentThreadId();
    ++g_dispatchStarted;
  }
  board0.dispatching.store(status, std::memory_order_relaxed);

  auto enabledBits = [&](InterruptCallbackNode* n) {
    std::lock_guard lock(g_lock);
    return n->removed ? 0u : n->enabled & status;
  };
  for (InterruptCallbackNode* n : internal) {
    std::uint32_t bits = enabledBits(n);
    if (!bits || !n->handler) continue;
    std::uint32_t offered = bits;
    n->handler(&bits, n->context);
    status &= ~(offered & ~bits);
  }
  for (InterruptCallbackNode* n : user) {
    std::uint32_t bits = enabledBits(n);
    if (bits && n->callback) n->callback(bits, n->context);
  }

  board0.dispatching.store(0, std::memory_order_relaxed);
  std::vector<InterruptCallbackNode*> retired;
  {
    std::lock_guard lock(g_lock);
    IrqResetLocked(status);
    g_dispatching = false;
    g_dispatchFinished = g_dispatchStarted;
    retired.swap(g_retired);
  }
  g_dispatchEnded.notify_all();
  for (InterruptCallbackNode* n : retired) FreeNode(n);
  return 0;
}

void WaitForDispatchToEndLocked(std::unique_lock<std::mutex>& lock) {
  if (!g_dispatching || g_dispatchThread == GetCurrentThreadId()) return;
  std::uint64_t running = g_dispatchStarted;
  g_dispatchEnded.wait(lock, [&] { return g_dispatchFinished >= running; });
}

void WaitBeforeLineConnectLocked(std::unique_lock<std::mutex>& lock) {
  WaitForDispatchToEndLocked(lock);
  WaitForServiceStopsLocked(lock);
}

void WaitForDispatchToEnd() {
  std::unique_lock lock(g_lock);
  WaitForDispatchToEndLocked(lock);
}

bool InDispatchOnThisThread() {
  std::lock_guard lock(g_lock);
  return g_dispatching && g_dispatchThread == GetCurrentThreadId();
}

bool WaitForRunningDispatch(std::uint32_t milliseconds) {
  std::unique_lock lock(g_lock);
  if (!g_dispatching || g_dispatchThread == GetCurrentThreadId()) return true;
  std::uint64_t running = g_dispatchStarted;
  return g_dispatchEnded.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                  [&] { return g_dispatchFinished >= running; });
}

void ClearCallbackLists(RG7BoardRecord& board) {
  std::unique_lock lock(g_lock);
  for (InterruptCallbackNode** head : {&board.internal_list, &board.user_list})
    while (InterruptCallbackNode* n = CallbackListPopFront(head)) RetireCallbackNode(lock, n);
}

std::int32_t IrqDisableLocked(std::uint32_t bits, std::uintptr_t owner) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  RG7BoardRecord& board = CurrentBoardRecord();
  if (owner == irq::kLibraryOwner) {
    // The library itself takes away what it names, the decoder interrupt included.
    DropBitsLocked(board, bits, false);
    return 0;
  }
  InterruptCallbackNode* node = FindOwner(board, owner);
  if (!node) return RG7_ERR_PARAMETER;
  std::uint32_t removed = bits & node->allowed & node->enabled;
  node->enabled &= ~removed;
  DropBitsLocked(board, removed & ~OthersEnabled(board, node), true);
  return 0;
}

std::int32_t IrqEnableLocked(std::uint32_t bits, std::uintptr_t owner) {
  if (!CurrentBoardOpen()) return RG7_ERR_NOT_OPEN;
  RG7BoardRecord& board = CurrentBoardRecord();
  std::uint32_t e = bits;
  if (owner != irq::kLibraryOwner) {
    InterruptCallbackNode* node = FindOwner(board, owner);
    if (!node) return RG7_ERR_PARAMETER;
    node->enabled |= bits & node->allowed;
    e = node->enabled;
  }
  std::uint32_t& slotMask = SlotMaskLocked(CurrentBoardIndex());
  slotMask |= e;
  if (slotMask & (irq::kEvent | irq::kTrigger)) slotMask |= irq::kDecoder;
  WriteMaskRegister(slotMask);
  if (owner != irq::kLibraryOwner) {
    // Bits latched before the enable are stale for this owner; that includes what the
    // bridge kept while they were masked and passes on as the mask opens.
    std::int32_t stale = IrqStatusLocked(0xFFFFFFFF);
    if (stale > 0) IrqResetLocked(static_cast<std::uint32_t>(stale) & e);
  }
  if (e & irq::kEvent) IHW_SetRegister(reg::kGioB, IHW_GetRegister(reg::kGioB) | reg::kEventLatchEnable);
  if (e & irq::kTrigger) IHW_SetRegister(reg::kGioB, IHW_GetRegister(reg::kGioB) | reg::kTriggerLatchEnable);
  return 0;
}

void DropConnectionLocked(std::uint32_t enabled) {
  RG7BoardRecord& board = CurrentBoardRecord();
  // What the remaining connections (a running grab's handler among them) or the
  // library itself enabled stays.
  DropBitsLocked(board, enabled & ~OthersEnabled(board, nullptr), true);
}

void ClearEnabledInterrupts() {
  std::lock_guard lock(g_lock);
  if (!CurrentBoardOpen()) return;
  RG7BoardRecord& board = CurrentBoardRecord();
  for (InterruptCallbackNode* n = board.internal_list; n; n = n->next) n->enabled = 0;
  for (InterruptCallbackNode* n = board.user_list; n; n = n->next) n->enabled = 0;
  SlotMaskLocked(CurrentBoardIndex()) = 0;
  WriteMaskRegister(0);
}

}  // namespace rg7

using namespace rg7;

std::int32_t RG7IRQEnable(std::uint32_t bits, std::uintptr_t owner) {
  std::lock_guard lock(IrqLock());
  return IrqEnableLocked(bits, owner);
}

std::int32_t RG7IRQDisable(std::uint32_t bits, std::uintptr_t owner) {
  std::lock_guard lock(IrqLock());
  return IrqDisableLocked(bits, owner);
}

std::int32_t RG7IRQStatus(std::uint32_t mask) {
  std::lock_guard lock(IrqLock());
  return IrqStatusLocked(mask);
}

std::int32_t RG7IRQReset(std::uint32_t bits) {
  std::lock_guard lock(IrqLock());
  return IrqResetLocked(bits);
}
