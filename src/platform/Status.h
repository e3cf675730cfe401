#pragma once
// The outcome of an operation that can fail. A Status is success, or a failure with a message
// saying what went wrong and, when a file was involved, the file's path and the system's error
// number, so the person reading it learns which file and why:
//
//     Status s = WriteFileAtomically(path, bytes);
//     if (!s) ui.ShowMessage(s.ToString()); // "cannot write /w/KGHM.dat: No space left on device"
//
// Result<T> carries a value on success and the failing Status otherwise. Both are
// [[nodiscard]]: a caller that means to drop a failure says so with IgnoreError().
//
// The program's numeric result codes (automation methods, the importers' documented return
// values, exit statuses) are made from a Status at the edge where they are observable.

#include <cassert>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

namespace velmora {

// The kind of a failure, for callers that act differently on different failures.
enum class StatusCode {
    Ok,
    Failed,        // anything the other codes do not name
    NotFound,      // the file or item does not exist
    IoError,       // the system could not read or write it
    BadMagic,      // a file that is not of the expected kind
    NotSupported,  // a kind or version this program does not read
    Corrupt,       // a file of the right kind whose contents do not fit together
    Cancelled,     // the user stopped the operation
    InUse,         // another program holds it
};

class [[nodiscard]] Status {
  public:
    // Success.
    Status() = default;
    static Status Ok() { return Status(); }
    // A failure described by the message alone.
    static Status Error(std::string message, StatusCode code = StatusCode::Failed);
    // A failed file operation: `what` says what could not be done ("cannot write"), `path`
    // names the file and `errorNumber` is the system's errno (0 when the system gave none).
    static Status FileError(std::string what, std::filesystem::path path, int errorNumber = 0,
                            StatusCode code = StatusCode::IoError);
    // A failed file operation whose reason is not a system error: "what path: reason".
    static Status FileError(std::string what, std::filesystem::path path, std::string reason,
                            StatusCode code);

    bool IsOk() const { return code_ == StatusCode::Ok; }
    StatusCode Code() const { return code_; }
    explicit operator bool() const { return IsOk(); }

    // Empty on success.
    const std::string& Message() const { return message_; }
    const std::filesystem::path& Path() const { return path_; }
    int ErrorNumber() const { return errorNumber_; }
    // The whole text for a person: "what path: reason" for a file failure ("reason" is the
    // system's text for the error number, left out when there is none), the message otherwise,
    // and "OK" on success.
    std::string ToString() const;

    // Marks a failure as deliberately not acted on.
    void IgnoreError() const {}

    // The first failure of the two: keeps this one when it already failed.
    Status& Update(Status other) {
        if (IsOk()) *this = std::move(other);
        return *this;
    }

  private:
    StatusCode code_ = StatusCode::Ok;
    int errorNumber_ = 0;
    std::string message_;
    std::string reason_;
    std::filesystem::path path_;
};

// The status of the last system call for a file, taken from errno: NotFound for a missing
// file, IoError otherwise.
Status ErrnoStatus(std::string what, const std::filesystem::path& path);

template <class T>
class [[nodiscard]] Result {
  public:
    // Success with the value.
    Result(T value) : value_(std::move(value)) {}  // NOLINT(google-explicit-constructor)
    // Failure; a success status given here is turned into a failure, since there is no value.
    Result(Status status)  // NOLINT(google-explicit-constructor)
        : status_(status.IsOk() ? Status::Error("no value") : std::move(status)) {}

    bool IsOk() const { return value_.has_value(); }
    explicit operator bool() const { return IsOk(); }

    // The value; only on success.
    T& Value() & {
        assert(IsOk());
        return *value_;
    }
    const T& Value() const& {
        assert(IsOk());
        return *value_;
    }
    T&& Value() && {
        assert(IsOk());
        return std::move(*value_);
    }
    T* operator->() { return &Value(); }
    const T* operator->() const { return &Value(); }
    T& operator*() & { return Value(); }
    const T& operator*() const& { return Value(); }

    T ValueOr(T fallback) const& { return IsOk() ? *value_ : std::move(fallback); }
    // Success, or the failure.
    const Status& GetStatus() const { return status_; }

    void IgnoreError() const {}

  private:
    std::optional<T> value_;
    Status status_;
};

}  // namespace velmora
