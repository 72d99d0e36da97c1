// Runs a piece of code in a child process that the kernel kills at its first system call (strict
// seccomp mode), to show that the code makes none. Linux only.
#pragma once

#include <linux/seccomp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

// True when f ran to its end without a system call. Everything f needs must exist before the call
// (the child is a copy of this process); f must not allocate or print.
template <typename F>
bool runsWithoutSystemCalls(F&& f) {
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        if (prctl(PR_SET_SECCOMP, SECCOMP_MODE_STRICT) != 0) _exit(2);
        f();
        syscall(SYS_exit, 0);  // the one way out strict mode allows (exit_group would be killed)
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace testsupport
