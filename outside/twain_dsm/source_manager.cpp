#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>
#include <mutex>
#include <set>
#include <vector>

#include "outside/twain_dsm/source_listing.h"
#include "outside/twain_dsm/twain_dsm.h"
#include "platform/module_loader.h"
#include "platform/user.h"

namespace twain_dsm {
namespace {

// Posted to an application's window to carry a source's notification (wParam: the
// source's Id), and answered by the manager in MSG_PROCESSEVENT; private to the manager.
constexpr UINT kCarrierMessage = WM_APP + 0x2D5;

struct Application {
  TW_UINT32 id = 0;
  TW_IDENTITY identity{};
  HWND parent = nullptr;
  // DAT_CALLBACK: notifications go straight to the application's entry.
  DSMENTRYPROC callback = nullptr;
  std::vector<ListedSource> sources;
  std::size_t next = 0;  // where MSG_GETNEXT goes on
};

struct OpenSource {
  TW_UINT32 id = 0;
  TW_UINT32 app = 0;
  TW_IDENTITY identity{};
  LoadedSource module;
};

struct RawSource {
  std::string path;
  LoadedSource module;
};

struct Notification {
  TW_UINT32 app = 0;
  TW_UINT32 source = 0;
  TW_UINT16 message = MSG_NULL;
};

// The manager's state. The mutex is never held while a source runs: sources call
// back into DSM_Entry from inside their triplets, and from threads of their own.
struct Manager {
  std::mutex mutex;
  std::string source_path;
  bool raw_mode = false;
  TW_UINT32 last_id = 0;
  void* self = nullptr;
  std::vector<Application> apps;
  std::vector<OpenSource> sources;
  // The latest listing, where raw mode finds sources by name.
  std::vector<ListedSource> listed;
  std::vector<RawSource> raw_sources;
  std::deque<Notification> notifications;
  std::atomic<TW_UINT16> condition{TWCC_SUCCESS};
};

Manager& State() {
  static Manager manager;
  return manager;
}

TW_UINT16 Fail(TW_UINT16 condition) {
  State().condition = condition;
  return TWRC_FAILURE;
}

TW_UINT32 IdOf(const TW_IDENTITY* identity) { return identity ? identity->Id : 0; }

TW_UINT32 NewIdLocked(Manager& m) {
  if (++m.last_id == 0) ++m.last_id;
  return m.last_id;
}

Application* FindAppLocked(Manager& m, TW_UINT32 id) {
  auto it = std::find_if(m.apps.begin(), m.apps.end(), [id](const Application& a) { return a.id == id; });
  return id && it != m.apps.end() ? &*it : nullptr;
}

OpenSource* FindSourceLocked(Manager& m, TW_UINT32 id, TW_UINT32 app) {
  auto it =
      std::find_if(m.sources.begin(), m.sources.end(), [&](const OpenSource& s) { return s.id == id && s.app == app; });
  return id && it != m.sources.end() ? &*it : nullptr;
}

// Removes an open source and what was queued for it; its module is the caller's to unload.
LoadedSource ForgetSourceLocked(Manager& m, TW_UINT32 id) {
  LoadedSource module;
  auto it = std::find_if(m.sources.begin(), m.sources.end(), [id](const OpenSource& s) { return s.id == id; });
  if (it != m.sources.end()) {
    module = it->module;
    m.sources.erase(it);
  }
  std::erase_if(m.notifications, [id](const Notification& n) { return n.source == id; });
  return module;
}

// The name "TWAIN_32.DLL" stands for this manager while an application has it open.
void RegisterSelfLocked(Manager& m) {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<const void*>(&::DSM_Entry), &info) && info.dli_fname)
    m.self = ::dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD);
  platform::RegisterSourceManager(m.self);
}

void UnregisterSelfLocked(Manager& m) {
  platform::RegisterSourceManager(nullptr);
  if (m.self) ::dlclose(m.self);
  m.self = nullptr;
}

TW_UINT16 OpenDsm(TW_IDENTITY* origin, TW_MEMREF data) {
  if (!origin) return Fail(TWCC_BADVALUE);
  HWND parent = nullptr;
  if (data) std::memcpy(&parent, data, sizeof parent);
  Manager& m = State();
  TW_UINT32 id = 0;
  std::string path;
  {
    std::lock_guard lock(m.mutex);
    if (FindAppLocked(m, origin->Id)) return Fail(TWCC_SEQERROR);
    if (m.apps.empty()) RegisterSelfLocked(m);
    id = NewIdLocked(m);
    Application app;
    app.id = id;
    app.identity = *origin;
    app.identity.Id = id;
    app.parent = parent;
    m.apps.push_back(std::move(app));
    path = m.source_path;
  }
  origin->Id = id;
  std::vector<ListedSource> found = FindSources(path, origin);
  std::lock_guard lock(m.mutex);
  m.listed = found;
  if (Application* app = FindAppLocked(m, id)) app->sources = std::move(found);
  return TWRC_SUCCESS;
}

