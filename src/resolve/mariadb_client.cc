// The SqlClient of the MySQL/MariaDB client library. This file is the only
// one that includes the library's header.
#include <mysql.h>

#include "resolve/sql_client.h"

namespace tnwk {
namespace {

// Names are checked to be plain ASCII before they are written, but the
// escaping must still know the connection's character set: in some
// multi-byte sets a backslash can be the second byte of a character.
constexpr const char* kCharacterSet = "utf8mb4";

class MariadbClient final : public SqlClient {
 public:
  ~MariadbClient() override { Close(); }

  bool Connect(const DatabaseSettings& settings) override {
    Close();
    handle_ = mysql_init(nullptr);
    if (handle_ == nullptr) {
      error_ = "out of memory";
      return false;
    }
    const char* socket =
        settings.mysql_socket.empty() ? nullptr : settings.mysql_socket.c_str();
    if (mysql_real_connect(
            handle_, settings.mysql_server.c_str(), settings.mysql_user.c_str(),
            settings.mysql_pass.c_str(), settings.mysql_tnwk_db.c_str(),
            settings.mysql_port, socket, 0) == nullptr ||
        mysql_set_character_set(handle_, kCharacterSet) != 0) {
      error_ = mysql_error(handle_);
      Close();
      return false;
    }
    return true;
  }

  bool Query(std::string_view statement, SqlResult* result) override {
    if (handle_ == nullptr) {
      error_ = "not connected";
      return false;
    }
    if (mysql_real_query(handle_, statement.data(), statement.size()) != 0) {
      error_ = mysql_error(handle_);
      return false;
    }
    MYSQL_RES* stored = mysql_store_result(handle_);
    if (stored == nullptr) {
      if (mysql_field_count(handle_) != 0) {  // rows were due but not read
        error_ = mysql_error(handle_);
        return false;
      }
      if (result != nullptr) *result = SqlResult();
      return true;
    }
    if (result != nullptr) Copy(stored, result);
    mysql_free_result(stored);
    return true;
  }

  std::string Escape(std::string_view text) override {
    std::string escaped(text.size() * 2 + 1, '\0');
    const auto size = static_cast<unsigned long>(text.size());
    // Without a connection there is no character set to honour; the cache
    // never writes a statement then, but the escaping must stay safe.
    unsigned long length =
        handle_ != nullptr
            ? mysql_real_escape_string(handle_, escaped.data(), text.data(),
                                       size)
            : mysql_escape_string(escaped.data(), text.data(), size);
    escaped.resize(length);
    return escaped;
  }

  std::string Error() override { return error_; }

  void Close() override {
    if (handle_ != nullptr) mysql_close(handle_);
    handle_ = nullptr;
  }

 private:
  static void Copy(MYSQL_RES* stored, SqlResult* result) {
    *result = SqlResult();
    result->field_count = mysql_num_fields(stored);
    if (const MYSQL_FIELD* field = mysql_fetch_field(stored)) {
      result->first_field_type = static_cast<int>(field->type);
    }
    result->rows.reserve(mysql_num_rows(stored));
    while (MYSQL_ROW row = mysql_fetch_row(stored)) {
      const unsigned long* lengths = mysql_fetch_lengths(stored);
      auto& values = result->rows.emplace_back(result->field_count);
      for (unsigned i = 0; i < result->field_count; ++i) {
        if (row[i] != nullptr) values[i].emplace(row[i], lengths[i]);
      }
    }
  }

  MYSQL* handle_ = nullptr;
  std::string error_;
};

}  // namespace

std::unique_ptr<SqlClient> MakeMariadbClient() {
  return std::make_unique<MariadbClient>();
}

}  // namespace tnwk
