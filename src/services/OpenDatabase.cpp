// The public open and close of the process's database connection.
#include "voservices/OpenDatabase.h"

#include "ledgerdb/Database.h"

using namespace vo;

namespace VoServices {

bool OpenDatabase(const std::string& location, std::string& error) {
  Database::Destruct();
  Database* database = Database::Instance();
  bool created = false;
  // Without a location, the same file the services would open on their own.
  bool opened = location.empty() ? database->init("vo_db", "", "root", nullptr, 0, created)
                                 : database->Open(location, created);
  if (opened) return true;
  error = "cannot open the database: " + database->LastError();
  Database::Destruct();
  return false;
}

void CloseDatabase() { Database::Destruct(); }

}  // namespace VoServices