TW_UINT16 CloseDsm(TW_IDENTITY* origin) {
  Manager& m = State();
  std::lock_guard lock(m.mutex);
  TW_UINT32 id = IdOf(origin);
  if (!FindAppLocked(m, id)) return Fail(TWCC_BADDEST);
  if (std::any_of(m.sources.begin(), m.sources.end(), [id](const OpenSource& s) { return s.app == id; }))
    return Fail(TWCC_SEQERROR);
  std::erase_if(m.notifications, [id](const Notification& n) { return n.app == id; });
  std::erase_if(m.apps, [id](const Application& a) { return a.id == id; });
  if (m.apps.empty()) UnregisterSelfLocked(m);
  return TWRC_SUCCESS;
}

TW_UINT16 Enumerate(TW_IDENTITY* origin, TW_UINT16 msg, TW_MEMREF data) {
  if (!data) return Fail(TWCC_BADVALUE);
  Manager& m = State();
  std::lock_guard lock(m.mutex);
  Application* app = FindAppLocked(m, IdOf(origin));
  if (!app) return Fail(TWCC_BADDEST);
  std::size_t index = msg == MSG_GETNEXT ? app->next : 0;
  if (index >= app->sources.size()) return msg == MSG_GETDEFAULT ? Fail(TWCC_NODS) : TWRC_ENDOFLIST;
  if (msg != MSG_GETDEFAULT) app->next = index + 1;
  TW_IDENTITY listed = app->sources[index].identity;
  std::memcpy(data, &listed, sizeof listed);
  return TWRC_SUCCESS;
}

TW_UINT16 OpenDs(TW_IDENTITY* origin, TW_MEMREF data) {
  if (!data) return Fail(TWCC_BADVALUE);
  TW_IDENTITY wanted;
  std::memcpy(&wanted, data, sizeof wanted);
  std::string name = ProductNameOf(wanted);
  Manager& m = State();
  TW_UINT32 appId = IdOf(origin);
  ListedSource chosen;
  {
    std::lock_guard lock(m.mutex);
    Application* app = FindAppLocked(m, appId);
    if (!app) return Fail(TWCC_BADDEST);
    auto it = std::find_if(app->sources.begin(), app->sources.end(),
                           [&](const ListedSource& s) { return name.empty() || ProductNameOf(s.identity) == name; });
    if (it == app->sources.end()) return Fail(TWCC_NODS);
    chosen = *it;
  }
  LoadedSource module;
  if (!LoadSource(chosen.path, &module)) return Fail(TWCC_NODS);
  TW_IDENTITY identity = chosen.identity;
  {
    std::lock_guard lock(m.mutex);
    if (!FindAppLocked(m, appId)) {
      UnloadSource(module);
      return Fail(TWCC_BADDEST);
    }
    identity.Id = NewIdLocked(m);
    // Known before the source runs, so that it may notify from inside MSG_OPENDS.
    m.sources.push_back({identity.Id, appId, identity, module});
  }
  std::memcpy(data, &identity, sizeof identity);
  TW_UINT16 rc = module.entry(origin, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, data);
  if (rc != TWRC_SUCCESS) {
    {
      std::lock_guard lock(m.mutex);
      ForgetSourceLocked(m, identity.Id);
    }
    UnloadSource(module);
  }
  return rc;
}

TW_UINT16 CloseDs(TW_IDENTITY* origin, TW_MEMREF data) {
  if (!data) return Fail(TWCC_BADVALUE);
  TW_IDENTITY which;
  std::memcpy(&which, data, sizeof which);
  Manager& m = State();
  DSENTRYPROC entry = nullptr;
  {
    std::lock_guard lock(m.mutex);
    OpenSource* source = FindAppLocked(m, IdOf(origin)) ? FindSourceLocked(m, which.Id, IdOf(origin)) : nullptr;
    if (!source) return Fail(TWCC_BADDEST);
    entry = source->module.entry;
  }
  TW_UINT16 rc = entry(origin, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, data);
  if (rc == TWRC_SUCCESS) {
    LoadedSource module;
    {
      std::lock_guard lock(m.mutex);
      module = ForgetSourceLocked(m, which.Id);
    }
    // Unloaded at once: the source's module runs its destructors now.
    UnloadSource(module);
  }
  return rc;
}

