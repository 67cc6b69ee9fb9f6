#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <map>
#include <memory>
#include <mutex>

#include "platform/fault_injection.h"
#include "platform/last_error.h"
#include "platform/paths.h"

namespace platform {
namespace {

struct OpenFile {
  int fd = -1;
  dev_t device = 0;
  ino_t inode = 0;
  bool reads = false;
  bool writes = false;
  bool deny_read = false;
  bool deny_write = false;
  ~OpenFile() {
    if (fd >= 0) ::close(fd);
  }
};

std::mutex g_mutex;
std::map<HFILE, std::shared_ptr<OpenFile>> g_files;
// Handles cycle through this range, skipping those in use, so that a handle that
// was just closed is not handed out again at once.
constexpr HFILE kFirstHandle = 0x10;
constexpr HFILE kLastHandle = 0xFFFF;
HFILE g_nextHandle = kFirstHandle;
// ERROR_TOO_MANY_OPEN_FILES.
constexpr DWORD kTooManyOpenFiles = 4;

bool Fail(const char* call) {
  DWORD error = ERROR_SUCCESS;
  if (!faults::ShouldFail(call, &error)) return false;
  SetLastError(error);
  return true;
}

DWORD ErrorOf(int err) {
  switch (err) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return ERROR_ACCESS_DENIED;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    default:
      return ERROR_GEN_FAILURE;
  }
}

void SetShare(OpenFile& f, INT flags) {
  switch (flags & 0x70) {
    case OF_SHARE_EXCLUSIVE:
      f.deny_read = f.deny_write = true;
      break;
    case OF_SHARE_DENY_WRITE:
      f.deny_write = true;
      break;
    case OF_SHARE_DENY_READ:
      f.deny_read = true;
      break;
    default:  // compatibility mode and deny-none share everything here
      break;
  }
}

// True when an open handle of the same file and the new open exclude each other.
bool Conflicts(const OpenFile& candidate) {
  for (const auto& [handle, f] : g_files) {
    if (f->device != candidate.device || f->inode != candidate.inode) continue;
    if ((f->deny_read && candidate.reads) || (f->deny_write && candidate.writes) || (candidate.deny_read && f->reads) ||
        (candidate.deny_write && f->writes))
      return true;
  }
  return false;
}

// Registers an opened descriptor; HFILE_ERROR when the share modes conflict or the
// handle range is exhausted (the descriptor is closed then).
HFILE Register(std::shared_ptr<OpenFile> file) {
  struct stat st;
  if (::fstat(file->fd, &st) != 0) {
    SetLastError(ErrorOf(errno));
    return HFILE_ERROR;
  }
  file->device = st.st_dev;
  file->inode = st.st_ino;
  std::lock_guard lock(g_mutex);
  if (Conflicts(*file)) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return HFILE_ERROR;
  }
  for (HFILE tries = kFirstHandle; tries <= kLastHandle; ++tries) {
    HFILE h = g_nextHandle;
    g_nextHandle = h == kLastHandle ? kFirstHandle : h + 1;
    if (g_files.count(h)) continue;
    g_files.emplace(h, std::move(file));
    SetLastError(ERROR_SUCCESS);
    return h;
  }
  SetLastError(kTooManyOpenFiles);
  return HFILE_ERROR;
}

std::shared_ptr<OpenFile> Lookup(HFILE file) {
  std::lock_guard lock(g_mutex);
  auto it = g_files.find(file);
  if (it == g_files.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return it->second;
}

// Would an open with these access bits and share bits be refused by an open
// handle of the existing file at `path`?
bool ExistingFileConflicts(const std::string& path, bool reads, bool writes, INT flags) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  OpenFile probe;
  probe.device = st.st_dev;
  probe.inode = st.st_ino;
  probe.reads = reads;
  probe.writes = writes;
  SetShare(probe, flags);
  std::lock_guard lock(g_mutex);
  return Conflicts(probe);
}

}  // namespace

std::size_t OpenFileCount() {
  std::lock_guard lock(g_mutex);
  return g_files.size();
}

}  // namespace platform

using namespace platform;

