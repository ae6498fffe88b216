#include "XvfbDisplay.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

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
        // -noreset: without it the server resets whenever its last client
        // leaves, and a connection made during the reset is refused.
        const std::string fdText = std::to_string(fds[1]);
        pid = fork();
        if (pid == 0) {
            // The server goes when the test program goes, however it ends.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            close(fds[0]);
            const int devNull = open("/dev/null", O_RDWR);
            dup2(devNull, STDIN_FILENO);
            dup2(devNull, STDOUT_FILENO);
            dup2(devNull, STDERR_FILENO);
            execlp("Xvfb", "Xvfb", "-displayfd", fdText.c_str(), "-screen", "0", "1920x1440x24",
                   "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        if (pid < 0) {
            close(fds[0]);
            pid = -1;
            *error = "Xvfb could not be started";
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
            *error = "Xvfb did not report its display (is the xvfb package installed?)";
            return false;
        }
        const std::string display = ":" + number.substr(0, end);
        setenv("DISPLAY", display.c_str(), 1);
        return true;
    }

    pid_t Process() const { return pid; }

private:
    pid_t pid = -1;
};

std::unique_ptr<XvfbServer>& Server()
{
    static std::unique_ptr<XvfbServer> server;
    return server;
}

} // namespace

int VirtualDisplayProcess()
{
    return Server() != nullptr ? static_cast<int>(Server()->Process()) : -1;
}

bool EnsureVirtualDisplay(std::string* error)
{
    std::unique_ptr<XvfbServer>& server = Server();
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
