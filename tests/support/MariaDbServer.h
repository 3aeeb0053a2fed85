// The MariaDB test server named by VO_TEST_MARIADB (started by
// tools/mariadb-test-server.sh), used when a test runs on the server backend
// (support/Backends.h): a raw connection for creating and dropping the
// fresh database each test gets, and for reading what is stored beside the
// library's own connection.
#pragma once

#include <mysql.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>

#include "ledgerdb/MariaDbTarget.h"

namespace mariadb_test {

// The server's URL; empty when none was given.
inline std::string ServerUrl() {
  const char* url = std::getenv("VO_TEST_MARIADB");
  return url ? url : "";
}

// The URL of another database on the same server.
inline std::string UrlFor(const std::string& database) {
  std::string url = ServerUrl();
  size_t slash = url.find('/', url.find("://") + 3);
  size_t query = url.find('?', slash);
  return url.substr(0, slash + 1) + database + (query == std::string::npos ? "" : url.substr(query));
}

// One raw connection to the server; `database` may be empty.
class Connection {
 public:
  explicit Connection(const std::string& url, bool withDatabase = true) {
    std::string error;
    std::optional<vo::MariaDbTarget> target = vo::MariaDbTarget::Parse(url, error);
    if (!target) {
      error_ = error;
      return;
    }
    db_.reset(mysql_init(nullptr));
    if (!mysql_real_connect(db_.get(), target->host.empty() ? nullptr : target->host.c_str(),
                            target->user.empty() ? nullptr : target->user.c_str(),
                            target->hasPassword ? target->password.c_str() : nullptr,
                            withDatabase ? target->database.c_str() : nullptr, target->port,
                            target->socket.empty() ? nullptr : target->socket.c_str(), 0)) {
      error_ = mysql_error(db_.get());
      db_.reset();
    }
  }

  bool ok() const { return db_ != nullptr; }
  const std::string& error() const { return error_; }

  // The rows of a select, cells joined by "|" (NULL as "NULL"), one row a
  // line; "FAILED ..." with the reason when it fails.
  std::string Rows(const std::string& sql) {
    if (!db_) return "FAILED " + sql + ": " + error_;
    if (mysql_real_query(db_.get(), sql.data(), sql.size()) != 0) {
      return "FAILED " + sql + ": " + mysql_error(db_.get());
    }
    std::string text;
    if (MYSQL_RES* result = mysql_store_result(db_.get())) {
      unsigned int columns = mysql_num_fields(result);
      while (MYSQL_ROW row = mysql_fetch_row(result)) {
        unsigned long* lengths = mysql_fetch_lengths(result);
        for (unsigned int i = 0; i < columns; ++i) {
          text += (i ? "|" : "") + (row[i] ? std::string(row[i], lengths[i]) : "NULL");
        }
        text += "\n";
      }
      mysql_free_result(result);
    }
    return text;
  }
  bool Run(const std::string& sql) { return Rows(sql).rfind("FAILED", 0) != 0; }

 private:
  struct Close {
    void operator()(MYSQL* db) const { mysql_close(db); }
  };
  std::unique_ptr<MYSQL, Close> db_;
  std::string error_;
};

// A database of its own for one test, dropped at the end. The name comes from
// the server URL's database, the process and a counter, so parallel tests
// never share one.
class ScratchDatabase {
 public:
  ScratchDatabase() {
    static int counter = 0;
    std::string base = ServerUrl();
    std::string error;
    std::optional<vo::MariaDbTarget> target = vo::MariaDbTarget::Parse(base, error);
    if (!target) {
      error_ = "VO_TEST_MARIADB: " + error;
      return;
    }
    name_ = target->database + "_" + std::to_string(getpid()) + "_" + std::to_string(++counter);
    Connection server(base, false);
    if (!server.ok()) {
      error_ = "cannot reach the MariaDB test server " + base + ": " + server.error();
      return;
    }
    std::string result = server.Rows("CREATE DATABASE " + name_ + " CHARACTER SET utf8mb4");
    if (!result.empty()) error_ = result;
  }
  ~ScratchDatabase() {
    if (name_.empty() || !error_.empty()) return;
    Connection(ServerUrl(), false).Run("DROP DATABASE IF EXISTS " + name_);
  }
  ScratchDatabase(const ScratchDatabase&) = delete;
  ScratchDatabase& operator=(const ScratchDatabase&) = delete;

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  std::string url() const { return UrlFor(name_); }

 private:
  std::string name_;
  std::string error_;
};

// A command's standard output.
inline std::string Shell(const std::string& command) {
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, got);
    pclose(pipe);
  }
  return output;
}

// The value of `export NAME='value'` in a script's output; "" when missing.
inline std::string Exported(const std::string& output, const std::string& name) {
  const std::string start = "export " + name + "='";
  size_t from = output.find(start);
  if (from == std::string::npos) return "";
  from += start.size();
  return output.substr(from, output.find('\'', from) - from);
}

// A server of its own on a loopback port (tools/mariadb-test-server.sh
// start-tcp): with a certificate signed by a CA of its own ("tls") or with no
// TLS at all ("plain"). Stopped when it goes.
class TcpServer {
 public:
  explicit TcpServer(const std::string& mode)
      : output_(Shell(std::string("bash ") + VO_SOURCE_DIR + "/tools/mariadb-test-server.sh start-tcp " + mode +
                      " 2>&1")),
        dir_(Exported(output_, "VO_TEST_MARIADB_DIR")) {}
  ~TcpServer() {
    if (!dir_.empty()) Shell(std::string("bash ") + VO_SOURCE_DIR + "/tools/mariadb-test-server.sh stop " + dir_);
  }
  TcpServer(const TcpServer&) = delete;
  TcpServer& operator=(const TcpServer&) = delete;

  // The database's URL, with user and password; "" when the server did not start.
  std::string url() const { return Exported(output_, "VO_TEST_TCP_URL"); }
  std::string ca() const { return Exported(output_, "VO_TEST_TCP_CA"); }
  const std::string& output() const { return output_; }

 private:
  std::string output_;
  std::string dir_;
};

}  // namespace mariadb_test