HFILE _lopen(LPCSTR path, INT flags) {
  if (Fail("_lopen")) return HFILE_ERROR;
  if (!path || IsDevicePath(path, nullptr)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return HFILE_ERROR;
  }
  auto file = std::make_shared<OpenFile>();
  int mode = O_RDONLY;
  switch (flags & 0x3) {
    case OF_WRITE:
      mode = O_WRONLY;
      file->writes = true;
      break;
    case OF_READWRITE:
      mode = O_RDWR;
      file->reads = file->writes = true;
      break;
    default:
      file->reads = true;
      break;
  }
  SetShare(*file, flags);
  file->fd = ::open(MapPath(path).c_str(), mode | O_CLOEXEC);
  if (file->fd < 0) {
    SetLastError(ErrorOf(errno));
    return HFILE_ERROR;
  }
  struct stat st;
  if (::fstat(file->fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return HFILE_ERROR;
  }
  return Register(std::move(file));
}

HFILE _lcreat(LPCSTR path, INT) {
  if (Fail("_lcreat")) return HFILE_ERROR;
  if (!path || IsDevicePath(path, nullptr)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return HFILE_ERROR;
  }
  std::string host = MapPath(path);
  // Truncating a file that another handle shares without write access would
  // change it under that handle; refuse before touching it.
  if (ExistingFileConflicts(host, true, true, OF_SHARE_COMPAT)) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return HFILE_ERROR;
  }
  auto file = std::make_shared<OpenFile>();
  file->reads = file->writes = true;
  file->fd = ::open(host.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (file->fd < 0) {
    SetLastError(ErrorOf(errno));
    return HFILE_ERROR;
  }
  return Register(std::move(file));
}

UINT _lread(HFILE file, LPVOID buffer, UINT bytes) {
  auto f = Lookup(file);
  if (!f) return static_cast<UINT>(HFILE_ERROR);
  if (Fail("_lread")) return static_cast<UINT>(HFILE_ERROR);
  if (!buffer && bytes) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return static_cast<UINT>(HFILE_ERROR);
  }
  // The count must stay distinguishable from HFILE_ERROR.
  if (bytes > static_cast<UINT>(INT_MAX)) bytes = INT_MAX;
  auto* p = static_cast<char*>(buffer);
  UINT done = 0;
  while (done < bytes) {
    ssize_t n = ::read(f->fd, p + done, bytes - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      SetLastError(errno == EBADF ? ERROR_ACCESS_DENIED : ErrorOf(errno));
      return static_cast<UINT>(HFILE_ERROR);
    }
    if (n == 0) break;
    done += static_cast<UINT>(n);
  }
  return done;
}

UINT _lwrite(HFILE file, LPCSTR buffer, UINT bytes) {
  auto f = Lookup(file);
  if (!f) return static_cast<UINT>(HFILE_ERROR);
  if (Fail("_lwrite")) return static_cast<UINT>(HFILE_ERROR);
  if (bytes == 0) {
    off_t here = ::lseek(f->fd, 0, SEEK_CUR);
    if (here < 0 || ::ftruncate(f->fd, here) != 0) {
      SetLastError(errno == EINVAL || errno == EBADF ? ERROR_ACCESS_DENIED : ErrorOf(errno));
      return static_cast<UINT>(HFILE_ERROR);
    }
    return 0;
  }
  if (!buffer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return static_cast<UINT>(HFILE_ERROR);
  }
  if (bytes > static_cast<UINT>(INT_MAX)) bytes = INT_MAX;
  UINT done = 0;
  while (done < bytes) {
    ssize_t n = ::write(f->fd, buffer + done, bytes - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      SetLastError(errno == EBADF ? ERROR_ACCESS_DENIED : ErrorOf(errno));
      // What reached the file counts; a caller compares it with what it asked for.
      return done ? done : static_cast<UINT>(HFILE_ERROR);
    }
    done += static_cast<UINT>(n);
  }
  return done;
}

LONG _llseek(HFILE file, LONG offset, INT origin) {
  auto f = Lookup(file);
  if (!f) return HFILE_ERROR;
  if (Fail("_llseek")) return HFILE_ERROR;
  int whence = origin == FILE_CURRENT ? SEEK_CUR : origin == FILE_END ? SEEK_END : origin == FILE_BEGIN ? SEEK_SET : -1;
  if (whence < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return HFILE_ERROR;
  }
  off_t base = whence == SEEK_SET ? 0 : ::lseek(f->fd, 0, whence);
  off_t target = base + offset;
  // Positions the 32-bit result cannot hold are refused rather than wrapped.
  if (base < 0 || target < 0 || target > LONG_MAX) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return HFILE_ERROR;
  }
  if (::lseek(f->fd, target, SEEK_SET) < 0) {
    SetLastError(ErrorOf(errno));
    return HFILE_ERROR;
  }
  return static_cast<LONG>(target);
}

HFILE _lclose(HFILE file) {
  if (Fail("_lclose")) return HFILE_ERROR;
  std::shared_ptr<OpenFile> f;
  {
    std::lock_guard lock(g_mutex);
    auto it = g_files.find(file);
    if (it == g_files.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return HFILE_ERROR;
    }
    f = std::move(it->second);
    g_files.erase(it);
  }
  return 0;
}
