// The layout engine, once for what every layout shares: the documented
// example, columns found by name, refused rows, footers, sections, closed
// lots and broker accounts, and descriptions refused with their line. Each
// built-in layout has its own test of its sample's stored rows.
#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "import/FieldText.h"
#include "import/layouts/LayoutCatalog.h"
#include "import/layouts/LayoutCompiler.h"
#include "import/layouts/LayoutValues.h"
#include "support/Backends.h"
#include "support/LayoutImport.h"
#include "support/TempDatabase.h"
#include "voservices/Layouts.h"

using namespace vo;

namespace {

// The code blocks of docs/LAYOUTS.md that follow "<!-- example: NAME -->", by NAME.
std::map<std::string, std::string> DocExamples() {
  std::ifstream doc(VO_SOURCE_DIR "/docs/LAYOUTS.md");
  std::map<std::string, std::string> examples;
  std::string line, name;
  bool inBlock = false;
  while (std::getline(doc, line)) {
    if (line.starts_with("<!-- example: ")) {
      name = line.substr(14, line.find(" -->") - 14);
    } else if (!name.empty() && line.starts_with("```")) {
      if (inBlock) name.clear();
      inBlock = !inBlock;
    } else if (inBlock) {
      examples[name] += line + "\n";
    }
  }
  return examples;
}

// The CSV with the columns of its table (the header line that begins with
// `first` and the rows up to a blank line) in the order `order` gives (by
// old position), and header names replaced as `names` says.
std::string Reordered(const std::string& csv, const std::string& first, const std::vector<size_t>& order,
                      const std::map<std::string, std::string>& names) {
  std::istringstream in(csv);
  std::string out;
  std::vector<std::string> columns;
  bool table = false;
  for (std::string line; std::getline(in, line);) {
    table = line.starts_with(first) || (table && !line.empty());
    Split(columns, line, ',');
    if (!table) {
      out += line + "\n";
      continue;
    }
    for (size_t i = 0; i < order.size(); ++i) {
      std::string cell = columns[order[i]];
      if (auto renamed = names.find(cell); renamed != names.end()) cell = renamed->second;
      if (cell.find(',') != std::string::npos) cell = "\"" + cell + "\"";
      out += (i ? "," : "") + cell;
    }
    out += "\n";
  }
  return out;
}

class LayoutEngineTest : public BackendTest {
 protected:
  VoServices::ImportOptions WithLayout(const std::string& name, const std::string& text) {
    VoServices::ImportOptions options;
    options.layoutFile = dir_.Write(name, text);
    return options;
  }
  TempDir dir_;
};
INSTANTIATE_TEST_SUITE_P(, LayoutEngineTest, BothBackends(), BackendName);

// The example a user follows: imported as the document says it is, and the
// same again with the columns reordered, renamed by synonym and written in
// other cases and blanks.
TEST_P(LayoutEngineTest, TheDocumentedExampleImportsAsTheDocSays) {
  std::map<std::string, std::string> examples = DocExamples();
  ASSERT_EQ(examples.size(), 2u);
  const VoServices::ImportOptions options = WithLayout("northwind.toml", examples["northwind.toml"]);
  const std::string reordered =
      Reordered(examples["activity.csv"], "Trade Date", {8, 3, 2, 0, 5, 6, 7, 4, 1},
                {{"Ticker", "SYMBOL"}, {"Trade Date", "  trade date"}, {"Net Amount", "NET AMOUNT "}});

  for (const std::string& csv : {examples["activity.csv"], reordered}) {
    TempDatabase db;
    OptionsRun run = ImportWithOptions(dir_.Write("activity.csv", csv), options);
    ASSERT_TRUE(run.outcome.imported) << run.log;
    EXPECT_EQ(run.outcome.linesRefused, 0u);
    EXPECT_EQ(run.Parsed(),
              "Format Name: Northwind Brokerage activity (layout northwind)\n"
              "Skipped the footer: 2 lines from line 13.\n"
              "7 records parsed.\n");
    EXPECT_EQ(StoredTrades(),
              "Buy|1|1|50|ACME|2024-01-05 00:00:00|2024-01-08 00:00:00|12.40|1.00||621\n"
              "Sell|2|1|20|ACME|2024-01-12 00:00:00|2024-01-16 00:00:00|13.10|1.00||261\n"
              "Sell Call to Open|1|2|2|ACME240216C00015000|2024-01-19 00:00:00|2024-01-22 00:00:00|"
              "0.45|1.30||88.7\n"
              "Income Dividend|0|0|0|ACME|2024-02-01 00:00:00|2024-02-01 00:00:00|0|||4.5\n"
              "Sell Call to Open - Expired|2|2|2|ACME240216C00015000|2024-02-16 00:00:00|"
              "2024-02-16 00:00:00|0|||0\n"
              "Cash|0|0|0|$CASH$|2024-02-20 00:00:00|2024-02-20 00:00:00|0|||1000\n"
              "Cash|0|0|0|$CASH$|2024-02-21 00:00:00|2024-02-21 00:00:00|0|||-250\n");
    EXPECT_EQ(StoredSymbols(),
              "$CASH$|11||||0|USD|\n"
              "ACME|0||||1|USD|ACME CORP COMMON\n"
              "ACME240216C00015000|1|ACME|2024-02-16 23:59:59|15|100|USD|"
              "ACME CORP FEB 16 2024 15 CALL\n");
  }
}

// Formats come first: a layout that would read the system's own file never
// sees it. Rows a layout cannot read are refused with their reason; lines
// after the footer has begun that are no rows are footer, a row is a row.
TEST_P(LayoutEngineTest, RefusesRowsWithTheirReasonAfterTheFormatsHadTheirTurn) {
  TempDatabase db;
  const VoServices::ImportOptions options = WithLayout("plain.toml", R"(name = "Plain"
footer = ['^-- end']
[columns]
date = ["Date Transacted", "Date"]
action = "Action"
symbol = "Symbol"
amount = "Amount"
[optional_columns]
quantity = "Quantity"
[[actions]]
text = "Buy"
side = "buy"
)");
  OptionsRun native = ImportWithOptions(dir_.Write("native.csv", kNativeHeader + "\n"), options);
  EXPECT_EQ(native.outcome.format, "VO Transaction (1 Transaction/line)");

  OptionsRun run = ImportWithOptions(dir_.Write("plain.csv",
                                                "Date,Action,Symbol,Quantity,Amount\n"
                                                "1/2/2024,Buy,ABC,10,100\n"
                                                "1/32/2024,Buy,ABC,10,100\n"
                                                "1/3/2024,Gift,ABC,10,100\n"
                                                "1/4/2024,Buy,ABC,ten,100\n"
                                                "-- end of file\n"
                                                "printed 1/5/2024\n"
                                                "1/5/2024,Buy,ABC,1,10\n"),
                                     options);
  EXPECT_TRUE(run.outcome.imported) << run.log;
  EXPECT_EQ(run.outcome.linesRefused, 3u);
  EXPECT_EQ(run.Lines("Error"),
            "Record 0002 the date '1/32/2024' is not a date\n"
            "Failed to parse line 3: 1/32/2024,Buy,ABC,10,100\n"
            "Record 0002 no action matches 'Gift'\n"
            "Failed to parse line 4: 1/3/2024,Gift,ABC,10,100\n"
            "Record 0002 the quantity 'ten' is not a number\n"
            "Failed to parse line 5: 1/4/2024,Buy,ABC,ten,100\n");
  EXPECT_EQ(run.Parsed(),
            "Format Name: Plain (layout plain)\n"
            "Skipped the footer: 2 lines from line 6.\n"
            "2 records parsed.\n");
  EXPECT_EQ(Rows("SELECT trans_qty, trans_total FROM trans_table ORDER BY trans_id"), "10|100\n1|10\n");
}

const char kStatementLayout[] = R"(name = "Statement"
title = '^Statement for account'
[[sections]]
title = "Trades"
fill_down = ["date"]
dates = ["%m/%d/%Y", "%d %b %y"]
[sections.columns]
date = "Time"
action = { template = "{Side} {Effect}" }
symbol = "Symbol"
quantity = "Qty"
price = "Price"
[sections.optional_columns]
option_type = "Type"
expiry = "Exp"
strike = "Strike"
account = "Account"
[[sections.actions]]
text = "BUY TO OPEN"
side = "buy_to_open"
[[sections.actions]]
text = "SELL TO OPEN"
side = "sell_to_open"

[[sections]]
title = "Closed lots"
kind = "lots"
[sections.columns]
symbol = "Symbol"
quantity = "Qty"
date_acquired = "Opened"
date_sold = "Closed"
cost_basis = "Cost"
proceeds = "Proceeds"
[sections.optional_columns]
account = "Account"
)";

