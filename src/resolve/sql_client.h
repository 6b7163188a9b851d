#ifndef TNWK_RESOLVE_SQL_CLIENT_H_
#define TNWK_RESOLVE_SQL_CLIENT_H_

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "entries/options.h"

namespace tnwk {

// The client library's type code of a fixed-length byte-string column
// (BINARY(n)), which tells the "bin" address kind of the host table.
inline constexpr int kSqlTypeString = 254;

// The rows a statement returned, copied out of the client library. A column
// value is its bytes (NUL bytes included), or nullopt for SQL NULL.
struct SqlResult {
  unsigned field_count = 0;   // 0: the statement returns no columns
  int first_field_type = -1;  // type code of the first column, -1 without
  std::vector<std::vector<std::optional<std::string>>> rows;
};

// The one database connection of a run, as the name cache uses it. The
// production client talks to a MySQL/MariaDB server; tests substitute a
// fake. After a failed call, Error() says why.
class SqlClient {
 public:
  virtual ~SqlClient() = default;

  // Connects with the settings' host (passed as given, also when empty),
  // user, password, database, port and socket (none when empty), then sets
  // the connection's character set, which Escape relies on. False when
  // either fails.
  virtual bool Connect(const DatabaseSettings& settings) = 0;

  // Runs one statement. When it returns columns, their rows are stored into
  // `*result` (which may be null to discard them). False on failure.
  virtual bool Query(std::string_view statement, SqlResult* result) = 0;

  // `text` escaped for use between single quotes in a statement on this
  // connection: no byte of it can end the quoted literal.
  virtual std::string Escape(std::string_view text) = 0;

  // The server's or the library's text of the last failure.
  virtual std::string Error() = 0;

  // Closes the connection; Connect may be called again afterwards.
  virtual void Close() = 0;
};

// The MySQL/MariaDB client.
std::unique_ptr<SqlClient> MakeMariadbClient();

}  // namespace tnwk

#endif  // TNWK_RESOLVE_SQL_CLIENT_H_
