#include "platform/Status.h"

#include <cerrno>
#include <cstring>

namespace velmora {

Status Status::Error(std::string message, StatusCode code) {
    Status s;
    s.code_ = code == StatusCode::Ok ? StatusCode::Failed : code;
    s.message_ = std::move(message);
    return s;
}

Status Status::FileError(std::string what, std::filesystem::path path, int errorNumber,
                         StatusCode code) {
    Status s = Error(std::move(what), code);
    s.path_ = std::move(path);
    s.errorNumber_ = errorNumber;
    return s;
}

Status Status::FileError(std::string what, std::filesystem::path path, std::string reason,
                         StatusCode code) {
    Status s = FileError(std::move(what), std::move(path), 0, code);
    s.reason_ = std::move(reason);
    return s;
}

std::string Status::ToString() const {
    if (IsOk()) return "OK";
    std::string text = message_;
    if (!path_.empty()) text += " " + path_.string();
    if (errorNumber_ != 0) {
        text += ": ";
        text += std::strerror(errorNumber_);
    } else if (!reason_.empty()) {
        text += ": " + reason_;
    }
    return text;
}

Status ErrnoStatus(std::string what, const std::filesystem::path& path) {
    const int err = errno;
    return Status::FileError(std::move(what), path, err,
                             err == ENOENT ? StatusCode::NotFound : StatusCode::IoError);
}

}  // namespace velmora
