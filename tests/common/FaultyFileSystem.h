#pragma once
// A FileSystem over the real one that numbers its calls, records them, and fails the call of a
// chosen number with a chosen error, sends the process a chosen signal at the call of a chosen
// number (before making it), or runs a chosen action at a chosen rename. Syncs are
// counted and recorded but not passed on: what they do to the disk is no test's business, and
// leaving them out keeps loops over hundreds of saves quick.

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace velmora::test {

class FaultyFileSystem final : public FileSystem {
  public:
    // The call numbered `n` (from 1) fails with `error`; 0: none fails.
    void FailCall(int n, int error) {
        failAt_ = n;
        error_ = error;
    }
    // The process raises `signal` at the call numbered `n` (from 1), before the call is made.
    void SignalAtCall(int n, int signal) {
        signalAt_ = n;
        signal_ = signal;
    }
    // Every file created or renamed whose name holds `part` fails with `error` (a disk that
    // takes no more of that file).
    void FailNamed(std::string part, int error) {
        failName_ = std::move(part);
        error_ = error;
    }
    // Runs `action` instead of the rename numbered `n` (from 1).
    void AtRename(int n, std::function<void()> action) {
        renameAt_ = n;
        renameAction_ = std::move(action);
    }
    int Calls() const { return calls_; }
    // "create", "write", "close", "sync", "rename", "syncdir" with the file's or directory's
    // name, in the order made.
    std::vector<std::string> Log() const {
        std::lock_guard lock(mutex_);
        return log_;
    }

    int CreateNew(const std::filesystem::path& path, int& fd) override {
        if (const int e = Count("create", path)) return e;
        if (Named(path)) return error_;
        return SystemFileSystem().CreateNew(path, fd);
    }
    int WriteAll(int fd, const void* data, std::size_t size) override {
        if (const int e = Count("write", {})) return e;
        return SystemFileSystem().WriteAll(fd, data, size);
    }
    int Close(int fd) override {
        const int e = Count("close", {});
        const int closed = SystemFileSystem().Close(fd);
        return e != 0 ? e : closed;
    }
    int SyncFile(const std::filesystem::path& path) override { return Count("sync", path); }
    int Rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
        if (const int e = Count("rename", to)) return e;
        if (Named(to)) return error_;
        if (++renames_ == renameAt_ && renameAction_) renameAction_();
        return SystemFileSystem().Rename(from, to);
    }
    int SyncDirectory(const std::filesystem::path& dir) override { return Count("syncdir", dir); }
    int Remove(const std::filesystem::path& path) override {
        return SystemFileSystem().Remove(path);
    }

  private:
    bool Named(const std::filesystem::path& path) const {
        return !failName_.empty() && path.filename().string().find(failName_) != std::string::npos;
    }
    int Count(const char* what, const std::filesystem::path& path) {
        const int n = ++calls_;
        if (n == signalAt_) ::kill(::getpid(), signal_);
        {
            std::lock_guard lock(mutex_);
            log_.push_back(std::string(what) + " " + path.filename().string());
        }
        return n == failAt_ ? error_ : 0;
    }

    std::atomic<int> calls_{0};
    int failAt_ = 0;
    int signalAt_ = 0;
    int signal_ = 0;
    int error_ = 0;
    std::string failName_;
    int renames_ = 0;
    int renameAt_ = 0;
    std::function<void()> renameAction_;
    mutable std::mutex mutex_;
    std::vector<std::string> log_;
};

}  // namespace velmora::test
