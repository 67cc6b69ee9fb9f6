// Interrupt callback lists, the interrupt mask and the dispatcher, shared by both
// driver back-ends. Every list change and mask change is made under one lock; the
// dispatcher calls handlers outside it, on a snapshot of the lists, and a node is
// freed only once no dispatch can still be calling it.
#pragma once

#include <cstdint>
#include <mutex>

#include "rg7sdk/board_records.h"
#include "rg7sdk/interrupt_types.h"

namespace rg7 {

struct InterruptCallbackNode {
  std::uint32_t reserved0;
  std::uint32_t allowed;
  std::uint32_t enabled;
  InternalInterruptHandler handler;  // internal list only
  RG7InterruptCallback callback;     // user list only
  std::uintptr_t context;
  void (*cleanup)(InterruptCallbackNode*);
  InterruptCallbackNode* next;
  InterruptCallbackNode* prev;
  std::uint32_t removed;  // unlinked; freed when the dispatch that may hold it ends
  std::uint32_t reserved1;
};

struct BoardIrqInfo {
  std::uint16_t line;
  std::uint16_t grab_running;
  std::uint16_t variant;
};

// The lock of the lists, the slot masks and the latched bits.
std::mutex& IrqLock();

// Slot state kept by the back-end: the union of enabled bits written to register 20.
std::uint32_t& SlotMaskLocked(std::uint32_t slot);

// List operations; callers hold IrqLock.
void CallbackListAppend(InterruptCallbackNode** head, InterruptCallbackNode* node);
InterruptCallbackNode* CallbackListPopFront(InterruptCallbackNode** head);
void CallbackListUnlink(InterruptCallbackNode** head, InterruptCallbackNode* node);
InterruptCallbackNode* CallbackListRemove(InterruptCallbackNode** head, RG7InterruptCallback callback);

InterruptCallbackNode* AllocateCallbackNode();
// Frees a node unlinked from its list, at once or at the end of the running
// dispatch; waits for that dispatch unless called from within it.
void RetireCallbackNode(std::unique_lock<std::mutex>& lock, InterruptCallbackNode* node);

// Appends an internal handler to the current board's internal list. -107 without memory.
std::int32_t ConnectInternalCallback(std::uint32_t board, InternalInterruptHandler handler, std::uint32_t allowed,
                                     std::uintptr_t context);
std::int32_t GetBoardIrqInfo(BoardIrqInfo* info);
std::uint32_t ReadLatchedIrqStatus();
// 1 when nothing was pending, else 0.
std::int32_t DispatchInterrupts();
// Returns once the dispatch running now has ended (at once on the service thread
// itself); the Locked form releases IrqLock while it waits.
void WaitForDispatchToEnd();
void WaitForDispatchToEndLocked(std::unique_lock<std::mutex>& lock);

// True on the service thread while it dispatches (so the caller is a handler).
bool InDispatchOnThisThread();
// Waits until a dispatch running on another thread now has ended, at most
// `milliseconds`; returns at once on the dispatching thread. False on time-out.
bool WaitForRunningDispatch(std::uint32_t milliseconds);

// Empties both lists of a board, freeing their nodes (library close).
void ClearCallbackLists(RG7BoardRecord& board);

// RG7IRQEnable and RG7IRQDisable with IrqLock held.
std::int32_t IrqEnableLocked(std::uint32_t bits, std::uintptr_t owner);
std::int32_t IrqDisableLocked(std::uint32_t bits, std::uintptr_t owner);
// After a connection of the current board that had `enabled` is gone: those of its
// bits that no remaining connection enabled leave the board's mask. IrqLock held.
void DropConnectionLocked(std::uint32_t enabled);
// Nothing enabled on the current board any more, in the register and in the books.
void ClearEnabledInterrupts();

// Connect and disconnect with IrqLock held (the back-end's forms of the exports).
// Connect first waits for a service thread being stopped to be gone, releasing the
// lock meanwhile; once it has it back it does not release it again unless it fails,
// and a failed connect leaves nothing connected. Disconnect unlinks the node before
// it may release the lock (to wait for a dispatch that may be calling it, or for the
// service thread to end).
void WaitForServiceStopsLocked(std::unique_lock<std::mutex>& lock);
std::int32_t ConnectLocked(std::unique_lock<std::mutex>& lock, std::int32_t slot, RG7InterruptCallback callback,
                           std::uint32_t allowed, std::uintptr_t context);
std::int32_t DisconnectLocked(std::unique_lock<std::mutex>& lock, std::int32_t slot, RG7InterruptCallback callback);

// What a line (event, trigger, strobe) waits for before it checks whether it is armed
// and connects, releasing IrqLock meanwhile: a service thread being stopped, and a
// dispatch that may still run the line's earlier connection (a handler finds its
// node by its function, so it must not find the new one). Waiting first keeps the
// check and the connection one step.
void WaitBeforeLineConnectLocked(std::unique_lock<std::mutex>& lock);

// Stops the service thread and frees every slot (library detach).
void ShutdownInterruptService();

}  // namespace rg7