const char kStatement[] =
    "Statement for account 55-1234\n"
    "\n"
    "Cash\n"
    "Date,Description,Amount\n"
    "01/02/2024,Deposit,500.00\n"
    "Trades\n"
    "Time,Side,Effect,Qty,Symbol,Exp,Strike,Type,Price,Account\n"
    "01/10/2024,BUY,TO OPEN,1,XYZ,16 FEB 24,20,CALL,1.50,A-1\n"
    ",SELL,TO OPEN,1,XYZ,16 FEB 24,25,CALL,0.50,A-1\n"
    "01/11/2024,BUY,TO OPEN,10,XYZ,,,STOCK,19.00,B-2\n"
    "Closed lots\n"
    "Symbol,Qty,Opened,Closed,Cost,Proceeds,Account\n"
    "XYZ,10,01/02/2024,03/04/2024,100.00,150.00,A-1\n"
    "XYZ,4,05/06/2024,04/01/2024,80.00,60.00,A-1\n"
    "Open positions\n"
    "Symbol,Qty\n"
    "XYZ,5\n";

// A file of sections: the sections read are found wherever they stand, the
// others named in the log. A spread's second leg takes its date from the
// first; an option's parts come from columns; a trade without an amount
// costs its quantity at its price. A closed lot gives its opening
// and closing trade, a short one (acquired after it was sold) opened by the
// sale. Rows of two broker accounts: refused as a whole until one is chosen.
TEST_P(LayoutEngineTest, SectionsLotsAndBrokerAccounts) {
  const std::string file = dir_.Write("statement.csv", kStatement);
  VoServices::ImportOptions options = WithLayout("statement.toml", kStatementLayout);
  VoServices::FileIdentity identity = VoServices::IdentifyFile(file, options);
  EXPECT_EQ(identity.format, "Statement (layout statement)");
  EXPECT_EQ(identity.brokerAccounts, (std::vector<std::string>{"A-1", "B-2"}));

  {
    TempDatabase db;
    OptionsRun run = ImportWithOptions(file, options);
    EXPECT_FALSE(run.outcome.imported);
    EXPECT_EQ(run.outcome.failure,
              "The file holds rows of 2 broker accounts: A-1, B-2; choose the one to import.");
    EXPECT_EQ(Rows("SELECT count(*) FROM trans_table"), "0\n");
  }

  TempDatabase db;
  options.brokerAccount = "A-1";
  OptionsRun run = ImportWithOptions(file, options);
  ASSERT_TRUE(run.outcome.imported) << run.log;
  EXPECT_EQ(run.outcome.linesRefused, 0u);
  EXPECT_EQ(run.Parsed(),
            "Format Name: Statement (layout statement)\n"
            "Broker accounts in the file: A-1, B-2\n"
            "Left out 1 row of another broker account.\n"
            "Skipped sections: Cash (2 lines), Open positions (2 lines).\n"
            "4 records parsed.\n");
  EXPECT_EQ(StoredTrades(),
            "Buy Call|1|1|1|XYZ240216C00020000|2024-01-10 00:00:00|2024-01-10 00:00:00|1.50|||150\n"
            "Sell Call to Open|1|2|1|XYZ240216C00025000|2024-01-10 00:00:00|2024-01-10 00:00:00|0.50|||50\n"
            "Buy|1|1|10|XYZ|2024-01-02 00:00:00|2024-01-02 00:00:00|10|||100\n"
            "Sell|2|1|10|XYZ|2024-03-04 00:00:00|2024-03-04 00:00:00|15|||150\n"
            "Short Sell|1|2|4|XYZ|2024-04-01 00:00:00|2024-04-01 00:00:00|15|||60\n"
            "Buy to Cover|2|2|4|XYZ|2024-05-06 00:00:00|2024-05-06 00:00:00|20|||80\n");
}

