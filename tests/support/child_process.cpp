#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <sstream>

#include "clock.h"

ChildProcess::ChildProcess(const std::string& dir, const std::string& program, const std::vector<std::string>& args,
                           const std::vector<std::string>& environment)
    : dir_(dir) {
    std::vector<std::string> argvText{program};
    argvText.insert(argvText.end(), args.begin(), args.end());
    pid_ = fork();
    if (pid_ != 0) return;

    // A test killed by its time-out must not leave the program behind.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (chdir(dir.c_str()) != 0) _exit(126);
    const int in = open("/dev/null", O_RDONLY);
    const int out = open((dir + "/stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open((dir + "/stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0) _exit(126);
    dup2(in, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    for (const std::string& entry : environment) putenv(const_cast<char*>(entry.c_str()));
    std::vector<char*> argv;
    for (std::string& a : argvText) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

ChildProcess::~ChildProcess() {
    if (running()) {
        kill(pid_, SIGKILL);
        wait(5);
    }
}

bool ChildProcess::running() { return pid_ > 0 && !status_ && !wait(0); }

std::optional<int> ChildProcess::wait(double timeoutSeconds) {
    if (status_ || pid_ <= 0) return status_;
    const double deadline = MonotonicSeconds() + timeoutSeconds;
    while (true) {
        int raw = 0;
        if (waitpid(pid_, &raw, WNOHANG) == pid_) {
            status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            return status_;
        }
        if (MonotonicSeconds() >= deadline) return std::nullopt;
        usleep(20 * 1000);
    }
}

std::string ChildProcess::output() const { return ReadFile(dir_ + "/stdout.txt"); }
std::string ChildProcess::errors() const { return ReadFile(dir_ + "/stderr.txt"); }

std::string SanitizerOptionsForGlProgram() {
    const char* inherited = getenv("ASAN_OPTIONS");
    return std::string("ASAN_OPTIONS=") + (inherited ? inherited : "") + ":verify_asan_link_order=0:detect_leaks=0";
}

namespace {

bool Says(const std::function<std::string()>& read, const std::string& text, double timeoutSeconds) {
    const double deadline = MonotonicSeconds() + timeoutSeconds;
    while (read().find(text) == std::string::npos && MonotonicSeconds() < deadline) usleep(20 * 1000);
    return read().find(text) != std::string::npos;
}

}  // namespace

bool OutputSays(const ChildProcess& process, const std::string& text, double timeoutSeconds) {
    return Says([&] { return process.output(); }, text, timeoutSeconds);
}

bool ErrorsSay(const ChildProcess& process, const std::string& text, double timeoutSeconds) {
    return Says([&] { return process.errors(); }, text, timeoutSeconds);
}

int WarningLines(const std::string& text) {
    std::istringstream lines(text);
    int count = 0;
    for (std::string line; std::getline(lines, line);) count += line.rfind("warning:", 0) == 0;
    return count;
}
