// A decoded transaction: trans_table column index -> value text.
#pragma once

#include "db/FieldList.h"

namespace vo {

using TransactionFields = FieldList;

}  // namespace vo
