#include "RunProgram.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

struct TPipe {
    int Read = -1;
    int Write = -1;
    TPipe() {
        int Fds[2];
        if (pipe2(Fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");
        Read = Fds[0];
        Write = Fds[1];
    }
};

void Close(int& Fd) {
    if (Fd >= 0) close(Fd);
    Fd = -1;
}

// Moves whatever is readable from Fd into Sink; closes Fd at its end.
void Drain(int& Fd, std::string& Sink) {
    char Buffer[1 << 16];
    const ssize_t Count = read(Fd, Buffer, sizeof Buffer);
    if (Count > 0)
        Sink.append(Buffer, static_cast<std::size_t>(Count));
    else if (Count == 0 || errno != EINTR)
        Close(Fd);
}

} // namespace

TRunResult RunProgram(const std::string& Program, const std::vector<std::string>& Args,
                      std::string_view Input, int TimeoutSeconds) {
    std::signal(SIGPIPE, SIG_IGN); // a child that stops reading must not kill the test
    TPipe In, Out, Err;
    posix_spawn_file_actions_t Actions;
    posix_spawn_file_actions_init(&Actions);
    posix_spawn_file_actions_adddup2(&Actions, In.Read, 0);
    posix_spawn_file_actions_adddup2(&Actions, Out.Write, 1);
    posix_spawn_file_actions_adddup2(&Actions, Err.Write, 2);
    std::vector<char*> Argv{const_cast<char*>(Program.c_str())};
    for (const auto& Arg : Args)
        Argv.push_back(const_cast<char*>(Arg.c_str()));
    Argv.push_back(nullptr);
    pid_t Pid = 0;
    const int Spawned = posix_spawn(&Pid, Program.c_str(), &Actions, nullptr, Argv.data(), environ);
    posix_spawn_file_actions_destroy(&Actions);
    Close(In.Read);
    Close(Out.Write);
    Close(Err.Write);
    TRunResult Result;
    if (Spawned != 0) {
        Close(In.Write), Close(Out.Read), Close(Err.Read);
        throw std::runtime_error("cannot start " + Program);
    }

    fcntl(In.Write, F_SETFL, O_NONBLOCK);
    if (Input.empty()) Close(In.Write);
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(TimeoutSeconds);
    bool TimedOut = false;
    while (Out.Read >= 0 || Err.Read >= 0) {
        if (std::chrono::steady_clock::now() > Deadline) {
            TimedOut = true;
            kill(Pid, SIGKILL);
            break;
        }
        pollfd Fds[3] = {{In.Write, POLLOUT, 0}, {Out.Read, POLLIN, 0}, {Err.Read, POLLIN, 0}};
        if (poll(Fds, 3, 1000) < 0 && errno != EINTR) break;
        if (Fds[0].revents & (POLLOUT | POLLERR | POLLHUP)) {
            const ssize_t Written = write(In.Write, Input.data(), Input.size());
            if (Written > 0) Input.remove_prefix(static_cast<std::size_t>(Written));
            if (Input.empty() || (Written < 0 && errno != EAGAIN && errno != EINTR))
                Close(In.Write);
        }
        if (Fds[1].revents & (POLLIN | POLLHUP | POLLERR)) Drain(Out.Read, Result.Out);
        if (Fds[2].revents & (POLLIN | POLLHUP | POLLERR)) Drain(Err.Read, Result.Err);
    }
    Close(In.Write), Close(Out.Read), Close(Err.Read);
    int Status = 0;
    waitpid(Pid, &Status, 0);
    if (TimedOut)
        Result.Status = -1;
    else if (WIFEXITED(Status))
        Result.Status = WEXITSTATUS(Status);
    else
        Result.Status = 128 + WTERMSIG(Status);
    return Result;
}
