#pragma once
// Programs a test starts and ends itself, each by its process id.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

// Starts a program with its output in the log, written anew or added to.
inline pid_t Spawn(const std::vector<std::string>& args, const std::string& log, bool appendToLog = false) {
    pid_t pid = ::fork();
    if (pid == 0) {
        FILE* out = std::fopen(log.c_str(), appendToLog ? "a" : "w");
        if (out) {
            ::dup2(fileno(out), 1);
            ::dup2(fileno(out), 2);
        }
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

// Ends it with the signal, with SIGKILL after 5 s; its exit status, or -1.
inline int Stop(pid_t pid, int signal = SIGTERM) {
    if (pid <= 0) return -1;
    ::kill(pid, signal);
    int status = 0;
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
}
