// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A program of the build run as a test's child: its output and errors caught in files of a
// folder, its exit status, and what it cost, as /usr/bin/time -v measures it.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/lib/test_files.h"

namespace ZapModule::testing {

struct ProgramRun {
    int Status = -1;  // the exit status; 128 + the signal when killed
    long PeakKiB = 0;
    double CpuSeconds = 0;  // user and system time, whatever else the machine is doing
    std::string Err, Out;
};

// Runs `program` with `args`, its output into the files out and err of `folder`.
inline ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                             const TempFolder& folder) {
    const std::string out = folder / "out", err = folder / "err";
    const pid_t child = ::fork();
    if (child == 0) {
        const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(outFd, 1);
        ::dup2(errFd, 2);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ProgramRun run;
    int status = 0;
    struct rusage usage {};
    ::wait4(child, &status, 0, &usage);
    const auto seconds = [](const timeval& t) {
        return double(t.tv_sec) + double(t.tv_usec) / 1e6;
    };
    run.CpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.PeakKiB = usage.ru_maxrss;
    run.Out = ReadText(out);
    run.Err = ReadText(err);
    return run;
}

}  // namespace ZapModule::testing
