// Runs tarvik-printersim as a child process for the tests that use it as a
// network printer.
#pragma once

#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

class CPrinterSimProcess
{
public:
    explicit CPrinterSimProcess(std::vector<std::string> args)
    {
        int out[2];
        if (pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        args.insert(args.begin(), TARVIK_PRINTERSIM);
        std::vector<char *> argv;
        for (auto &arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn(&m_pid, TARVIK_PRINTERSIM, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        m_stdout = out[0];
    }
    ~CPrinterSimProcess()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_stdout >= 0)
            close(m_stdout);
    }

    // The first line of standard output: the port it listens on, -1 if none.
    int ReadPort()
    {
        std::string line;
        char c;
        pollfd pfd{m_stdout, POLLIN, 0};
        while (poll(&pfd, 1, 10000) > 0 && read(m_stdout, &c, 1) == 1 && c != '\n')
            line += c;
        return line.empty() ? -1 : std::atoi(line.c_str());
    }

    // Sends `signal` and returns the exit status, or -1 if it did not exit normally.
    int StopWith(int signal)
    {
        kill(m_pid, signal);
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    int Wait()
    {
        int status = 0;
        waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t m_pid = -1;
    int m_stdout = -1;
};
