#include "platform/Status.h"

#include <cerrno>
#include <cstring>

namespace velmora {

Status Status::Error(std::string message) {
    Status s;
    s.failed_ = true;
    s.message_ = std::move(message);
    return s;
}

Status Status::FileError(std::string what, std::filesystem::path path, int errorNumber) {
    Status s = Error(std::move(what));
    s.path_ = std::move(path);
    s.errorNumber_ = errorNumber;
    return s;
}

std::string Status::ToString() const {
    if (IsOk()) return "OK";
    std::string text = message_;
    if (!path_.empty()) text += " " + path_.string();
    if (errorNumber_ != 0) {
        text += ": ";
        text += std::strerror(errorNumber_);
    }
    return text;
}

Status ErrnoStatus(std::string what, const std::filesystem::path& path) {
    return Status::FileError(std::move(what), path, errno);
}

}  // namespace velmora
