#include "cli_runner.h"

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

CliRun RunCli(const std::vector<std::string>& args, const std::vector<std::string>& env,
              const std::string& strStdin) {
    CliRun run;
    int in[2], out[2], err[2];
    if (pipe(in) || pipe(out) || pipe(err)) return run;
    std::vector<char*> argv{const_cast<char*>(ZARVON_CLI)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
        execve(ZARVON_CLI, argv.data(), envp.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    signal(SIGPIPE, SIG_IGN);
    if (!strStdin.empty()) (void)!write(in[1], strStdin.data(), strStdin.size());
    close(in[1]);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&run.strOut, &run.strErr};
    int open = 2;
    while (open > 0 && poll(fds, 2, -1) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            char buf[4096];
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                sinks[i]->append(buf, static_cast<size_t>(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    run.nExit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

CliRun RunCliOnTerminal(const std::vector<std::string>& args, const std::vector<std::string>& env,
                        const std::string& strPrompt, const std::string& strTyped) {
    CliRun run;
    std::vector<char*> argv{const_cast<char*>(ZARVON_CLI)};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    int master = -1;
    pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid < 0) return run;
    if (pid == 0) {
        execve(ZARVON_CLI, argv.data(), envp.data());
        _exit(127);
    }
    bool bTyped = false;
    for (;;) {
        pollfd fd{master, POLLIN, 0};
        if (poll(&fd, 1, 20000) <= 0) break;  // the child hangs: give up
        char buf[4096];
        ssize_t n = read(master, buf, sizeof buf);
        if (n <= 0) break;  // EIO once the child has closed the terminal
        run.strOut.append(buf, static_cast<size_t>(n));
        if (!bTyped && run.strOut.find(strPrompt) != std::string::npos) {
            (void)!write(master, strTyped.data(), strTyped.size());
            bTyped = true;
        }
    }
    close(master);
    int status = 0;
    waitpid(pid, &status, 0);
    run.nExit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}
