// A companion program (verdalis-prep) run as a child process while R's
// thread waits for it as it waits for an analysis: every tenth of a second,
// watching for an interrupt. An interrupt asks the child to stop (SIGTERM,
// on which the companions remove what they were writing), waits for it to
// end and is then R's own; no process outlives the call.
#include <Rcpp.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

class childProcess {
 public:
  childProcess(const std::vector<std::string>& command, const std::string& out, const std::string& err) {
    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int failed = posix_spawn(&pid_, argv[0], &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    if (failed != 0) Rcpp::stop(command[0] + " could not be started: " + std::strerror(failed));
  }
  ~childProcess() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }
  childProcess(const childProcess&) = delete;
  childProcess& operator=(const childProcess&) = delete;

  // The exit status once the child has ended (128 + the signal that ended
  // it), or -1 while it runs.
  int ended() {
    int status = 0;
    const pid_t done = ::waitpid(pid_, &status, WNOHANG);
    if (done != pid_) return -1;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

 private:
  pid_t pid_ = -1;
};

}  // namespace

// The program and its words; standard output and error go to the two
// files. Returns its exit status.
// [[Rcpp::export(.verdalis_run_program)]]
int verdalisRunProgram(std::vector<std::string> command, std::string out, std::string err) {
  childProcess child(command, out, err);
  for (;;) {
    const int status = child.ended();
    if (status >= 0) return status;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Rcpp::checkUserInterrupt();
  }
}
