#include "platform/DesktopOpen.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace velmora {

std::vector<std::string> SplitArguments(std::string_view text) {
    std::vector<std::string> out;
    std::string current;
    bool inArgument = false;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (inArgument) out.push_back(std::move(current));
            current.clear();
            inArgument = false;
            ++i;
            continue;
        }
        inArgument = true;
        if (c == '"' || c == '\'') {
            ++i;
            while (i < text.size() && text[i] != c) {
                if (c == '"' && text[i] == '\\' && i + 1 < text.size() &&
                    (text[i + 1] == '"' || text[i + 1] == '\\')) {
                    ++i;
                }
                current += text[i++];
            }
            ++i;  // the closing quote (an unclosed one runs to the end)
        } else if (c == '\\' && i + 1 < text.size()) {
            current += text[i + 1];
            i += 2;
        } else {
            current += c;
            ++i;
        }
    }
    if (inArgument) out.push_back(std::move(current));
    return out;
}

namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

bool IsExecutableCommand(std::string_view command) {
    if (command.empty()) return false;
    const std::string name(command);
    if (name.find('/') != std::string::npos) return IsExecutableFile(name);
    const char* path = std::getenv("PATH");
    std::string_view dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const std::size_t colon = dirs.find(':');
        std::string dir(dirs.substr(0, colon));
        if (dir.empty()) dir = ".";
        dir += '/';
        dir += name;
        if (IsExecutableFile(dir)) return true;
        if (colon == std::string_view::npos) return false;
        dirs.remove_prefix(colon + 1);
    }
}

bool StartDetached(const std::vector<std::string>& argv,
                   const std::filesystem::path& workingDirectory) {
    if (argv.empty() || argv[0].empty()) return false;
    // Everything the children need is made before the fork: after it they only call
    // async-signal-safe functions.
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const std::string dir = workingDirectory.string();

    // The grandchild reports a failed chdir or exec through this pipe; a successful exec
    // closes it (close-on-exec), so the parent reads end-of-file.
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return false;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (child == 0) {
        ::close(report[0]);
        // The middle process exits at once so that the program is adopted by init and
        // nobody has to wait for it.
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild != 0) ::_exit(grandchild < 0 ? 1 : 0);
        // The program starts with the default signal handling, whatever this process set up.
        sigset_t none;
        ::sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::signal(SIGPIPE, SIG_DFL);
        int error = 0;
        if (!dir.empty() && ::chdir(dir.c_str()) != 0) {
            error = errno;
        } else {
            ::execvp(args[0], args.data());
            error = errno;
        }
        [[maybe_unused]] const auto written = ::write(report[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t n;
    while ((n = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    const bool middleOk = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return middleOk && n == 0;
}

bool DesktopOpen(std::string_view command, std::string_view arguments,
                 const std::filesystem::path& workingDirectory) {
    if (command.empty()) return false;
    // The program is started in the working directory, so a relative path means a file there.
    std::string checked(command);
    if (!workingDirectory.empty() && checked.find('/') != std::string::npos &&
        checked.front() != '/') {
        checked = (workingDirectory / checked).string();
    }
    if (IsExecutableCommand(checked)) {
        std::vector<std::string> argv{std::string(command)};
        for (std::string& a : SplitArguments(arguments)) argv.push_back(std::move(a));
        return StartDetached(argv, workingDirectory);
    }
    return StartDetached({"xdg-open", std::string(command)}, workingDirectory);
}

}  // namespace velmora
