// vo web's HTTP server: the pages (static files compiled into vo) and the
// JSON API they call, on one address. Every request passes the same gate
// first: the Host must be the server's own (a page of another site cannot
// reach a loopback server through a name it controls), the access token when
// the server has one, and the CSRF token on every POST; only then is the
// request routed. GET never changes anything.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "cli/web/HttpTypes.h"
#include "cli/web/ImportApi.h"
#include "cli/web/LedgerApi.h"
#include "cli/web/LibraryGate.h"
#include "cli/web/SymbolUpdateApi.h"
#include "cli/web/UploadStore.h"
#include "cli/web/WebSession.h"

struct WebOptions {
  std::string host = "127.0.0.1";
  int port = 8765;  // 0: any free port
  std::string token;
  std::string logFolder;  // for real imports' run logs, ending in "/"
  uint64_t maxUploadBytes = 0;
};

class WebServer {
 public:
  explicit WebServer(WebOptions options);
  ~WebServer();
  WebServer(const WebServer&) = delete;
  WebServer& operator=(const WebServer&) = delete;

  // Binds the address; false with the reason.
  bool Bind(std::string& error);
  // The address pages are served at ("http://127.0.0.1:8765/").
  std::string Url() const;
  // Where a browser signs in once; empty without a token.
  std::string SignInUrl() const;
  // The database served, as shown to people: a server URL without its password.
  static std::string ShownDatabase();
  // Serves until Stop (from another thread or a signal handler's thread).
  void Serve();
  void Stop();

 private:
  // True when the request may go on to its route; otherwise it was answered.
  bool Admit(const httplib::Request& request, httplib::Response& response);
  void SignIn(const httplib::Request& request, httplib::Response& response);
  void ServeFile(const httplib::Request& request, httplib::Response& response) const;
  bool KnownHost(const std::string& host) const;

  WebOptions options_;
  int boundPort_ = 0;
  WebSession session_;
  LibraryGate gate_;
  UploadStore uploads_;
  ImportApi importApi_;
  LedgerApi ledgerApi_;
  SymbolUpdateApi symbolUpdateApi_;
  std::unique_ptr<httplib::Server> server_;
};
