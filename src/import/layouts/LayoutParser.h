// The import format of one layout (Layout.h): recognises the file by its
// header (or, for a file of sections, its title line), then takes the lines
// after it one by one: rows of the table being read become transactions at
// once, while preamble, section, footer and skipped lines are counted and
// told in one Info line each at the end. Made for one import, like every
// parser; the layout itself is shared.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "import/CsvParser.h"
#include "import/layouts/FilePositions.h"
#include "import/layouts/Layout.h"
#include "import/layouts/LayoutRowReader.h"

namespace vo {

class LayoutParser : public CsvParser {
 public:
  // `brokerAccount`: the broker account whose rows to take from a file of
  // several; empty takes all (and refuses a file of several, see Refusal).
  LayoutParser(std::shared_ptr<const Layout> layout, const std::string& accountId,
               const std::string& brokerAccount);

  // The whole line as read, quotes included: the table's header, or the title
  // of a file of sections.
  bool MatchesHeader(const std::string& line) override;
  bool Parse(const std::string& line) override;
  // Hands over what the lines gave; true.
  bool Decode(SymbolMap& symbols, TransactionMap& transactions) override;

  enum class LineUse { kRecord, kRefused, kSkipped };
  // One line after the header, as read (quotes included), and its number in
  // the file. A refused line has its reason logged as an Error.
  LineUse TakeLine(const std::string& line, unsigned lineNumber);
  // After the last line: the Info lines of what was skipped, and the broker
  // accounts found.
  void EndOfLines();
  // Why the file cannot be imported as a whole: rows of several broker
  // accounts and none chosen, or none of the chosen one. Empty otherwise.
  std::string Refusal() const;
  // The broker accounts the rows name, in the order first seen.
  const std::vector<std::string>& brokerAccounts() const { return accounts_; }
  bool readsBrokerAccounts() const;

  unsigned searchLines() const { return layout_->searchLines; }

 private:
  // Lines of a section that is not read, under its title.
  struct SkippedSection {
    std::string title;
    unsigned lines = 0;
  };

  // A line of one non-empty cell, in a file of sections: a section's title.
  LineUse TakeTitle(const std::string& title);
  LineUse TakeSectionHeader(unsigned lineNumber);
  // Whether the current line's cells are the header's names again.
  bool IsHeaderAgain() const;
  bool Matches(const std::vector<std::unique_ptr<const RE2>>& patterns, const std::string& line) const;
  void NoteAccount(const std::string& account);
  void Store(LayoutRowReader::Row& row);

  std::shared_ptr<const Layout> layout_;
  std::string accountId_;
  std::string brokerAccount_;

  const LayoutTable* table_ = nullptr;    // the table whose rows come now
  const LayoutTable* awaited_ = nullptr;  // a section whose header comes next
  std::unique_ptr<LayoutRowReader> reader_;
  bool accountsRead_ = false;  // some table read had an account column
  std::vector<std::string> header_;  // the table's header names (NameKey), to pass over repeats of it
  LayoutRowReader::Row row_;   // reused for every row

  unsigned records_ = 0;
  unsigned footerLines_ = 0;
  unsigned footerStart_ = 0;
  unsigned skippedRows_ = 0;
  unsigned otherAccountRows_ = 0;
  std::vector<SkippedSection> skippedSections_;
  std::vector<std::string> accounts_;
  vo::FilePositions positions_;  // rows of tables that leave opening and closing to the file

  SymbolMap symbols_;
  TransactionMap transactions_;
};

}  // namespace vo
