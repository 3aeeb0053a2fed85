// Library load and unload. The enumeration registry is filled by the static
// registrars before any service can run; at unload the registry and then the
// database connection are released, in that order.
#include "ledgerdb/Database.h"
#include "ledgerdb/HEnum.h"

namespace vo {

namespace {

class LibraryLifetime {
 public:
  LibraryLifetime() {
    // Make sure the registry and the connection object exist before this
    // object does, so they are still alive when its destructor runs.
    HEnum::GetEnum("");
    Database::Instance();
  }
  ~LibraryLifetime() {
    HEnum::Destruct();
    Database::Destruct();
  }
};

const LibraryLifetime kLifetime;

}  // namespace

}  // namespace vo