TW_UINT16 Status(TW_MEMREF data) {
  if (!data) return Fail(TWCC_BADVALUE);
  TW_STATUS status{State().condition.exchange(TWCC_SUCCESS), 0};
  std::memcpy(data, &status, sizeof status);
  return TWRC_SUCCESS;
}

// A source's DAT_NULL: to the application's callback when it registered one, else
// queued for it, with a carrier to its window.
TW_UINT16 Notify(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT16 msg) {
  Manager& m = State();
  TW_UINT32 sourceId = IdOf(origin);
  HWND parent = nullptr;
  DSMENTRYPROC callback = nullptr;
  TW_IDENTITY source{};
  TW_IDENTITY application{};
  {
    std::lock_guard lock(m.mutex);
    Application* app = FindAppLocked(m, IdOf(dest));
    OpenSource* open = app ? FindSourceLocked(m, sourceId, app->id) : nullptr;
    if (!open) return Fail(TWCC_BADDEST);
    callback = app->callback;
    if (callback) {
      source = open->identity;
      application = app->identity;
    } else {
      m.notifications.push_back({app->id, sourceId, msg});
      parent = app->parent;
    }
  }
  // Called without the manager's lock: the application may call back in at once.
  if (callback) {
    callback(&source, &application, DG_CONTROL, DAT_NULL, msg, nullptr);
    return TWRC_SUCCESS;
  }
  // The window system takes its own lock, which a source may hold while it calls here.
  if (parent && IsWindow(parent)) PostMessageA(parent, kCarrierMessage, sourceId, 0);
  return TWRC_SUCCESS;
}

// DAT_CALLBACK MSG_REGISTER_CALLBACK, from an application with the source open.
TW_UINT16 RegisterCallback(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_MEMREF data) {
  if (!data) return Fail(TWCC_BADVALUE);
  TW_CALLBACK entry;
  std::memcpy(&entry, data, sizeof entry);
  Manager& m = State();
  std::lock_guard lock(m.mutex);
  Application* app = FindAppLocked(m, IdOf(origin));
  if (!app || !FindSourceLocked(m, IdOf(dest), app->id)) return Fail(TWCC_BADDEST);
  app->callback = reinterpret_cast<DSMENTRYPROC>(entry.CallBackProc);
  return TWRC_SUCCESS;
}

bool TakeNotification(TW_UINT32 app, TW_UINT32 source, TW_UINT16* message) {
  Manager& m = State();
  std::lock_guard lock(m.mutex);
  auto it = std::find_if(m.notifications.begin(), m.notifications.end(),
                         [&](const Notification& n) { return n.app == app && n.source == source; });
  if (it == m.notifications.end()) return false;
  *message = it->message;
  m.notifications.erase(it);
  return true;
}

TW_UINT16 ProcessEvent(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_MEMREF data) {
  Manager& m = State();
  TW_UINT32 appId = IdOf(origin);
  TW_UINT32 sourceId = IdOf(dest);
  HWND parent = nullptr;
  DSENTRYPROC entry = nullptr;
  {
    std::lock_guard lock(m.mutex);
    Application* app = FindAppLocked(m, appId);
    if (!app) return Fail(TWCC_BADDEST);
    OpenSource* source = FindSourceLocked(m, sourceId, appId);
    if (!source) return TWRC_NOTDSEVENT;
    parent = app->parent;
    entry = source->module.entry;
  }
  if (!data) return Fail(TWCC_BADVALUE);
  TW_EVENT event;
  std::memcpy(&event, data, sizeof event);
  const MSG* msg = static_cast<const MSG*>(event.pEvent);
  bool carrier = msg && parent && msg->hwnd == parent && msg->message == kCarrierMessage;
  // Another source's carrier is for the application to offer to that source.
  if (carrier && msg->wParam != sourceId) return TWRC_NOTDSEVENT;
  // Without a window there is no carrier: the next event of the application takes the notification.
  bool windowless = !carrier && !(parent && IsWindow(parent));
  if (carrier || windowless) {
    TW_UINT16 message = MSG_NULL;
    if (TakeNotification(appId, sourceId, &message) || carrier) {
      event.TWMessage = message;
      std::memcpy(data, &event, sizeof event);
      return TWRC_DSEVENT;
    }
  }
  return entry(origin, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, data);
}

