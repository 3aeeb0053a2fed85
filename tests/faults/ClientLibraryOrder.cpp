// Preloaded into the vo processes of the import fault tests: a server
// connection closed after the client library has ended aborts the process,
// so that the test which started it fails.
#include <dlfcn.h>

#include <cstdlib>

struct st_mysql;

namespace {

bool ended = false;

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" void mysql_server_end() {
  ended = true;
  Next<void (*)()>("mysql_server_end")();
}

extern "C" void mysql_close(st_mysql* connection) {
  if (ended) std::abort();
  Next<void (*)(st_mysql*)>("mysql_close")(connection);
}
