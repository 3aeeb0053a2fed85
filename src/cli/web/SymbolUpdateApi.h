// The symbol page's update against a security master server:
//   POST /api/symbols/preview   url=URL: vo update-symbols URL --dry-run
//   POST /api/symbols/update    url=URL: vo update-symbols URL
// Each answers with vo's outcome line and the message boxes the library showed.
#pragma once

#include "cli/web/HttpTypes.h"

class LibraryGate;

class SymbolUpdateApi {
 public:
  explicit SymbolUpdateApi(LibraryGate& gate) : gate_(gate) {}
  void Register(httplib::Server& server);

 private:
  void Preview(const httplib::Request& request, httplib::Response& response);
  void Update(const httplib::Request& request, httplib::Response& response);

  LibraryGate& gate_;
};