TW_UINT16 Forward(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  Manager& m = State();
  DSENTRYPROC entry = nullptr;
  {
    std::lock_guard lock(m.mutex);
    OpenSource* source = FindAppLocked(m, IdOf(origin)) ? FindSourceLocked(m, IdOf(dest), IdOf(origin)) : nullptr;
    if (!source) return Fail(TWCC_BADDEST);
    entry = source->module.entry;
  }
  return entry(origin, dg, dat, msg, data);
}

// Whether `dest` is a source that the application `origin` opened.
bool OpenedBy(const TW_IDENTITY* origin, const TW_IDENTITY* dest) {
  Manager& m = State();
  std::lock_guard lock(m.mutex);
  return FindAppLocked(m, IdOf(origin)) && FindSourceLocked(m, IdOf(dest), IdOf(origin));
}

// In raw mode: the entry of the listed source that `dest` names, loaded for it if
// needed; null when it names none.
DSENTRYPROC RawEntry(const TW_IDENTITY& dest) {
  Manager& m = State();
  std::string path;
  {
    std::lock_guard lock(m.mutex);
    if (!m.raw_mode) return nullptr;
    for (const OpenSource& source : m.sources)
      if (dest.Id && source.id == dest.Id) return source.module.entry;
    std::string name = ProductNameOf(dest);
    auto listed = std::find_if(m.listed.begin(), m.listed.end(), [&](const ListedSource& s) {
      return !name.empty() && ProductNameOf(s.identity) == name;
    });
    if (listed == m.listed.end()) return nullptr;
    path = listed->path;
    for (const RawSource& raw : m.raw_sources)
      if (raw.path == path) return raw.module.entry;
  }
  LoadedSource module;
  if (!LoadSource(path, &module)) return nullptr;
  std::lock_guard lock(m.mutex);
  m.raw_sources.push_back({path, module});
  return module.entry;
}

}  // namespace

void SetSourcePath(const std::string& path) {
  std::lock_guard lock(State().mutex);
  State().source_path = path;
}

void SetRawMode(bool on) {
  std::vector<RawSource> loaded;
  {
    std::lock_guard lock(State().mutex);
    State().raw_mode = on;
    if (!on) loaded.swap(State().raw_sources);
  }
  for (const RawSource& raw : loaded) UnloadSource(raw.module);
}

std::size_t LoadedSourceCount() {
  std::lock_guard lock(State().mutex);
  std::set<void*> handles;
  for (const OpenSource& source : State().sources) handles.insert(source.module.handle);
  for (const RawSource& raw : State().raw_sources) handles.insert(raw.module.handle);
  return handles.size();
}

std::size_t PendingNotificationCount() {
  std::lock_guard lock(State().mutex);
  return State().notifications.size();
}

}  // namespace twain_dsm

using namespace twain_dsm;

TW_UINT16 DSM_Entry(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                    TW_MEMREF pData) {
  if (DG == DG_CONTROL && DAT == DAT_NULL && (MSG == MSG_XFERREADY || MSG == MSG_CLOSEDSREQ))
    return Notify(pOrigin, pDest, MSG);
  if (pDest) {
    // Raw mode reaches only what normal routing would refuse.
    if (!OpenedBy(pOrigin, pDest))
      if (DSENTRYPROC entry = RawEntry(*pDest)) return entry(pOrigin, DG, DAT, MSG, pData);
    if (DG == DG_CONTROL && DAT == DAT_EVENT && MSG == MSG_PROCESSEVENT) return ProcessEvent(pOrigin, pDest, pData);
    if (DG == DG_CONTROL && DAT == DAT_CALLBACK && MSG == MSG_REGISTER_CALLBACK)
      return RegisterCallback(pOrigin, pDest, pData);
    return Forward(pOrigin, pDest, DG, DAT, MSG, pData);
  }
  if (DG == DG_CONTROL && DAT == DAT_PARENT) {
    if (MSG == MSG_OPENDSM) return OpenDsm(pOrigin, pData);
    if (MSG == MSG_CLOSEDSM) return CloseDsm(pOrigin);
    return Fail(TWCC_BADPROTOCOL);
  }
  if (DG == DG_CONTROL && DAT == DAT_IDENTITY) {
    if (MSG == MSG_GETFIRST || MSG == MSG_GETNEXT || MSG == MSG_GETDEFAULT) return Enumerate(pOrigin, MSG, pData);
    if (MSG == MSG_OPENDS) return OpenDs(pOrigin, pData);
    if (MSG == MSG_CLOSEDS) return CloseDs(pOrigin, pData);
    return Fail(TWCC_BADPROTOCOL);
  }
  if (DG == DG_CONTROL && DAT == DAT_STATUS && MSG == MSG_GET) return Status(pData);
  return Fail(TWCC_BADDEST);
}
