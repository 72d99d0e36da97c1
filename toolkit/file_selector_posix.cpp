// File dialogs on Linux: the desktop's helper program (zenity, else kdialog) run as a child process beside
// the host; its standard output is the chosen path, read when the frame idles. No toolkit library is
// loaded into the host's process, and no host thread waits for the user.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <memory>
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

std::string withExtension(const std::string& path, const FileDialogRequest& r);

// Offered with its extension, so that the helper's question before overwriting is about the real file.
std::string defaultSaveName(const FileDialogRequest& r) {
    return r.defaultSaveName.empty() ? r.defaultSaveName : withExtension(r.defaultSaveName, r);
}

std::vector<std::string> zenityArguments(const std::string& program, const FileDialogRequest& r) {
    std::vector<std::string> args{program, "--file-selection", "--title=" + r.title};
    if (r.style == FileDialogRequest::kSave) {
        args.push_back("--save");
        args.push_back("--confirm-overwrite");
        args.push_back("--filename=" + withSlash(r.initialDirectory) + defaultSaveName(r));
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
        args.push_back(withSlash(r.initialDirectory) + defaultSaveName(r));
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

// The chosen name with the type's extension: a name typed without it would be saved as typed and then
// hidden by the next load dialog's filter (the system's save dialog in the DLL appends it as well).
std::string withExtension(const std::string& path, const FileDialogRequest& r) {
    if (r.style != FileDialogRequest::kSave || r.extensions.empty() || path.empty() || path.back() == '/') return path;
    const std::string suffix = "." + r.extensions.front().getExtension();
    const std::size_t slash = path.rfind('/');
    const std::size_t nameLength = slash == std::string::npos ? path.size() : path.size() - slash - 1;
    if (nameLength > suffix.size()) {  // ".okb" alone is a hidden file's name, not one with the extension
        const std::string end = path.substr(path.size() - suffix.size());
        if (std::equal(end.begin(), end.end(), suffix.begin(),
                       [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b)); }))
            return path;
    }
    return path + suffix;
}

// The helper program running beside the host: its output is read as it comes, without waiting, and the
// dialog has ended once the program has closed its output and exited.
class HelperSession : public FileDialogSession {
public:
    HelperSession(pid_t pid, int output, const FileDialogRequest& request) : pid_(pid), output_(output), request_(request) {}
    ~HelperSession() override {
        if (output_ >= 0) close(output_);
        if (pid_ > 0) endHelper();
    }

    bool finished(std::vector<std::string>& chosen) override {
        readAvailable();
        if (output_ >= 0) return false;
        int status = 0;
        pid_t reaped;
        do reaped = waitpid(pid_, &status, WNOHANG);
        while (reaped < 0 && errno == EINTR);
        if (reaped == 0) return false;  // output closed, not yet exited
        pid_ = -1;
        // A host that reaps children itself leaves no status: trust what the helper printed.
        const bool ok = reaped < 0 ? !text_.empty() : WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (!ok) return true;
        for (std::size_t start = 0; start < text_.size();) {
            std::size_t end = text_.find('\n', start);
            if (end == std::string::npos) end = text_.size();
            if (end > start) chosen.push_back(withExtension(text_.substr(start, end - start), request_));
            start = end + 1;
        }
        return true;
    }

private:
    void readAvailable() {
        while (output_ >= 0) {
            char buffer[4096];
            const ssize_t n = read(output_, buffer, sizeof buffer);
            if (n > 0) {
                text_.append(buffer, static_cast<std::size_t>(n));
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
            close(output_);  // end of output (or an error reading it): the helper is done with us
            output_ = -1;
        }
    }

    // The window closes with the dialog still up: ask the helper to end, then make sure it does, and
    // collect it so no zombie is left in the host.
    void endHelper() {
        kill(pid_, SIGTERM);
        for (int i = 0; i < 40; ++i) {
            pid_t reaped = waitpid(pid_, nullptr, WNOHANG);
            if (reaped != 0 && !(reaped < 0 && errno == EINTR)) return;
            usleep(5000);
        }
        kill(pid_, SIGKILL);
        while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
    }

    pid_t pid_;
    int output_;
    FileDialogRequest request_;
    std::string text_;
};

// Starts the program with its standard output on a pipe we read without blocking.
std::unique_ptr<FileDialogSession> startHelper(const std::vector<std::string>& args, const FileDialogRequest& request) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) return nullptr;
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
        return nullptr;
    }
    fcntl(pipeFds[0], F_SETFL, fcntl(pipeFds[0], F_GETFL) | O_NONBLOCK);
    return std::make_unique<HelperSession>(pid, pipeFds[0], request);
}

class HelperDialog : public FileDialogBackend {
public:
    std::unique_ptr<FileDialogSession> start(const FileDialogRequest& request) override {
        if (std::string zenity = findInPath("zenity"); !zenity.empty())
            return startHelper(zenityArguments(zenity, request), request);
        if (std::string kdialog = findInPath("kdialog"); !kdialog.empty())
            return startHelper(kdialogArguments(kdialog, request), request);
        return nullptr;  // no helper: no dialog
    }
};

}  // namespace

FileDialogBackend& platformFileDialogBackend() {
    static HelperDialog dialog;  // stateless
    return dialog;
}
