#include "platform/processes.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace dealcast::platform {

bool LocalProcesses::start(const std::filesystem::path& program, const std::vector<std::string>& arguments)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(program, ec) || ::access(program.c_str(), X_OK) != 0)
        return false;

    std::vector<std::string> args;
    args.push_back(program.string());
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    // A pipe closed on exec tells the parent whether exec succeeded; the grandchild is reparented so it
    // outlives us and leaves no zombie behind.
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return false;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    if (child == 0) {
        ::close(fds[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild != 0)
            ::_exit(grandchild < 0 ? 1 : 0);
        ::execv(argv[0], argv.data());
        const int err = errno;
        [[maybe_unused]] auto n = ::write(fds[1], &err, sizeof err);
        ::_exit(127);
    }
    ::close(fds[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int err = 0;
    ssize_t n;
    while ((n = ::read(fds[0], &err, sizeof err)) < 0 && errno == EINTR) {
    }
    ::close(fds[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && n == 0;
}

bool LocalProcesses::isRunning(std::string_view programName) const
{
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
        const std::string pid = entry.path().filename().string();
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream comm(entry.path() / "comm");
        std::string name;
        if (std::getline(comm, name) && name == programName)
            return true;
        // comm is cut at 15 characters; the executable's own name is whole.
        std::error_code linkError;
        const auto exe = std::filesystem::read_symlink(entry.path() / "exe", linkError);
        if (!linkError && exe.filename() == programName)
            return true;
    }
    return false;
}

bool LocalProcesses::hasTopLevelWindow(std::string_view, std::string_view) const { return false; }

}  // namespace dealcast::platform