// A description is refused as a whole, each problem with its line; the
// first problem of each case is checked.
TEST(LayoutDescriptionTest, BadDescriptionsAreRefusedWithTheirLine) {
  const std::string columns = "[columns]\ndate = \"D\"\naction = \"A\"\n";
  const std::string buy = "[[actions]]\ntext = \"BUY\"\nside = \"buy\"\n";
  struct Case {
    std::string text;
    LayoutSyntax syntax;
    std::string problem;  // "line: reason", or its start
  };
  const Case kCases[] = {
      {"name = \"x\n", LayoutSyntax::kToml, "1: "},
      {"{\n\"name\": \"x\",\n}\n", LayoutSyntax::kJson, "3: "},
      {columns + buy, LayoutSyntax::kToml, "0: the layout has no name"},
      {"name = \"x\"\ncolums = 3\n" + columns + buy, LayoutSyntax::kToml,
       "2: unknown key 'colums' in a layout"},
      {"name = \"x\"\n" + columns + "qty = \"Q\"\n" + buy, LayoutSyntax::kToml,
       "5: unknown field 'qty'; the fields are: date, settle_date, action,"},
      {"name = \"x\"\n[columns]\ndate = \"D\"\n" + buy, LayoutSyntax::kToml,
       "0: a table of trades needs the column 'action' in [columns]"},
      {"name = \"x\"\ndates = [\"%m/%q/%Y\"]\n" + columns + buy, LayoutSyntax::kToml,
       "2: unknown date directive %q in '%m/%q/%Y'"},
      {"name = \"x\"\n" + columns + "[[actions]]\ntext = \"DIV\"\naction = \"TransActionDividend\"\n",
       LayoutSyntax::kToml, "7: 'TransActionDividend' is no TransAction member"},
      {"name = \"x\"\n" + columns + "[[actions]]\ntext = \"BUY\"\nside = \"long\"\n",
       LayoutSyntax::kToml, "7: 'long' is no side"},
      {"name = \"x\"\n" + columns + "[[actions]]\npattern = '(BUY'\nside = \"buy\"\n",
       LayoutSyntax::kToml, "6: bad pattern '(BUY': missing )"},
      {"name = \"x\"\n" + columns + buy + "[[actions]]\ntext = \"BUY CLOSE\"\nside = \"buy_to_close\"\n",
       LayoutSyntax::kToml, "8: this action is never used: the action on line 5 takes every text"},
      {"name = \"x\"\n" + columns + buy + "[[extract]]\nfrom = \"action\"\npattern = '(?P<qty>\\d+)'\n",
       LayoutSyntax::kToml, "10: the group 'qty' is no field"},
      {"{\"name\": \"x\", \"columns\": {\"date\": 5, \"action\": \"A\"}, \"actions\": []}",
       LayoutSyntax::kJson, "1: a column is a name, a list of names or a table, not a number"},
  };
  for (const Case& c : kCases) {
    std::vector<LayoutProblem> problems;
    EXPECT_EQ(CompileLayout(c.text, c.syntax, "x", "test", problems), nullptr) << c.text;
    ASSERT_FALSE(problems.empty()) << c.text;
    std::string first = std::to_string(problems.front().line) + ": " + problems.front().reason;
    EXPECT_TRUE(first.starts_with(c.problem)) << first << "\n  for:\n" << c.text;
  }
  std::vector<LayoutProblem> problems;
  EXPECT_NE(CompileLayout("name = \"x\"\n" + columns + buy, LayoutSyntax::kToml, "x", "test", problems),
            nullptr);
  for (const LayoutEntry& builtIn : BuiltInLayouts()) {
    EXPECT_TRUE(builtIn.problems.empty()) << builtIn.id << ": line " << builtIn.problems.front().line
                                          << ": " << builtIn.problems.front().reason;
  }
}

