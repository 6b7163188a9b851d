#include "mariadb_server.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <chrono>
#include <cstring>
#include <thread>

namespace tnwk::testing {
namespace {

// Starts `argv` with its standard streams on the given files. The child is
// killed when this process dies, so a crashed test leaves no server behind.
pid_t Spawn(std::vector<std::string> argv, const std::string& in,
            const std::string& out, const std::string& err) {
  std::vector<char*> args;
  for (std::string& arg : argv) args.push_back(arg.data());
  args.push_back(nullptr);
  const pid_t pid = fork();
  if (pid != 0) return pid;
#ifdef __linux__
  prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
  const int fds[3] = {open(in.c_str(), O_RDONLY),
                      open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600),
                      open(err.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600)};
  for (int i = 0; i < 3; ++i) {
    if (fds[i] < 0 || dup2(fds[i], i) < 0) _exit(126);
  }
  execvp(args[0], args.data());
  // The server lives in sbin, which a user's PATH may leave out.
  execv(("/usr/sbin/" + argv[0]).c_str(), args.data());
  _exit(127);
}

// The exit status of `pid`, waiting at most `limit`; -1 when it did not
// exit (it is killed then).
int WaitForExit(pid_t pid, std::chrono::seconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int raw = 0;
  while (waitpid(pid, &raw, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &raw, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv,
                         std::string_view input) {
  TempDir scratch;
  ProcessResult result;
  const pid_t pid =
      Spawn(argv, scratch.WriteFile("stdin", input), scratch.path() + "/stdout",
            scratch.path() + "/stderr");
  if (pid < 0) return result;
  result.status = WaitForExit(pid, std::chrono::seconds(120));
  result.out = ReadFile(scratch.path() + "/stdout");
  result.err = ReadFile(scratch.path() + "/stderr");
  return result;
}

TestMariadbServer::TestMariadbServer() {
  const std::string data = dir_.path() + "/data";
  socket_ = dir_.path() + "/mysqld.sock";
  // Small logs and no syncing: the data is thrown away after the run.
  std::vector<std::string> options = {"--no-defaults",
                                      "--datadir=" + data,
                                      "--innodb-buffer-pool-size=16M",
                                      "--innodb-log-file-size=4M",
                                      "--innodb-flush-log-at-trx-commit=0",
                                      "--skip-name-resolve"};
  if (geteuid() == 0) options.push_back("--user=root");

  std::vector<std::string> install = {
      "mariadb-install-db", "--auth-root-authentication-method=normal",
      "--skip-test-db"};
  install.insert(install.begin() + 1, options.begin(), options.end());
  const ProcessResult installed = RunProcess(install);
  if (installed.status != 0) {
    error_ = "mariadb-install-db failed:\n" + installed.out + installed.err;
    return;
  }
  std::vector<std::string> server = {"mariadbd", "--socket=" + socket_,
                                     "--skip-networking"};
  server.insert(server.begin() + 1, options.begin(), options.end());
  const std::string log = dir_.path() + "/mysqld.log";
  pid_ = Spawn(server, "/dev/null", log, log);
  if (pid_ < 0 || !WaitUntilReady()) {
    error_ = "mariadbd did not start:\n" + ReadFile(log);
  }
}

bool TestMariadbServer::WaitUntilReady() {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, socket_.c_str(), sizeof address.sun_path - 1);
  for (int tries = 0; tries < 1200; ++tries) {
    int raw = 0;
    if (waitpid(pid_, &raw, WNOHANG) == pid_) {
      pid_ = -1;
      return false;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool up = connect(fd, reinterpret_cast<const sockaddr*>(&address),
                            sizeof address) == 0;
    close(fd);
    if (up) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

TestMariadbServer::~TestMariadbServer() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  WaitForExit(pid_, std::chrono::seconds(30));
}

ProcessResult TestMariadbServer::Sql(const std::string& database,
                                     std::string_view sql) const {
  std::vector<std::string> client = {
      "mariadb",     "--no-defaults", "--socket=" + socket_,
      "--user=root", "--batch",       "--skip-column-names"};
  if (!database.empty()) client.push_back(database);
  return RunProcess(client, sql);
}

}  // namespace tnwk::testing
