#ifndef TNWK_TESTS_MARIADB_SERVER_H_
#define TNWK_TESTS_MARIADB_SERVER_H_

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

#include "test_support.h"

namespace tnwk::testing {

// What a finished child process left; status -1 when it did not exit.
struct ProcessResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs `argv` (argv[0] searched in PATH; "env" sets variables) with `input`
// on its standard input, and collects its output.
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         std::string_view input = {});

// A throwaway MariaDB server: a fresh data directory and a Unix socket in a
// temporary folder, no network. The constructor installs and starts it;
// the destructor stops it and removes the folder.
class TestMariadbServer {
 public:
  TestMariadbServer();
  ~TestMariadbServer();
  TestMariadbServer(const TestMariadbServer&) = delete;
  TestMariadbServer& operator=(const TestMariadbServer&) = delete;

  // Empty when the server is up; else what went wrong.
  const std::string& error() const { return error_; }
  const std::string& socket() const { return socket_; }

  // Runs `sql` as the server's root user through the command-line client,
  // in `database` (empty: none). Its output is tab-separated rows without
  // column names.
  ProcessResult Sql(const std::string& database, std::string_view sql) const;

 private:
  bool WaitUntilReady();

  TempDir dir_;
  std::string socket_;
  std::string error_;
  pid_t pid_ = -1;
};

}  // namespace tnwk::testing

#endif  // TNWK_TESTS_MARIADB_SERVER_H_
