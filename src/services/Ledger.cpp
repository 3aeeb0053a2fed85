// The ledger as a host reads it: the process's database location, its
// tables, and rows streamed through the database layer.
#include "voservices/Ledger.h"

#include <cstdint>
#include <utility>

#include "ledgerdb/DBSchemaDef.h"
#include "ledgerdb/Database.h"
#include "ledgerdb/DbRowReceiver.h"
#include "ledgerdb/HEnum.h"
#include "ledgerdb/MariaDbTarget.h"
#include "ledgerdb/StoredForms.h"

using namespace vo;

namespace {

// Hands the database layer's rows on to a host's sink.
class SinkReceiver : public DbRowReceiver {
 public:
  explicit SinkReceiver(VoServices::RowSink& sink) : sink_(sink) {}
  void Columns(const std::vector<std::string>& names) override { sink_.Columns(names); }
  bool Row(const std::vector<std::string>& cells) override { return sink_.Row(cells); }

 private:
  VoServices::RowSink& sink_;
};

CellForm InternalForm(VoServices::CellForm form) {
  switch (form) {
    case VoServices::CellForm::kDecimal:
      return CellForm::kDecimal;
    case VoServices::CellForm::kStored:
      return CellForm::kStored;
    default:
      return CellForm::kFriendly;
  }
}

// The text a cell of `column` reads back as once stored; unchanged when it
// has no stored form.
std::string AsReadBack(const ColumnDef& column, const std::string& text) {
  if (column.kind == ColumnKind::kDate) {
    std::string date;
    return NormaliseDate(text, date) == StoredForm::kValue ? date : text;
  }
  int64_t number = 0;
  if (column.kind == ColumnKind::kAmount) {
    return ParseAmount(text, number) == StoredForm::kValue ? FormatMillionths(number) : text;
  }
  if (column.kind == ColumnKind::kEnum && column.friendlyEnum && ParseWholeNumber(text, number) == StoredForm::kValue) {
    const HEnum* enumeration = HEnum::GetEnum(column.friendlyEnum);
    std::string name = enumeration ? enumeration->GetFriendlyString(static_cast<int32_t>(number)) : "";
    return name.empty() ? text : name;
  }
  return text;
}

}  // namespace

namespace VoServices {

void UseDatabase(const std::string& location) {
  Database::Destruct();
  Database::SetLocation(location);
}

std::string DatabaseLocation() { return Database::Location(); }

bool IsServerLocation(const std::string& location) { return MariaDbTarget::IsUrl(location); }

bool OpenDatabaseToRead(std::string& error) {
  Database* database = Database::Instance();
  if (database->initToRead()) return true;
  error = "cannot open the database: " + database->LastError();
  Database::Destruct();
  return false;
}

std::string LastDatabaseError() { return Database::Instance()->LastError(); }

std::vector<LedgerTable> LedgerTables() {
  std::vector<LedgerTable> tables;
  for (const DBSchemaDef& table : DBSchemaDef::All()) {
    LedgerTable& entry = tables.emplace_back();
    entry.name = table.tableName();
    for (const ColumnDef& column : table.columns()) entry.columns.emplace_back(column.name);
    entry.firstColumnIsId = !table.columns().empty() && table.columns().front().kind == ColumnKind::kId;
  }
  return tables;
}

bool ReadRows(const std::string& select, const std::vector<std::string>& parameters, CellForm form, RowSink& sink,
              std::string& error) {
  Database* database = Database::Instance();
  if (!database->IsConnected()) {
    error = "the database is not open";
    return false;
  }
  SinkReceiver receiver(sink);
  if (database->Stream(select, parameters, InternalForm(form), receiver)) return true;
  error = database->LastError();
  return false;
}

std::vector<std::string> TransactionAsReadBack(std::vector<std::string> cells) {
  const std::vector<ColumnDef>& columns = DBSchemaDef::ForTable("trans_table")->columns();
  for (size_t i = 0; i < cells.size() && i < columns.size(); ++i) cells[i] = AsReadBack(columns[i], cells[i]);
  return cells;
}

}  // namespace VoServices
