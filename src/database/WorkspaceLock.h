#pragma once
// One writer per workspace: a program that may change a workspace holds an advisory lock on the
// file "tarvik.lock" in its directory (flock, so the kernel releases it when the program ends,
// however it ends). The file holds the holder's process id, which the refusal names. The file
// itself stays; only the lock on it counts.

#include <filesystem>

#include "platform/Status.h"

namespace velmora {

inline constexpr char kLockFileName[] = "tarvik.lock";

class WorkspaceLock {
  public:
    WorkspaceLock() = default;
    ~WorkspaceLock() { Release(); }
    WorkspaceLock(WorkspaceLock&& other) noexcept;
    WorkspaceLock& operator=(WorkspaceLock&& other) noexcept;
    WorkspaceLock(const WorkspaceLock&) = delete;
    WorkspaceLock& operator=(const WorkspaceLock&) = delete;

    // Takes the lock of the workspace directory `dir` without waiting, releasing the one held
    // before. Fails with StatusCode::InUse and "The workspace is in use by another Velmora
    // program (PID n)" when another program holds it, and with the file's error when the lock
    // file cannot be created (a missing or read-only directory).
    Status Acquire(const std::filesystem::path& dir);
    void Release();

    bool Held() const { return fd_ >= 0; }
    // The directory whose lock is held.
    const std::filesystem::path& Dir() const { return dir_; }

  private:
    int fd_ = -1;
    std::filesystem::path dir_;
};

}  // namespace velmora
