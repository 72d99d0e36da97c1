// An Xvfb server of the test program's own, on a display number it picks itself (-displayfd) and stopped
// with the object. name() is ":N", or empty when no server could be started; tests then skip.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

class VirtualDisplay {
public:
    explicit VirtualDisplay(const char* screen = "800x600x24") {
        if (access("/usr/bin/Xvfb", X_OK) != 0) return;
        int fds[2];
        if (pipe(fds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            // -noreset: the server outlives the moments between tests when no client is connected.
            execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-noreset", "-screen", "0",
                  screen, static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        pollfd p{fds[0], POLLIN, 0};
        char ch;
        while (pid_ > 0 && poll(&p, 1, 10000) > 0 && read(fds[0], &ch, 1) == 1 && ch != '\n') number_ += ch;
        close(fds[0]);
    }
    ~VirtualDisplay() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    bool running() const { return !number_.empty(); }
    std::string name() const { return running() ? ":" + number_ : std::string(); }

private:
    pid_t pid_ = -1;
    std::string number_;
};
