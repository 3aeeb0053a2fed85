// Whether a database that a backend is about to open is ours: the one rule
// every backend follows before it writes anything, whatever the command. A
// backend marks the databases it creates (SQLite with its application id and
// user version, a server database with a small table of its own), reads what
// it finds into a Found and asks Difference; any answer but an empty one is a
// refusal, given to the user as it stands.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace vo {

enum class ColumnKind;

class StoreCheck {
 public:
  // "VODB": the mark of a database this library made.
  static constexpr int64_t kApplicationId = 0x564F4442;
  // The layout of the tables; a database marked with a later one is refused.
  static constexpr int64_t kSchemaVersion = 1;

  struct Column {
    std::string name;
    std::string declaredType;
  };
  struct Found {
    // The owner and schema version of the mark; 0 and 0 when there is none
    // (a new database, another program's, or one made before marks).
    int64_t owner = 0;
    int64_t version = 0;
    // Every table, with its columns in table order.
    std::map<std::string, std::vector<Column>> tables;
  };

  // How the backend declares a column of that kind (compared without case).
  using DeclaredType = std::function<std::string(ColumnKind)>;

  // Empty when the database is ours to use: new (no tables, no mark), marked
  // ours with a schema version this library knows, or unmarked but holding
  // our main tables and nothing else (made before marks). Otherwise what
  // differs. In every case each of our tables present must have exactly our
  // columns, by name, order and declared type.
  static std::string Difference(const Found& found, const DeclaredType& declaredType);
  // Whether a database found so holds no tables at all and carries no mark:
  // the only kind that is made ours by creating the schema in it.
  static bool IsEmpty(const Found& found) { return found.owner == 0 && found.tables.empty(); }
};

}  // namespace vo
