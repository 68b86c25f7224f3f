#include "named_object.h"

#include "platform/error.h"
#include "platform/kernel_namespace.h"
#include "platform/orphaned_objects.h"
#include "private_files.h"
#include "process_liveness.h"
#include "unique_fd.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <new>
#include <pthread.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <optional>
#include <utility>

namespace platform {

namespace {

constexpr std::uint32_t kMagic = 0x4f4c545a;      // "ZTLO"
constexpr std::uint32_t kReadyMark = 0x59444552;  // "REDY"
constexpr int kHolderSlots = 64;

struct Holder {
  std::int32_t pid;
  std::uint32_t reserved;
  std::uint64_t start_time;
};

}  // namespace

struct ObjectHeader {
  // Set last by the creator (release); openers use nothing else before they see it.
  std::atomic<std::uint32_t> ready;
  std::uint32_t magic;
  std::uint32_t kind;
  std::int32_t creator_pid;
  std::uint64_t data_size;
  // Set, under the lock, by whoever unlinks the name; an opener that finds it retries.
  std::uint32_t destroyed;
  pthread_mutex_t lock;  // robust, process-shared; guards everything below and `destroyed`
  Holder holders[kHolderSlots];
};
static_assert(sizeof(ObjectHeader) <= NamedObject::kDataOffset);
static_assert(std::atomic<std::uint32_t>::is_always_lock_free);

struct NamedObject::Parts {
  std::string name;
  std::string shm_name;
  int fd = -1;
  ObjectHeader* header = nullptr;
  std::size_t map_length = 0;
  std::size_t data_size = 0;
  int slot = -1;
};

namespace {

using detail::UniqueFd;
using std::chrono::steady_clock;

std::string describe(std::string_view name) { return "the named object " + std::string(name); }

// Anyone can make a name under /dev/shm: an object that another user made, or
// that others can reach, is never joined (nor removed: it is not ours).
void require_own_object(int fd, std::string_view name) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) throw_errno("inspect " + describe(name));
  detail::require_ours(info, describe(name), true);
  if (!S_ISREG(info.st_mode)) throw SystemError(describe(name) + " is not a plain object: refused", EINVAL);
}

// An open that the kernel refused (not ours to open, or a link): names the owner when it is another user.
[[noreturn]] void throw_open_failure(std::string_view name, const std::string& shm_name) {
  const int error = errno;
  struct stat info {};
  if ((error == EACCES || error == ELOOP) && ::lstat(("/dev/shm" + shm_name).c_str(), &info) == 0)
    detail::require_ours(info, describe(name), true);
  throw SystemError("open " + describe(name), error);
}

// glibc adds O_NOFOLLOW itself; said here so that a planted link is never followed.
int open_shm(const std::string& shm_name, int flags, mode_t mode) {
  return ::shm_open(shm_name.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, mode);
}

class UniqueMap {
 public:
  UniqueMap(int fd, std::size_t length) : length_(length) {
    void* p = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (p != MAP_FAILED) base_ = p;
  }
  UniqueMap(const UniqueMap&) = delete;
  UniqueMap& operator=(const UniqueMap&) = delete;
  ~UniqueMap() {
    if (base_ != nullptr) ::munmap(base_, length_);
  }
  void* get() const noexcept { return base_; }
  void* release() noexcept { return std::exchange(base_, nullptr); }

 private:
  void* base_ = nullptr;
  std::size_t length_;
};

Holder self_holder() {
  pid_t pid = ::getpid();
  return Holder{pid, 0, detail::process_start_time(pid).value_or(0)};
}

// Locks the header; a lock left by a holder that died is taken over. The table
// is written one slot at a time, so what such a holder left is still readable.
// The wait is bounded: a lock that is never given back must not hang an open.
class HeaderLock {
 public:
  HeaderLock(ObjectHeader* header, std::chrono::milliseconds patience) : header_(header) {
    timespec until{};
    ::clock_gettime(CLOCK_MONOTONIC, &until);
    auto ns = until.tv_nsec + static_cast<long>(patience.count() % 1000) * 1000000;
    until.tv_sec += static_cast<time_t>(patience.count() / 1000 + ns / 1000000000);
    until.tv_nsec = ns % 1000000000;
    int result = ::pthread_mutex_clocklock(&header->lock, CLOCK_MONOTONIC, &until);
    if (result == EOWNERDEAD) result = ::pthread_mutex_consistent(&header->lock);
    if (result == ETIMEDOUT) return;
    if (result != 0) throw SystemError("lock of a named object", result);
    locked_ = true;
  }
  HeaderLock(const HeaderLock&) = delete;
  HeaderLock& operator=(const HeaderLock&) = delete;
  ~HeaderLock() {
    if (locked_) ::pthread_mutex_unlock(&header_->lock);
  }
  bool locked() const noexcept { return locked_; }

