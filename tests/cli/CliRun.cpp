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

  const pid_t pid = fork();
  if (pid == 0) {
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    if (!run.workDir.empty() && chdir(run.workDir.c_str()) != 0) _exit(126);
    execve(run.program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  if (pid > 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    result.started = true;
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = Slurp(out);
    result.err = Slurp(err);
  }
  close(in);
  close(out);
  close(err);
  return result;
}
