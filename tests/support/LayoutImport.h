// Imports through the options path in tests of layouts: a file imported into
// the current database with its run log kept, and the stored rows rendered
// one a line, so a test compares a layout's whole result at once.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/ImportRun.h"
#include "support/Rows.h"
#include "support/TempDatabase.h"
#include "support/TempDir.h"
#include "voservices/ImportOptions.h"

struct OptionsRun {
  VoServices::ImportOutcome outcome;
  std::string log;

  std::string Lines(const std::string& level, const std::string& filter = "") const {
    return LogLines(log, level, filter);
  }
  // The Info lines from the format's name to the decode summary: what the
  // format read and what it passed over.
  std::string Parsed() const {
    std::string info = Lines("Info");
    size_t from = info.find("Format Name: ");
    size_t to = info.find("Decoding....");
    return from == std::string::npos || to == std::string::npos ? info : info.substr(from, to - from);
  }
};

inline OptionsRun ImportWithOptions(const std::string& file, const VoServices::ImportOptions& options,
                                    const std::string& accountId = "7") {
  TempDir logs;
  OptionsRun run;
  run.outcome = VoServices::ImportFileWithOptions(file, logs.path(), accountId, "Tester", options);
  for (const auto& entry : std::filesystem::directory_iterator(logs.path())) {
    run.log = ReadFile(entry.path().string());
  }
  return run;
}

// The stored transactions, oldest id first: action (by name), position,
// type, quantity, symbol, trade and settlement date, price, commission, fees,
// total.
inline std::string StoredTrades() {
  return Rows(
      "SELECT trans_action, trans_pos, trans_type, trans_qty, sym_name, trans_dttrade, "
      "trans_dtsettle, trans_unitprice, trans_commission, trans_sec_fee, trans_total "
      "FROM trans_table ORDER BY trans_id",
      true);
}

// The stored symbols by name: name, type, underlying, expiry, strike,
// contract size, currency, description.
inline std::string StoredSymbols() {
  return Rows(
      "SELECT sym_name, sym_type, sym_under, sym_exp_date, sym_strike, sym_cont_size, cur_name, "
      "sym_desc FROM sym_table ORDER BY sym_name");
}

// What a built-in layout's sample stores and logs.
struct SampleImport {
  std::string parsed;   // OptionsRun::Parsed
  std::string trades;   // StoredTrades
  std::string symbols;  // StoredSymbols
};

// Imports samples/layouts/<file> with nothing but the built-in layouts into a
// fresh database: it is read by `format`, no line is refused, and it stores
// and logs exactly what `expected` says.
inline void ExpectSampleImport(const std::string& file, const std::string& format,
                               const SampleImport& expected) {
  SCOPED_TRACE(file);
  TempDatabase db;
  OptionsRun run = ImportWithOptions(VO_SOURCE_DIR "/samples/layouts/" + file, VoServices::ImportOptions{});
  ASSERT_TRUE(run.outcome.imported) << run.log;
  EXPECT_EQ(run.outcome.format, format);
  EXPECT_EQ(run.outcome.linesRefused, 0u);
  EXPECT_EQ(run.Lines("Error"), "");
  EXPECT_EQ(run.Parsed(), expected.parsed);
  EXPECT_EQ(StoredTrades(), expected.trades);
  EXPECT_EQ(StoredSymbols(), expected.symbols);
}
