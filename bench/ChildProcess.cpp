#include "ChildProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <sstream>

#include "BenchMath.h"

extern char** environ;

namespace ChildProcess {

namespace {

std::optional<Result> Spawn(const std::string& program, const std::vector<std::string>& arguments,
                            bool searchPath) {
    std::vector<std::string> args{program};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    int pipeFds[2];
    if (pipe(pipeFds) != 0) return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
    if (searchPath)
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    Result result;
    pid_t pid = 0;
    result.StartNs = BenchMath::NowNs();
    const int spawned =
        searchPath ? posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ)
                   : posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        return std::nullopt;
    }
    char buffer[4096];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        result.Output.append(buffer, std::size_t(n));
    close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const auto ms = [](timeval t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    result.CpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
    result.PeakMB = double(usage.ru_maxrss) * 1024 / 1e6;
    return result;
}

}  // namespace

std::optional<Result> RunSelf(const std::vector<std::string>& arguments) {
    return Spawn(QCoreApplication::applicationFilePath().toStdString(), arguments, false);
}

std::optional<Result> Run(const std::string& program, const std::vector<std::string>& arguments) {
    return Spawn(program, arguments, true);
}

std::optional<double> Value(const std::string& output, const std::string& key) {
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(key + " ", 0) != 0) continue;
        try {
            return std::stod(line.substr(key.size() + 1));
        } catch (...) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace ChildProcess
