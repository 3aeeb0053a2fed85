#include "cli/Command.h"

#include <iostream>

#include "ledgerdb/Database.h"

using namespace vo;

bool OpenDatabase() {
  bool created = false;
  if (Database::Instance()->init("vo_db", "", "root", nullptr, 0, created)) return true;
  std::cerr << "vo: cannot open the database: " << Database::Instance()->LastError() << std::endl;
  return false;
}

bool OpenDatabaseToRead() {
  if (Database::Instance()->initToRead()) return true;
  std::cerr << "vo: cannot open the database: " << Database::Instance()->LastError() << std::endl;
  return false;
}
