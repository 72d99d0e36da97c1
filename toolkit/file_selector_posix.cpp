// File dialogs on Linux: the desktop's helper program (zenity, else kdialog) run as a child process;
// its standard output is the chosen path. No toolkit library is loaded into the host's process.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "toolkit/file_selector.h"

extern char** environ;

namespace {

// The full path of an executable found in PATH, or "".
std::string findInPath(const char* name) {
    const char* path = std::getenv("PATH");
    if (!path) return {};
    std::string dirs = path;
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string candidate = dirs.substr(start, end - start);
        if (!candidate.empty()) {
            candidate += '/';
            candidate += name;
            if (access(candidate.c_str(), X_OK) == 0) return candidate;
        }
        start = end + 1;
    }
    return {};
}

std::string withSlash(const std::string& directory) {
    if (directory.empty() || directory.back() == '/') return directory;
    return directory + '/';
}

std::vector<std::string> zenityArguments(const std::string& program, const FileDialogRequest& r) {
    std::vector<std::string> args{program, "--file-selection", "--title=" + r.title};
    if (r.style == FileDialogRequest::kSave) {
        args.push_back("--save");
        args.push_back("--confirm-overwrite");
        args.push_back("--filename=" + withSlash(r.initialDirectory) + r.defaultSaveName);
    } else if (!r.initialDirectory.empty()) {
        args.push_back("--filename=" + withSlash(r.initialDirectory));
    }
    if (r.allowMultiple && r.style == FileDialogRequest::kOpen) {
        args.push_back("--multiple");
        args.push_back("--separator=\n");
    }
    for (const CFileExtension& e : r.extensions)
        args.push_back("--file-filter=" + e.getDescription() + " (*." + e.getExtension() + ") | *." + e.getExtension());
    return args;
}

std::vector<std::string> kdialogArguments(const std::string& program, const FileDialogRequest& r) {
    std::vector<std::string> args{program, "--title", r.title};
    if (r.style == FileDialogRequest::kSave) {
        args.push_back("--getsavefilename");
        args.push_back(withSlash(r.initialDirectory) + r.defaultSaveName);
    } else {
        args.push_back("--getopenfilename");
        args.push_back(r.initialDirectory.empty() ? "." : r.initialDirectory);
    }
    std::string filter;
    for (const CFileExtension& e : r.extensions) {
        if (!filter.empty()) filter += '\n';
        filter += "*." + e.getExtension() + "|" + e.getDescription();
    }
    if (!filter.empty()) args.push_back(filter);
    if (r.allowMultiple && r.style == FileDialogRequest::kOpen) {
        args.push_back("--multiple");
        args.push_back("--separate-output");
    }
    return args;
}

// Runs the program, collecting its standard output; whileWaiting runs about every 50 ms. True when it
// ended with status 0. When abandoned() says so, the program is ended and the answer is "cancelled".
bool runHelper(const std::vector<std::string>& args, const FileDialogRequest& request, std::string& output) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        return false;
    }
    constexpr int kWaitSliceMs = 50;
    bool abandoned = false;
    for (;;) {
        pollfd fd{pipeFds[0], POLLIN, 0};
        const int ready = poll(&fd, 1, kWaitSliceMs);
        if (ready < 0 && errno != EINTR) break;
        if (ready > 0) {
            char buffer[4096];
            const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;  // the helper closed its output: it has ended
            output.append(buffer, static_cast<std::size_t>(n));
        } else if (request.abandoned && request.abandoned()) {
            kill(pid, SIGTERM);
            abandoned = true;
            break;
        } else if (request.whileWaiting) {
            request.whileWaiting();
        }
    }
    close(pipeFds[0]);
    int status = 0;
    pid_t waited;
    do waited = waitpid(pid, &status, 0);
    while (waited < 0 && errno == EINTR);
    if (abandoned) return false;
    if (waited < 0) return !output.empty();  // the host reaped the child itself: trust what it printed
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class HelperDialog : public FileDialogBackend {
public:
    bool run(const FileDialogRequest& request, std::vector<std::string>& selected) override {
        std::vector<std::string> args;
        if (std::string zenity = findInPath("zenity"); !zenity.empty()) args = zenityArguments(zenity, request);
        else if (std::string kdialog = findInPath("kdialog"); !kdialog.empty()) args = kdialogArguments(kdialog, request);
        else return false;  // no helper: no dialog
        std::string output;
        if (!runHelper(args, request, output)) return false;
        std::size_t start = 0;
        while (start < output.size()) {
            std::size_t end = output.find('\n', start);
            if (end == std::string::npos) end = output.size();
            if (end > start) selected.push_back(output.substr(start, end - start));
            start = end + 1;
        }
        return !selected.empty();
    }
};

}  // namespace

FileDialogBackend& platformFileDialogBackend() {
    static HelperDialog dialog;  // stateless
    return dialog;
}