 private:
  ObjectHeader* header_;
  bool locked_ = false;
};

constexpr auto kHeaderPatience = std::chrono::milliseconds(2000);

// A header lock that is held by a thread that no longer exists, in an object no
// living process holds: the kernel did not hand it over, so the object is wreckage.
// (The owner's thread id is the low bits of glibc's futex word, the mutex's first int.)
bool wrecked(const ObjectHeader* header) {
  int word = 0;
  std::memcpy(&word, &header->lock, sizeof word);
  pid_t owner = word & 0x3fffffff;
  if (owner == 0 || detail::process_alive(owner, 0)) return false;
  for (const Holder& holder : header->holders)
    if (holder.pid != 0 && detail::process_alive(holder.pid, holder.start_time)) return false;
  return true;
}

// Removes the name if it still refers to the object behind fd (a link put in its place does not).
void unlink_if_same(int fd, const std::string& shm_name) {
  struct stat mine {}, linked {};
  std::string path = "/dev/shm" + shm_name;
  if (::fstat(fd, &mine) == 0 && mine.st_nlink > 0 && ::lstat(path.c_str(), &linked) == 0 &&
      linked.st_ino == mine.st_ino && linked.st_dev == mine.st_dev)
    ::shm_unlink(shm_name.c_str());
}

// Drops holders that died; returns how many live ones remain.
int prune_dead_holders(ObjectHeader* header) {
  int live = 0;
  for (Holder& holder : header->holders) {
    if (holder.pid == 0) continue;
    if (detail::process_alive(holder.pid, holder.start_time)) {
      ++live;
    } else {
      holder.pid = 0;
    }
  }
  return live;
}

int add_holder(ObjectHeader* header, const Holder& self) {
  for (int slot = 0; slot < kHolderSlots; ++slot) {
    if (header->holders[slot].pid != 0) continue;
    header->holders[slot].start_time = self.start_time;
    header->holders[slot].pid = self.pid;
    return slot;
  }
  return -1;
}

// Marks the object dead and removes its name. Called with the header lock held,
// so nobody can have made a new object under the name yet: the name we unlink
// is this object's.
void destroy_locked(ObjectHeader* header, const std::string& shm_name) noexcept {
  header->destroyed = 1;
  ::shm_unlink(shm_name.c_str());
}

void init_robust_mutex(pthread_mutex_t* mutex) {
  pthread_mutexattr_t attributes;
  ::pthread_mutexattr_init(&attributes);
  ::pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
  ::pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST);
  int result = ::pthread_mutex_init(mutex, &attributes);
  ::pthread_mutexattr_destroy(&attributes);
  if (result != 0) throw SystemError("initialise a shared mutex", result);
}

NamedObject::Parts create_new(int raw_fd, std::string_view name, const std::string& shm_name,
                              ObjectKind kind, std::size_t size,
                              NamedObject::Initialiser initialise) {
  UniqueFd fd(raw_fd);
  // Held while the header is built: openers see a live creator and wait for it.
  ::flock(fd.get(), LOCK_EX | LOCK_NB);
  std::size_t total = NamedObject::kDataOffset + size;
  try {
    if (::fchmod(fd.get(), 0600) != 0) throw_errno("set the mode of " + std::string(name));
    require_own_object(fd.get(), name);
    if (::ftruncate(fd.get(), static_cast<off_t>(total)) != 0)
      throw_errno("size the named object " + std::string(name));
    UniqueMap map(fd.get(), total);
    if (map.get() == nullptr) throw_errno("map the named object " + std::string(name));
    auto* header = new (map.get()) ObjectHeader{};
    header->magic = kMagic;
    header->kind = static_cast<std::uint32_t>(kind);
    header->creator_pid = ::getpid();
    header->data_size = size;
    init_robust_mutex(&header->lock);
    header->holders[0] = self_holder();
    if (initialise != nullptr)
      initialise(static_cast<std::uint8_t*>(map.get()) + NamedObject::kDataOffset, size);
    header->ready.store(kReadyMark, std::memory_order_release);
    ::flock(fd.get(), LOCK_UN);
    NamedObject::Parts parts;
    parts.name = std::string(name);
    parts.shm_name = shm_name;
    parts.header = static_cast<ObjectHeader*>(map.release());
    parts.map_length = total;
    parts.data_size = size;
    parts.slot = 0;
    parts.fd = fd.release();
    return parts;
  } catch (...) {
    // The name is still ours: nobody removes an object whose creator holds the flock.
    ::shm_unlink(shm_name.c_str());
    throw;
  }
}

