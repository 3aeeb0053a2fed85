// The security master's answer, read into sym_table records: the canonical
// data of every security it knows, and for each symbol of the VO database the
// canonical symbol it is to become.
#pragma once

#include <cstddef>

#include <json/value.h>

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "db/PackedRecordTable.h"
#include "db/SymbolFields.h"

namespace vo {

class SecurityMasterData {
 public:
  // Packed: a million records as field lists would take a kilobyte each.
  using Records = PackedRecordTable;

  // The largest record (one element of a list) read, and the largest answer
  // read whole when it is not of the plain shape (see JsonListSplitter.h).
  static constexpr size_t kMaxRecordBytes = 1 << 20;
  static constexpr size_t kMaxWholeParseBytes = 1 << 20;

  // Reads an answer document, replacing what was read before. False when the
  // text is not a JSON object, has no "GlobalSecurityRecords" array, or an
  // element of that array is malformed; also for a record over
  // kMaxRecordBytes, or a document over kMaxWholeParseBytes that is not of
  // the plain shape. The records read are kept either way.
  bool Parse(const std::string& text);
  // Reads one more answer to the same update (to a later batch of its
  // request) into the records, as if its lists followed those read so far in
  // one answer: a canonical symbol keeps its first record, a broker symbol its
  // first rename, and a global list's rename replaces any earlier one. The
  // answer is read as Parse reads it, and its result is the result.
  bool ParseMore(const std::string& text);

  // Keyed by canonical symbol: every column the answer gives, with sym_source
  // set to the security master.
  const Records& CanonicalRecords() const { return canonical_; }
  // Keyed by the symbol as the VO database holds it: sym_vo_sym (the canonical
  // symbol) and, for broker symbols, sym_name and sm_record_id; records for
  // already canonical symbols carry sym_source instead.
  const Records& RenameRecords() const { return renames_; }

  // A scalar JSON value as text: strings as they are, numbers in plain decimal,
  // booleans "true"/"false"; null, arrays and objects give the empty text.
  static std::string ValueText(const Json::Value& value);

 private:
  enum class ListKind { kBroker, kGlobal };

  // Reads the answer element by element, never holding its whole document;
  // nullopt (records cleared) when the answer is not of the plain shape this
  // reads, or an element does not read on its own.
  std::optional<bool> ParseByElement(const std::string& text);
  // Reads the answer as one document.
  bool ParseWhole(const std::string& text);
  // Reads the elements in order, releasing each once read.
  bool ReadList(Json::Value& list, ListKind kind);
  // What an element holds for the update, each member as ValueText reads it:
  // whether the element and its security are objects, the security's
  // members in the order of the answer's fields, the broker list's own
  // members. Filled from a JSON tree or, for plain text, without one.
  struct ElementTexts;
  static ElementTexts TextsOf(const Json::Value& element);
  bool ReadElement(const ElementTexts& element, ListKind kind);

  Records canonical_;
  Records renames_;
};

}  // namespace vo
