#include "CliRun.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace {

std::string Slurp(int fd) {
  std::string text;
  lseek(fd, 0, SEEK_SET);
  char buf[4096];
  ssize_t n;
  while ((n = read(fd, buf, sizeof buf)) > 0) text.append(buf, static_cast<size_t>(n));
  return text;
}

int TempFile() {
  char name[] = "/tmp/vantrel-cli-io-XXXXXX";
  const int fd = mkstemp(name);
  if (fd >= 0) unlink(name);
  return fd;
}

}  // namespace

CliResult RunChild(const CliRun& run) {
  CliResult result;
  const int in = TempFile(), out = TempFile(), err = TempFile();
  if (in < 0 || out < 0 || err < 0) return result;
  if (write(in, run.input.data(), run.input.size()) != static_cast<ssize_t>(run.input.size())) return result;
  lseek(in, 0, SEEK_SET);

  std::vector<std::string> envText;
  for (const auto& [key, value] : run.env) envText.push_back(key + "=" + value);
  std::vector<char*> argv{const_cast<char*>(run.program.c_str())};
  for (const auto& a : run.args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (auto& e : envText) envp.push_back(e.data());
  envp.push_back(nullptr);

  int deadPipe[2] = {-1, -1};
  if (run.out == CliRun::TOut::ClosedPipe) {
    if (pipe(deadPipe) != 0) return result;
    close(deadPipe[0]);
  }
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(in, 0);
    switch (run.out) {
      case CliRun::TOut::File:
        dup2(out, 1);
        break;
      case CliRun::TOut::Closed:
        close(1);
        break;
      case CliRun::TOut::DevFull:
        dup2(open("/dev/full", O_WRONLY), 1);
        break;
      case CliRun::TOut::ClosedPipe:
        dup2(deadPipe[1], 1);
        break;
    }
    dup2(err, 2);
    // Nothing else of the test's stays open in the child.
    for (int fd : {in, out, err, deadPipe[1]})
      if (fd > 2) close(fd);
    if (!run.workDir.empty() && chdir(run.workDir.c_str()) != 0) _exit(126);
    execve(run.program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  if (pid > 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.started = true;
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    result.out = Slurp(out);
    result.err = Slurp(err);
  }
  if (deadPipe[1] >= 0) close(deadPipe[1]);
  close(in);
  close(out);
  close(err);
  return result;
}
