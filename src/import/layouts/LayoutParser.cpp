// A line after the header, in this order:
//   1. blank rows are passed over; footer lines are counted, and once the
//      footer has begun every line that is no row is taken for footer too;
//   2. in a file of sections, a title line opens a section: the next line is
//      its header when it is one the layout reads, else the section's lines
//      are counted and passed over;
//   3. a repeat of the header and the lines the table skips are passed over;
//   4. a row of another broker account than the chosen one is counted out;
//   5. every other line is a row: read into its transactions and symbol, or
//      refused with the reason.
#include "import/layouts/LayoutParser.h"

#include <algorithm>
#include <cstdio>

#include "import/FieldText.h"
#include "logging/RunLog.h"
#include "values/DecimalText.h"

namespace vo {

namespace {

// The line without blanks around it and the quotes that enclose all of it.
std::string Unquoted(const std::string& line) {
  size_t first = line.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  size_t last = line.find_last_not_of(" \t");
  if (last > first && line[first] == '"' && line[last] == '"') ++first, --last;
  return line.substr(first, last - first + 1);
}

bool Blank(const std::vector<std::string>& columns) {
  return std::all_of(columns.begin(), columns.end(), [](const std::string& column) {
    return column.find_first_not_of(" \t") == std::string::npos;
  });
}

// The one non-empty cell of a line, when it has only one; empty otherwise.
std::string OnlyCell(const std::vector<std::string>& columns) {
  std::string only;
  for (const std::string& column : columns) {
    if (column.find_first_not_of(" \t") == std::string::npos) continue;
    if (!only.empty()) return "";
    only = column;
  }
  return only;
}

// Record keys in file order: the record number zero-padded.
std::string RecordKey(unsigned record) {
  char key[24];
  std::snprintf(key, sizeof key, "Rec #%09u", record);
  return key;
}

// "1 line", "2 lines".
std::string Counted(unsigned count, const std::string& thing) {
  return ToText(count) + " " + thing + (count == 1 ? "" : "s");
}

std::string Joined(const std::vector<std::string>& texts) {
  std::string joined;
  for (const std::string& text : texts) joined += (joined.empty() ? "" : ", ") + text;
  return joined;
}

}  // namespace

LayoutParser::LayoutParser(std::shared_ptr<const Layout> layout, const std::string& accountId,
                           const std::string& brokerAccount)
    : CsvParser(layout->FormatName(), "", layout->delimiter),
      layout_(std::move(layout)),
      accountId_(accountId),
      brokerAccount_(brokerAccount) {}

bool LayoutParser::MatchesHeader(const std::string& line) {
  if (layout_->sectioned()) return RE2::PartialMatch(Unquoted(line), *layout_->title);
  Split(columns_, line, separator_);
  std::string missing;
  reader_ = LayoutRowReader::ForHeader(layout_->tables.front(), columns_, missing);
  if (!reader_) return false;
  table_ = &layout_->tables.front();
  header_.clear();
  for (const std::string& column : columns_) header_.push_back(NameKey(column));
  accountsRead_ = reader_->readsAccounts();
  return true;
}

bool LayoutParser::Parse(const std::string& line) { return TakeLine(line, 0) != LineUse::kRefused; }

LayoutParser::LineUse LayoutParser::TakeLine(const std::string& line, unsigned lineNumber) {
  Split(columns_, line, separator_);
  if (Blank(columns_)) return LineUse::kSkipped;
  const std::string unquoted = Unquoted(line);
  if (Matches(layout_->footer, unquoted)) {
    if (footerLines_++ == 0) footerStart_ = lineNumber;
    return LineUse::kSkipped;
  }
  if (layout_->sectioned()) {
    if (std::string title = OnlyCell(columns_); !title.empty() && columns_.size() == 1) {
      return TakeTitle(title);
    }
    if (awaited_) return TakeSectionHeader(lineNumber);
    if (!table_) {
      if (!skippedSections_.empty()) ++skippedSections_.back().lines;
      return LineUse::kSkipped;
    }
  }
  if (IsHeaderAgain() || Matches(table_->skipLines, unquoted)) {
    ++skippedRows_;
    return LineUse::kSkipped;
  }
  if (!brokerAccount_.empty() && reader_->readsAccounts()) {
    std::string account = reader_->AccountOf(columns_);
    if (!account.empty() && account != brokerAccount_) {
      NoteAccount(account);
      ++otherAccountRows_;
      return LineUse::kSkipped;
    }
  }

  std::string reason;
  switch (reader_->Read(columns_, accountId_, row_, reason)) {
    case LayoutRowReader::Use::kTaken:
      NoteAccount(row_.account);
      Store(row_);
      return LineUse::kRecord;
    case LayoutRowReader::Use::kSkipped:
      ++skippedRows_;
      return LineUse::kSkipped;
    case LayoutRowReader::Use::kRefused:
      break;
  }
  if (footerLines_ > 0) {
    ++footerLines_;
    return LineUse::kSkipped;
  }
  log_->Error(reason, static_cast<int32_t>(records_));
  return LineUse::kRefused;
}

LayoutParser::LineUse LayoutParser::TakeTitle(const std::string& title) {
  const std::string key = NameKey(title);
  table_ = nullptr;
  reader_.reset();
  awaited_ = nullptr;
  for (const LayoutTable& table : layout_->tables) {
    if (table.title == key) awaited_ = &table;
  }
  if (!awaited_) skippedSections_.push_back({title, 0});
  return LineUse::kSkipped;
}

LayoutParser::LineUse LayoutParser::TakeSectionHeader(unsigned lineNumber) {
  const LayoutTable& table = *awaited_;
  awaited_ = nullptr;
  std::string missing;
  reader_ = LayoutRowReader::ForHeader(table, columns_, missing);
  if (!reader_) {
    log_->Error("The header of section '" + table.title + "' on line " + ToText(lineNumber) +
                    " has no column for: " + missing,
                static_cast<int32_t>(records_));
    skippedSections_.push_back({table.title, 0});
    return LineUse::kRefused;
  }
  table_ = &table;
  header_.clear();
  accountsRead_ = accountsRead_ || reader_->readsAccounts();
  return LineUse::kSkipped;
}

bool LayoutParser::IsHeaderAgain() const {
  if (header_.empty() || columns_.size() != header_.size()) return false;
  for (size_t i = 0; i < header_.size(); ++i) {
    if (NameKey(columns_[i]) != header_[i]) return false;
  }
  return true;
}

bool LayoutParser::Matches(const std::vector<std::unique_ptr<const RE2>>& patterns,
                           const std::string& line) const {
  return std::any_of(patterns.begin(), patterns.end(),
                     [&](const std::unique_ptr<const RE2>& pattern) { return RE2::PartialMatch(line, *pattern); });
}

void LayoutParser::NoteAccount(const std::string& account) {
  if (!account.empty() && std::find(accounts_.begin(), accounts_.end(), account) == accounts_.end()) {
    accounts_.push_back(account);
  }
}

void LayoutParser::Store(LayoutRowReader::Row& row) {
  const std::string key = RecordKey(records_++);
  if (row.transactions.size() == 1) {
    const bool later = table_->positionsFromFile &&
                       positions_.Add(key, row.transactions.front(), row.securityType, row.undecided);
    if (!later) transactions_.insert_or_assign(key, row.transactions.front());
  } else {
    for (size_t i = 0; i < row.transactions.size(); ++i) {
      transactions_.insert_or_assign(key + "." + ToText(static_cast<unsigned>(i + 1)), row.transactions[i]);
    }
  }
  if (!symbols_.contains(row.symbolName)) symbols_.emplace(row.symbolName, row.symbol);
}

void LayoutParser::EndOfLines() {
  if (unsigned opened = positions_.Decide(transactions_); opened > 0) {
    log_->Info(Counted(opened, "option trade") + " met no position earlier in the file: taken to open one.");
  }
  if (!accounts_.empty()) log_->Info("Broker accounts in the file: " + Joined(accounts_));
  if (!brokerAccount_.empty() && !readsBrokerAccounts()) {
    log_->Warning("The file names no broker accounts: the choice of account " + brokerAccount_ +
                  " is not used.");
  }
  if (otherAccountRows_ > 0) {
    log_->Info("Left out " + Counted(otherAccountRows_, "row") + " of " +
               (otherAccountRows_ == 1 ? "another broker account." : "other broker accounts."));
  }
  if (skippedRows_ > 0) log_->Info("Left out " + Counted(skippedRows_, "row") + " the layout skips.");
  if (!skippedSections_.empty()) {
    std::vector<std::string> sections;
    for (const SkippedSection& section : skippedSections_) {
      sections.push_back(section.title + " (" + Counted(section.lines, "line") + ")");
    }
    log_->Info("Skipped sections: " + Joined(sections) + ".");
  }
  if (footerLines_ > 0) {
    log_->Info("Skipped the footer: " + Counted(footerLines_, "line") + " from line " +
               ToText(footerStart_) + ".");
  }
}

std::string LayoutParser::Refusal() const {
  if (brokerAccount_.empty() && accounts_.size() > 1) {
    return "The file holds rows of " + ToText(static_cast<unsigned>(accounts_.size())) +
           " broker accounts: " + Joined(accounts_) + "; choose the one to import.";
  }
  if (!brokerAccount_.empty() && readsBrokerAccounts() &&
      std::find(accounts_.begin(), accounts_.end(), brokerAccount_) == accounts_.end()) {
    return "The file holds no rows of broker account " + brokerAccount_ +
           (accounts_.empty() ? std::string(".") : "; its accounts: " + Joined(accounts_) + ".");
  }
  return "";
}

bool LayoutParser::readsBrokerAccounts() const { return accountsRead_; }

bool LayoutParser::Decode(SymbolMap& symbols, TransactionMap& transactions) {
  symbols = std::move(symbols_);
  transactions = std::move(transactions_);
  return true;
}

}  // namespace vo
