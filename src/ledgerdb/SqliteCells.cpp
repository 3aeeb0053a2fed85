#include "ledgerdb/SqliteCells.h"

namespace vo {

// How a column of ours reads in `form`; anything else reads plain.
CellReader ReaderForColumn(const ColumnDef* columnDef, CellForm form) {
  if (form == CellForm::kStored || !columnDef) return {};
  if (columnDef->kind == ColumnKind::kAmount) return {CellReader::kAmount};
  if (form == CellForm::kFriendly && columnDef->friendlyEnum) {
    if (const HEnum* enumeration = HEnum::GetEnum(columnDef->friendlyEnum)) {
      return {CellReader::kFriendly, enumeration};
    }
  }
  return {};
}

}  // namespace vo
