// The request document of the symbol update: the symbols of the VO database
// that the security master can check, as two JSON arrays. Rows the server
// cannot check (no transactions, special symbols, unsupported types) are left out.
// Each row is kept as the compact JSON text of its object, written as rows are
// added (a tree of JSON values for a hundred thousand symbols would take
// hundreds of megabytes), in a spool that moves to a temporary file once it is
// large. The document goes out whole, or in batches of objects. As a receiver
// of the streamed symbol select it takes the rows as they are read, so that
// they are never held all at once.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "ledgerdb/DbRowReceiver.h"
#include "symbols/TextSpool.h"

namespace vo {

class SecurityMasterRequest : public DbRowReceiver {
 public:
  SecurityMasterRequest();

  // The streamed rows of HSymboDAO::StreamSymbolsWithTransCount, each put
  // through AddSymbolRow.
  void Columns(const std::vector<std::string>& names) override;
  bool Row(const std::vector<std::string>& cells) override;
  // The rows received, requested or not.
  size_t RowsReceived() const { return rowsReceived_; }

  // Adds one row of HSymboDAO::SelectSymbolsWithTransCount, whose column names
  // are `names`: rows that already came from the security master go to
  // "global_security_records", all others to "broker_security_details". False
  // when the row is not requested (then neither array changes).
  bool AddSymbolRow(const std::vector<std::string>& names, const std::vector<std::string>& row);

  // The number of rows added to both arrays together.
  unsigned Count() const;

  // False when a row could not be kept (its spool file could not be
  // written): the request is then incomplete and must not be sent.
  bool ok() const { return brokerDetails_.ok() && globalRecords_.ok(); }

  // The request document as compact JSON, as Json::FastWriter writes it
  // (members in name order, one line feed at the end), taken out: the arrays
  // are left empty (Count stays).
  std::string TakeText();

  // One object of the document, in the array `global` says.
  struct Object {
    bool global = false;
    std::string text;
  };
  // Takes up to `count` further objects, every broker detail before the
  // first global record, as the whole document lists them; appends them to
  // `objects` and returns how many.
  size_t TakeObjects(size_t count, std::vector<Object>& objects);
  // The document of those objects alone, written as TakeText writes the whole.
  static std::string Document(std::span<const Object> objects);

  // Whether a row whose column `column` holds `value` may be sent at all.
  static bool IsRequestable(int column, const std::string& value);
  // Cash and placeholder symbols ("!STOCK!", "$CASH$") and seven-character
  // currency pairs against the dollar ("USD/EUR").
  static bool IsSpecialSymbol(const std::string& symbol);

 private:
  // A text as a JSON string, quoted and escaped exactly as the JSON writer does.
  std::string Quoted(const std::string& text) const;
  void AppendQuoted(const std::string& text, std::string& out) const;

  // Where each member of a row's object comes from, worked out once for the
  // column names of a select rather than for every row: the quoted names by
  // column, and the columns of each kind of object in member order.
  struct Layout {
    std::vector<std::string> names;
    std::vector<std::string> quotedNames;
    std::vector<size_t> brokerOrder, globalOrder;
  };
  Layout ObjectLayout(const std::vector<std::string>& names) const;

  // Each array's objects, one a line.
  vo::TextSpool brokerDetails_;
  vo::TextSpool globalRecords_;
  unsigned count_ = 0;
  std::vector<std::string> columnNames_;
  Layout layout_;
  // A row's values by column and its object, reused from row to row.
  std::vector<std::string> values_;
  std::string object_;
  size_t rowsReceived_ = 0;
};

}  // namespace vo
