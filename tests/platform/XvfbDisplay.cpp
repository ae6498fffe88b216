#include "XvfbDisplay.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

extern char** environ;

namespace toneloom::testing {

namespace {

constexpr int kStartTimeoutMs = 15000;

class XvfbServer
{
public:
    ~XvfbServer()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            int status = 0;
            waitpid(pid, &status, 0);
        }
    }

    bool Start(std::string* error)
    {
        int fds[2] = {-1, -1};
        if (pipe(fds) != 0) {
            *error = "pipe failed";
            return false;
        }
        // Xvfb writes its display number to the descriptor and a newline.
        std::string fdText = std::to_string(fds[1]);
        std::string program = "Xvfb";
        std::string displayFd = "-displayfd";
        std::string screen = "-screen";
        std::string screenNumber = "0";
        std::string geometry = "1024x768x24";
        std::string noTcp = "-nolisten";
        std::string tcp = "tcp";
        char* arguments[] = {program.data(), displayFd.data(),    fdText.data(),
                             screen.data(),  screenNumber.data(), geometry.data(),
                             noTcp.data(),   tcp.data(),          nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", 0, 0);
        const int spawned = posix_spawnp(&pid, "Xvfb", &actions, nullptr, arguments, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (spawned != 0) {
            close(fds[0]);
            pid = -1;
            *error = "Xvfb could not be started (is the xvfb package installed?)";
            return false;
        }
        std::string number;
        pollfd wait{fds[0], POLLIN, 0};
        while (number.find('\n') == std::string::npos && poll(&wait, 1, kStartTimeoutMs) > 0) {
            char chunk[16] = {};
            const ssize_t got = read(fds[0], chunk, sizeof chunk);
            if (got <= 0) {
                break;
            }
            number.append(chunk, static_cast<size_t>(got));
        }
        close(fds[0]);
        const size_t end = number.find('\n');
        if (end == std::string::npos || end == 0) {
            *error = "Xvfb did not report its display";
            return false;
        }
        const std::string display = ":" + number.substr(0, end);
        setenv("DISPLAY", display.c_str(), 1);
        return true;
    }

private:
    pid_t pid = -1;
};

} // namespace

bool EnsureVirtualDisplay(std::string* error)
{
    static std::unique_ptr<XvfbServer> server;
    static bool started = false;
    static std::string startError;
    if (server == nullptr) {
        server = std::make_unique<XvfbServer>();
        started = server->Start(&startError);
    }
    if (!started && error != nullptr) {
        *error = startError;
    }
    return started;
}

} // namespace toneloom::testing