enum class Readiness { ready, gone, stale };

// How long an opener lets a creator that holds the creation flock take.
constexpr auto kCreatorPatience = std::chrono::seconds(2);
// How long a header may stay unfinished with no creator at work before it counts
// as left behind by a creator that died (covers the instant between O_EXCL and flock).
constexpr auto kStaleGrace = std::chrono::milliseconds(100);

bool ready_header(int fd, std::size_t file_size, std::size_t& data_size) {
  if (file_size < NamedObject::kDataOffset) return false;
  UniqueMap page(fd, NamedObject::kDataOffset);
  if (page.get() == nullptr) throw_errno("map a named object");
  auto* header = static_cast<ObjectHeader*>(page.get());
  if (header->ready.load(std::memory_order_acquire) != kReadyMark) return false;
  if (header->magic != kMagic) throw SystemError("not a named object of this system", EINVAL);
  data_size = header->data_size;
  return true;
}

Readiness wait_until_ready(int fd, std::string_view name, std::size_t& data_size) {
  const auto start = steady_clock::now();
  std::optional<steady_clock::time_point> idle_since;
  for (;;) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) throw_errno("inspect the named object " + std::string(name));
    if (info.st_nlink == 0) return Readiness::gone;
    if (ready_header(fd, static_cast<std::size_t>(info.st_size), data_size)) {
      if (static_cast<std::size_t>(info.st_size) < NamedObject::kDataOffset + data_size)
        throw SystemError("named object is truncated: " + std::string(name), EINVAL);
      return Readiness::ready;
    }
    bool creator_at_work = ::flock(fd, LOCK_SH | LOCK_NB) != 0;
    if (!creator_at_work) ::flock(fd, LOCK_UN);
    auto now = steady_clock::now();
    if (creator_at_work) {
      idle_since.reset();
    } else if (!idle_since) {
      idle_since = now;
    } else if (now - *idle_since > kStaleGrace) {
      return Readiness::stale;
    }
    if (now - start > kCreatorPatience)
      throw SystemError("named object never became ready: " + std::string(name), ETIMEDOUT);
    std::this_thread::sleep_for(std::chrono::microseconds(50));
  }
}

// Removes a header that its creator left unfinished, if the name still refers to it.
void remove_stale(int fd, const std::string& shm_name) {
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return;  // a creator or another cleaner is at it
  unlink_if_same(fd, shm_name);
  ::flock(fd, LOCK_UN);
}

// Joins an existing object as a holder; false when it is dead or going.
bool join_existing(UniqueFd& fd, std::string_view name, const std::string& shm_name,
                   ObjectKind kind, std::size_t size, NamedObject::Parts& parts) {
  std::size_t data_size = 0;
  Readiness readiness = wait_until_ready(fd.get(), name, data_size);
  if (readiness == Readiness::stale) remove_stale(fd.get(), shm_name);
  if (readiness != Readiness::ready) return false;

  std::size_t total = NamedObject::kDataOffset + data_size;
  UniqueMap map(fd.get(), total);
  if (map.get() == nullptr) throw_errno("map the named object " + std::string(name));
  auto* header = static_cast<ObjectHeader*>(map.get());
  if (header->kind != static_cast<std::uint32_t>(kind))
    throw SystemError("a named object of another kind has the name " + std::string(name), EINVAL);
  int slot = -1;
  {
    HeaderLock lock(header, kHeaderPatience);
    if (!lock.locked()) {
      if (!wrecked(header))
        throw SystemError("named object is locked and never let go: " + std::string(name), ETIMEDOUT);
      unlink_if_same(fd.get(), shm_name);
      return false;
    }
    if (header->destroyed != 0) return false;
    if (prune_dead_holders(header) == 0) {
      destroy_locked(header, shm_name);
      return false;
    }
    if (size > data_size)
      throw SystemError("named object " + std::string(name) + " is smaller than asked", EINVAL);
    slot = add_holder(header, self_holder());
    if (slot < 0) throw SystemError("named object has too many holders: " + std::string(name), EMFILE);
  }
  parts.name = std::string(name);
  parts.shm_name = shm_name;
  parts.header = static_cast<ObjectHeader*>(map.release());
  parts.map_length = total;
  parts.data_size = data_size;
  parts.slot = slot;
  parts.fd = fd.release();
  return true;
}

constexpr int kOpenAttempts = 2000;

