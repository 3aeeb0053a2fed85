// The canonical symbol of every inactive symbol that renames, held so that
// transactions take their new names as they stream past, where a join would
// look each transaction's symbol up in inactive_sym_table (a fifth of the
// rewrite of four million transactions). The renames of the run are kept as
// marks on its own records; only other inactive symbols (from earlier runs,
// or whose row says otherwise) hold their names here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "db/PackedRecordTable.h"

namespace vo {

class HSymboDAO;

class InactiveRenames {
 public:
  explicit InactiveRenames(const PackedRecordTable& runRenames) : runRenames_(runRenames) {}

  // Reads inactive_sym_table as the run left it. False when the names cannot
  // be matched here as the database matches them (a server's collation, an
  // inactive symbol without a name) or the read failed: the database's join
  // must find the renames then.
  bool Read(HSymboDAO& symbols);

  // A transaction's symbol after the run: its new name (empty when it keeps
  // its own), and the key in `canonical` of the record of the symbol it ends
  // with (npos when there is none). The key is remembered for the next
  // transaction of a symbol of the run, which then costs one lookup, not two.
  struct Outcome {
    std::string_view newName;
    size_t canonicalKey;
  };
  Outcome Resolve(std::string_view name, const PackedRecordTable& canonical);

 private:
  std::string_view NewNameOf(size_t runKey, std::string_view name) const;

  const PackedRecordTable& runRenames_;
  std::vector<bool> fromRun_;  // by key in runRenames_: its record's canonical symbol is the row's
  // By key in runRenames_: the canonical key + 1 once known (kNoRecord when none).
  std::vector<uint32_t> canonicalKeys_;
  PackedRecordTable others_;
};

}  // namespace vo
