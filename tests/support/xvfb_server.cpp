#include "xvfb_server.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <string>

#include "clock.h"

XvfbServer::XvfbServer(double timeoutSeconds) {
    // -displayfd lets the server pick a free display number itself and report
    // it once it listens, so parallel tests never race for a number.
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        error_ = "pipe failed";
        return;
    }
    const std::string screen = std::to_string(screenWidth) + "x" + std::to_string(screenHeight) + "x24";
    pid_ = fork();
    if (pid_ < 0) {
        error_ = "fork failed";
        return;
    }
    if (pid_ == 0) {
        // The server ends with the process that started it, also when that
        // process is killed by a time-out or never destroys this object.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(pipeFds[0]);
        int quiet = open("/dev/null", O_RDWR);
        if (quiet >= 0) {
            dup2(quiet, STDIN_FILENO);
            dup2(quiet, STDOUT_FILENO);
            dup2(quiet, STDERR_FILENO);
        }
        const std::string fd = std::to_string(pipeFds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0",
               screen.c_str(), "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);

    const double deadline = MonotonicSeconds() + timeoutSeconds;
    std::string number;
    while (number.empty() || number.back() != '\n') {
        const int leftMs = static_cast<int>((deadline - MonotonicSeconds()) * 1000);
        pollfd pfd{pipeFds[0], POLLIN, 0};
        if (leftMs <= 0 || poll(&pfd, 1, leftMs) <= 0) {
            error_ = "Xvfb did not report a display number in time";
            break;
        }
        char c;
        if (read(pipeFds[0], &c, 1) != 1) {
            error_ = "Xvfb ended before it reported a display number (is it installed?)";
            break;
        }
        number += c;
    }
    close(pipeFds[0]);
    if (!error_.empty()) return;
    number.pop_back();
    display_ = ":" + number;

    // The number is written once the server listens; a connection proves it.
    while (true) {
        if (Display* probe = XOpenDisplay(display_.c_str())) {
            XCloseDisplay(probe);
            return;
        }
        if (MonotonicSeconds() > deadline) {
            error_ = "Xvfb on " + display_ + " accepted no connection in time";
            return;
        }
        usleep(50 * 1000);
    }
}

XvfbServer::~XvfbServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) return;
        usleep(20 * 1000);
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
}