std::unique_ptr<NamedObject> open_object(std::string_view name, ObjectKind kind, std::size_t size,
                                         NamedObject::Initialiser initialise, bool create) {
  const std::string shm_name = shm_name_for(name);
  for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
    if (create) {
      int fd = open_shm(shm_name, O_RDWR | O_CREAT | O_EXCL, 0600);
      if (fd >= 0)
        return std::make_unique<NamedObject>(create_new(fd, name, shm_name, kind, size, initialise));
      if (errno != EEXIST) throw_errno("create the named object " + std::string(name));
    }
    UniqueFd fd(open_shm(shm_name, O_RDWR, 0));
    if (fd.get() < 0) {
      if (errno != ENOENT) throw_open_failure(name, shm_name);
      if (!create) return nullptr;
      continue;  // it vanished between the two opens: make it
    }
    require_own_object(fd.get(), name);
    NamedObject::Parts parts;
    if (join_existing(fd, name, shm_name, kind, size, parts))
      return std::make_unique<NamedObject>(parts);
    if (!create) return nullptr;
    if (attempt > 10) std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  throw SystemError("named object keeps vanishing: " + std::string(name), EAGAIN);
}

// Removes the object behind the name when it has no living holder.
bool remove_if_orphaned(const std::string& shm_name) {
  UniqueFd fd(open_shm(shm_name, O_RDWR, 0));
  if (fd.get() < 0) return false;
  // Throws for what another user made or others can reach: the sweep leaves it.
  require_own_object(fd.get(), shm_name);
  std::size_t data_size = 0;
  Readiness readiness = wait_until_ready(fd.get(), shm_name, data_size);
  if (readiness == Readiness::stale) {
    remove_stale(fd.get(), shm_name);
    return true;
  }
  if (readiness != Readiness::ready) return false;
  UniqueMap map(fd.get(), NamedObject::kDataOffset);
  if (map.get() == nullptr) return false;
  auto* header = static_cast<ObjectHeader*>(map.get());
  HeaderLock lock(header, std::chrono::milliseconds(20));
  if (!lock.locked()) {
    if (!wrecked(header)) return false;
    unlink_if_same(fd.get(), shm_name);
    return true;
  }
  if (header->destroyed != 0 || prune_dead_holders(header) != 0) return false;
  destroy_locked(header, shm_name);
  return true;
}

}  // namespace

std::size_t remove_orphaned_objects() noexcept {
  std::size_t removed = 0;
  DIR* folder = ::opendir("/dev/shm");
  if (folder == nullptr) return 0;
  while (dirent* entry = ::readdir(folder)) {
    if (std::strncmp(entry->d_name, "ztl+", 4) != 0) continue;
    try {
      if (remove_if_orphaned(std::string("/") + entry->d_name)) ++removed;
    } catch (...) {
      // Not one of ours after all, or busy: leave it.
    }
  }
  ::closedir(folder);
  return removed;
}

NamedObject::NamedObject(const Parts& parts) noexcept
    : name_(parts.name),
      shm_name_(parts.shm_name),
      fd_(parts.fd),
      header_(parts.header),
      map_length_(parts.map_length),
      data_size_(parts.data_size),
      slot_(parts.slot),
      opener_pid_(::getpid()) {}

std::unique_ptr<NamedObject> NamedObject::create_or_open(std::string_view name, ObjectKind kind,
                                                         std::size_t size, Initialiser initialise) {
  return open_object(name, kind, size, initialise, true);
}

std::unique_ptr<NamedObject> NamedObject::open(std::string_view name, ObjectKind kind,
                                               std::size_t size) {
  return open_object(name, kind, size, nullptr, false);
}

NamedObject::~NamedObject() {
  // A forked child inherits the mapping but was never a holder: it only unmaps.
  if (opener_pid_ == ::getpid()) {
    try {
      HeaderLock lock(header_, kHeaderPatience);
      if (lock.locked()) {
        if (slot_ >= 0 && header_->holders[slot_].pid == opener_pid_) header_->holders[slot_].pid = 0;
        // The closer that leaves no living holder unlinks the name.
        if (prune_dead_holders(header_) == 0 && header_->destroyed == 0)
          destroy_locked(header_, shm_name_);
      }
    } catch (...) {
      // Closing cannot fail; the next opener drops our entry as dead.
    }
  }
  ::munmap(header_, map_length_);
  ::close(fd_);
}

void* NamedObject::data() const noexcept {
  return reinterpret_cast<std::uint8_t*>(header_) + kDataOffset;
}

pid_t NamedObject::creator_pid() const noexcept { return header_->creator_pid; }

}  // namespace platform