TEST(LayoutValuesTest, DatesAndNumbersAsBrokersWriteThem) {
  const std::vector<std::string> forms = {"%m/%d/%Y", "%d %b %y", "%m/%d/%y %H:%M %p", "%Y-%m-%d %H:%M:%S"};
  struct DateCase {
    const char* text;
    const char* date;  // "" when it is none
  };
  const DateCase kDates[] = {
      {" 1/5/2024 ", "2024-01-05"},         {"19 DEC 25", "2025-12-19"},
      {"19 december 25", "2025-12-19"},     {"2/29/2023", ""},
      {"12/16/2025 as of 12/15/2025", ""},  {"2024-03-01 14:05:09", "2024-03-01 14:05:09"},
      {"13/1/2024", ""},                    {"3/4/24 2:05 PM", "2024-03-04 14:05:00"},
      {"3/4/24 13:05 PM", ""},              {"", ""},
  };
  for (const DateCase& c : kDates) {
    std::string date;
    EXPECT_EQ(ReadDate(c.text, forms, date) ? date : "", c.date) << c.text;
  }
  std::string problem;
  EXPECT_FALSE(IsDateForm("%m/%d", problem));
  EXPECT_EQ(problem, "a date form needs a year, a month and a day");

  struct NumberCase {
    const char* text;
    char decimal;
    const char* read;  // "-" before a negative magnitude; "x" when it is no number
  };
  const NumberCase kNumbers[] = {
      {"$1,234.50", '.', "1234.50"}, {"(1,234.50)", '.', "-1234.50"}, {"-$12", '.', "-12"},
      {"12.00-", '.', "-12.00"},     {"+.5", '.', "0.5"},             {"1.234,5", ',', "1234.5"},
      {"", '.', ""},                 {" $ ", '.', ""},                {"--", '.', "x"},
      {"12abc", '.', "x"},           {"1 234", '.', "x"},             {"(12", '.', "x"},
      {"1-2", '.', "x"},
  };
  for (const NumberCase& c : kNumbers) {
    LayoutNumber number;
    std::string read = ReadNumber(c.text, c.decimal, number)
                           ? (number.negative ? "-" : "") + number.digits
                           : "x";
    EXPECT_EQ(read, c.read) << c.text;
  }
}

}  // namespace
