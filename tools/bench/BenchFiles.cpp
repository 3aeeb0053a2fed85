#include "BenchFiles.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <utility>

namespace {

// Tickers use no C and no P so that no stock name reads as a call or a put word.
constexpr char kTickerLetters[] = "ABDEFGHIJKLMNOQRSTUVWXYZ";
constexpr size_t kLetterCount = sizeof kTickerLetters - 1;
constexpr size_t kStocks = 5000;
constexpr size_t kUnderlyings = 400;
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kMonthsUpper[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                        "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

// Three or four letters for a stock, three for an option's underlying.
std::string Ticker(size_t index, size_t letters) {
  std::string ticker(letters, 'A');
  for (size_t i = letters; i-- > 0; index /= kLetterCount) ticker[i] = kTickerLetters[index % kLetterCount];
  return ticker;
}

std::string TwoDigits(int n) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", n);
  return text;
}

// Cents as 1,234.56 (no sign).
std::string Amount(long long cents) {
  std::string whole = std::to_string(cents / 100);
  for (int at = static_cast<int>(whole.size()) - 3; at > 0; at -= 3) whole.insert(static_cast<size_t>(at), ",");
  return whole + "." + TwoDigits(static_cast<int>(cents % 100));
}

std::string Price(long long cents) {
  return std::to_string(cents / 100) + "." + TwoDigits(static_cast<int>(cents % 100));
}

// The values one data line's patterns may use.
using LineValues = std::vector<std::pair<std::string, std::string>>;

LineValues ValuesFor(size_t line) {
  size_t mix = line * 2654435761u;  // spreads consecutive lines over the symbols
  std::string stock = Ticker(mix % kStocks, mix % kStocks < 2000 ? 3 : 4);
  // The option lines of one round of patterns trade the same contracts (an
  // opening and a closing trade), so there is about one symbol per four lines.
  size_t round = line / 8 * 2654435761u;
  std::string under = Ticker(kStocks + (round >> 8) % kUnderlyings, 3);

  int year = 2005 + static_cast<int>(line / 40000 % 15);
  int month = 1 + static_cast<int>(line / 8 % 12);
  int day = 1 + static_cast<int>(line * 7 % 28);
  int settleDay = day + 3 > 28 ? 28 : day + 3;
  int expMonth = month % 12 + 1;
  int expYear = month == 12 ? year + 1 : year;
  int expDay = 15 + static_cast<int>(round % 7);
  int seconds = 34200 + static_cast<int>(line * 37 % 23400);
  int hour = seconds / 3600;
  int minute = seconds / 60 % 60;
  int second = seconds % 60;

  long long quantity = 1 + static_cast<long long>(line * 13 % 500);
  long long priceCents = 100 + static_cast<long long>(mix % 30000);
  long long costCents = quantity * (100 + static_cast<long long>((mix >> 4) % 30000));
  long long strike = 5 * (1 + static_cast<long long>(round % 60));
  char strikeDigits[16];
  std::snprintf(strikeDigits, sizeof strikeDigits, "%05lld000", strike);
  std::string occ = under + TwoDigits(expYear % 100) + TwoDigits(expMonth) + TwoDigits(expDay);
  // Option codes of the older exports: month letter (A-L calls, M-X puts), strike letter.
  std::string callCode(1, static_cast<char>('A' + expMonth - 1));
  std::string putCode(1, static_cast<char>('M' + expMonth - 1));
  std::string strikeCode(1, static_cast<char>('A' + round % 20));
  long long gain = quantity * priceCents - costCents;

  return {
      {"N", std::to_string(line + 1)},
      {"S", stock},
      {"U", under},
      {"CUSIP", std::to_string(100000000 + mix % 899999999)},
      {"MM", TwoDigits(month)},
      {"DD", TwoDigits(day)},
      {"YYYY", std::to_string(year)},
      {"YY", TwoDigits(year % 100)},
      {"Mon", kMonths[month - 1]},
      {"SDD", TwoDigits(settleDay)},
      {"T", TwoDigits(hour) + ":" + TwoDigits(minute) + ":" + TwoDigits(second)},
      {"HMS", std::to_string(hour * 10000 + minute * 100 + second)},
      {"Q", std::to_string(quantity)},
      {"P", Price(priceCents)},
      {"A", Amount(quantity * priceCents)},
      {"B", Amount(costCents)},
      {"G", gain < 0 ? "($" + Amount(-gain) + ")" : "$" + Amount(gain)},
      {"K", std::to_string(strike)},
      {"EDD", TwoDigits(expDay)},
      {"EYY", TwoDigits(expYear % 100)},
      {"EYYYY", std::to_string(expYear)},
      {"EMon", kMonths[expMonth - 1]},
      {"EMON", kMonthsUpper[expMonth - 1]},
      {"OC", occ + "C" + strikeDigits},
      {"OP", occ + "P" + strikeDigits},
      {"FC", callCode + strikeCode},
      {"FP", putCode + strikeCode},
  };
}

void Expand(const std::string& pattern, const LineValues& values, std::string& out) {
  out.clear();
  for (size_t at = 0; at < pattern.size();) {
    size_t open = pattern.find('{', at);
    size_t close = open == std::string::npos ? open : pattern.find('}', open);
    if (close == std::string::npos) {
      out.append(pattern, at, std::string::npos);
      break;
    }
    out.append(pattern, at, open - at);
    std::string_view key(pattern.data() + open + 1, close - open - 1);
    bool found = false;
    for (const auto& [name, value] : values) {
      if (name == key) {
        out += value;
        found = true;
        break;
      }
    }
    if (!found) out.append(pattern, open, close - open + 1);
    at = close + 1;
  }
}

}  // namespace

const std::vector<BenchFormat>& BenchFormats() {
  static const std::vector<BenchFormat> kFormats = {
      {"native",
       "",
       "Date Transacted,Date Settled,Action,Quantity,Symbol,Description,Price,Commission,Sec. Fee,"
       "Misc. Fee,Fed. Tax,Ex./Assign Basis Adj,Basis Adj,Amount,Account,ID,Note,FX",
       {
           "{MM}/{DD}/{YYYY} {T},{MM}/{SDD}/{YYYY} 00:00:00,Buy,{Q},{S},{S} HOLDINGS CORP,{P},9.99,"
           "0,0,0,0,0,\"({A})\",Main,T{N},,1",
           "{MM}/{DD}/{YYYY} {T},{MM}/{SDD}/{YYYY} 00:00:00,Sell,-{Q},{S},\"{S} GROUP, INC.\",{P},"
           "9.99,0.15,0,0,0,0,\"{A}\",Main,T{N},\"partial, first lot\",1",
           "{MM}/{DD}/{YYYY} {T},{MM}/{SDD}/{YYYY} 00:00:00,Buy Call,{Q},{OC},{Q} {U} {EMON}-{EYY} "
           "${K} CALL,{P},6.25,0,0,0,0,0,\"({A})\",Main,T{N},,1",
           "{MM}/{DD}/{YYYY} {T},{MM}/{SDD}/{YYYY} 00:00:00,Short Sell,-{Q},{S},{S} HOLDINGS CORP,"
           "{P},9.99,0.15,0,0,0,0,\"{A}\",Main,T{N},opening short,1",
           "{MM}/{DD}/{YYYY} {T},{MM}/{SDD}/{YYYY} 00:00:00,Sell Put to Open,-{Q},{OP},{Q} {U} "
           "{EMON}-{EYY} ${K} PUT,{P},2.50,0.02,0,0,0,0,\"{A}\",Main,T{N},,1",
           "{MM}/{DD}/{YYYY} {T},{MM}/{SDD}/{YYYY} 00:00:00,Buy to Cover,{Q},{S},{S} HOLDINGS CORP,"
           "{P},9.99,0,0,0,0,0,\"({A})\",Main,T{N},,1",
           "{MM}/{DD}/{YYYY} {T},{MM}/{SDD}/{YYYY} 00:00:00,Sell Call to Open,-{Q},{OC},{Q} {U} "
           "{EMON}-{EYY} ${K} CALL,{P},2.50,0.01,0,0,0,0,\"{A}\",Main,T{N},covered call,1",
           "{MM}/{DD}/{YYYY} {T},{MM}/{SDD}/{YYYY} 00:00:00,Buy Put to Close,{Q},{OP},{Q} {U} "
           "{EMON}-{EYY} ${K} PUT,{P},2.50,0,0,0,0,0,\"({A})\",Main,T{N},,1",
       }},
      {"trademonster",
       "Account Activity\nAccount Number: 5TM00001,Account Name: Bench Trader\n"
       "Period: 01-Jan-05 to 31-Dec-19\n",
       "TransactionID, Date, Time,Type,Description,Strike,Type,Side,Quantity,Symbol,Price per unit,"
       "Underlier Symbol,Fee,Commission,Amount,Security Type, Expiration Date,Security Description,"
       "Open or Close,Deliverables,Market Statistics, Trade Journal notes",
       {
           "{N},{DD}-{Mon}-{YY},{T},Trade,Bought {Q} {S} @ {P},0.00,,BUY,{Q},{S},{P},{S},0.00,4.95,"
           "\"({A})\",Equity,,{S} HOLDINGS INC,OPEN,,\"Bid {P}, Ask {P}\",first lot",
           "{N},{DD}-{Mon}-{YY},{T},Trade,Sold {Q} {U} {EMon} {K} Call,{K}.00,CALL,SELL,{Q},{OC},{P},"
           "{U},0.04,5.25,\"{A}\",Option,{EDD}-{EMon}-{EYYYY},{U} {EMon} {EYY} {K}.00 Call,OPEN,"
           "100 {U},,covered call",
           "{N},{DD}-{Mon}-{YY},{T},Trade,Bought {Q} {U} {EMon} {K} Put,{K}.50,PUT,BUY,{Q},{OP},{P},"
           "{U},0.00,6.00,\"({A})\",Option,{EDD}-{EMon}-{EYY},{U} {EMon} {EYY} {K}.50 Put,OPEN,"
           "100 {U},,\"hedge, partial\"",
           "{N},{DD}-{Mon}-{YY},{T},Trade,Sold {Q} {S} @ {P},0.00,,SELL,{Q},{S},{P},{S},0.21,4.95,"
           "\"{A}\",Equity,,{S} HOLDINGS INC,CLOSE,,,",
           "{N},{DD}-{Mon}-{YY},{T},Dividend,{S} cash dividend,0,,,,,,,0.00,0.00,\"{A}\",Cash,,,,,,",
       }},
      {"fidelity-v1",
       "",
       "Trans. Date,Transaction Description,Symbol,Quantity,Price,Amount,Type,Security Description,"
       "Commission,Fees,Acct.Name",
       {
           "{MM}/{DD}/{YYYY},YOU BOUGHT,{S},{Q},{P},\"-{A}\",Cash,{S} HOLDINGS CORP,7.95,0.00,"
           "Individual",
           "{MM}/{DD}/{YYYY},YOU SOLD OPENING TRANSACTION, -{U}{FC},-{Q},{P},\"{A}\",Margin,"
           "CALL ({U}) {U} HOLDINGS {EMON} {K} (100 SHS),8.95,0.02,Individual",
           "{MM}/{DD}/{YYYY},YOU SOLD,{S},-{Q},{P},\"{A}\",Cash,{S} HOLDINGS CORP,7.95,0.02,"
           "Individual",
           "{MM}/{DD}/{YYYY},YOU BOUGHT OPENING TRANSACTION, -{U}{FP},{Q},{P},\"-{A}\",Margin,"
           "PUT ({U}) {U} HOLDINGS {EMON} {K} (100 SHS),8.95,0.00,Individual",
           "{MM}/{DD}/{YYYY},DIVIDEND RECEIVED,{S},0,,\"{A}\",Cash,{S} HOLDINGS CORP,,,Individual",
       }},
      {"fidelity-v2",
       "Brokerage\n\nRun Date 01/05/2020\n",
       "Trade Date,Action,Symbol,Security Description,Security Type,Quantity,Price ($),"
       "Commission ($),Fees ($),Accrued Interest ($),Amount ($),Settlement Date",
       {
           "{MM}/{DD}/{YYYY},YOU BOUGHT,{S},{S} HOLDINGS CORP,Stock,{Q},{P},7.95,0.00,,\"-{A}\","
           "{MM}/{SDD}/{YYYY}",
           "{MM}/{DD}/{YYYY},YOU SOLD OPENING TRANSACTION, -{U}{FC},CALL ({U}) {U} HOLDINGS {EMON} "
           "{K} (100 SHS),Call,-{Q},{P},9.70,0.05,,\"{A}\",{MM}/{SDD}/{YYYY}",
           "{MM}/{DD}/{YYYY},YOU SOLD,{S},{S} HOLDINGS CORP,Stock,-{Q},{P},7.95,0.10,,\"{A}\","
           "{MM}/{SDD}/{YYYY}",
           "{MM}/{DD}/{YYYY},YOU BOUGHT OPENING TRANSACTION, -{U}{FP},PUT ({U}) {U} HOLDINGS {EMON} "
           "{K} (100 SHS),Put,{Q},{P},8.45,0.00,,\"-{A}\",{MM}/{SDD}/{YYYY}",
           "{MM}/{DD}/{YYYY},DIVIDEND RECEIVED,{S},{S} HOLDINGS CORP,Stock,,,,,,\"{A}\","
           "{MM}/{DD}/{YYYY}",
           "{MM}/{DD}/{YYYY},MARGIN INTEREST,,,Cash,,,,,,-6.37,{MM}/{DD}/{YYYY}",
       }},
      {"penson-a",
       "",
       "AccountTypeDescription,TradeDate,SettlementDate,ExecutionTime,TradeNumber,CUSIPSymbol,ISIN,"
       "ShortDescription,BuySellCode,Quantity,Price,PrincipalAmount,CommissionGrossCalculated,"
       "OtherCommission,NetAmount,CurrencyCode,Trailer,EntryDate",
       {
           "Margin,{MM}/{DD}/{YYYY},{MM}/{SDD}/{YYYY},{HMS},T{N},{S},US{CUSIP}0,{S} HOLDINGS INC,B,"
           "{Q},{P},\"{A}\",9.95,0.00,\"({A})\",USD,Opening buy,{MM}/{DD}/{YYYY}",
           "Margin,{MM}/{DD}/{YYYY},{MM}/{SDD}/{YYYY},{HMS},T{N},{OC},,{U} {EMON} '{EYY} @ {K} CALL,"
           "STO,{Q},{P},\"{A}\",12.50,0.03,\"{A}\",USD,Covered call,{MM}/{DD}/{YYYY}",
           "Margin,{MM}/{DD}/{YYYY},{MM}/{SDD}/{YYYY},{HMS},T{N},{S},US{CUSIP}0,\"{S} TRUST, SERIES 1\","
           "S,{Q},{P},\"{A}\",9.95,0.17,\"{A}\",USD,Closing sale,{MM}/{DD}/{YYYY}",
           "Margin,{MM}/{DD}/{YYYY},{MM}/{SDD}/{YYYY},{HMS},T{N},{OP},,{U} {EMON} '{EYY} @ {K} PUT,"
           "BTC,{Q},{P},\"{A}\",6.50,0.00,\"({A})\",USD,Closing put,{MM}/{DD}/{YYYY}",
       }},
      {"penson-b",
       "",
       "AccountNumber,AccountTypeDescription,OfficeCode,RegisteredRepCode,TradeDate,ExecutionTime,"
       "SettlementDate,OriginalTradeNumber,TradeNumber,BuySellCode,Symbol,CUSIP,Quantity,Price,"
       "PrincipalAmount,CommissionGrossCalculated,OtherCommission,NetAmount,ExecutingBrokerBack,"
       "EntryDate,ProcessDate,Currencycode,Trailer",
       {
           "5PA10001,Margin,5PA,R07,{MM}/{DD}/{YYYY},{HMS},{MM}/{SDD}/{YYYY},,T{N},B,{S} - {S} "
           "HOLDINGS,{CUSIP},{Q},{P},\"{A}\",9.95,0.00,\"({A})\",TOSX,{MM}/{DD}/{YYYY},"
           "{MM}/{DD}/{YYYY},USD,Opening buy",
           "5PA10001,Margin,5PA,R07,{MM}/{DD}/{YYYY},{HMS},{MM}/{SDD}/{YYYY},,T{N},STO,{OC} - {U} "
           "{EMON} '{EYY} @ {K} CALL,,{Q},{P},\"{A}\",12.50,0.04,\"{A}\",TOSX,{MM}/{DD}/{YYYY},"
           "{MM}/{DD}/{YYYY},USD,Covered call",
           "5PA10001,Margin,5PA,R07,{MM}/{DD}/{YYYY},{HMS},{MM}/{SDD}/{YYYY},T{N},T{N}S,S,{S} - {S} "
           "HOLDINGS,{CUSIP},{Q},{P},\"{A}\",9.95,0.21,\"{A}\",TOSX,{MM}/{DD}/{YYYY},"
           "{MM}/{DD}/{YYYY},USD,Closing sale",
           "5PA10001,Margin,5PA,R07,{MM}/{DD}/{YYYY},{HMS},{MM}/{SDD}/{YYYY},,T{N},BTO,{OP} - {U} "
           "{EMON} '{EYY} @ {K} PUT,,{Q},{P},\"{A}\",15.75,0.00,\"({A})\",TOSX,{MM}/{DD}/{YYYY},"
           "{MM}/{DD}/{YYYY},USD,Hedge",
       }},
      {"penson-tax",
       "",
       "Quantity,Symbol,Date Acquired,Date Sold,Sales Price,Cost Basis,Gain or (loss),"
       "Security Type,Status",
       {
           "{Q},{S},{MM}/{DD}/{YYYY},{MM}/{SDD}/{YYYY},\"${A}\",\"${B}\",\"{G}\",Stock,Closed",
           "{Q},{U}{FC},{MM}/{DD}/{YYYY},{MM}/{SDD}/{YYYY},\"${A}\",\"${B}\",\"{G}\",Option,Closed",
           "{Q},{S},{MM}/{DD}/{YYYY},{MM}/{SDD}/{YYYY},\"${B}\",\"${A}\",\"{G}\",Stock,Closed",
           "{Q},{U}{FP},{MM}/{DD}/{YYYY},{MM}/{SDD}/{YYYY},\"${A}\",\"${B}\",\"{G}\",Option,Closed",
       }},
      {"etrade-history",
       "Account Activity for Individual Brokerage XXXX-6789\n\"Transactions from 01/02/2005 to "
       "12/31/2019\"\nDownloaded 01/02/2020 07:42 PM ET\n\n",
       "TransactionDate,TransactionType,SecurityType,Symbol,Quantity,Amount,Price,Commission,"
       "Description",
       {
           "{MM}/{DD}/{YY},Bought,EQ,{S},{Q},\"-{A}\",${P},$12.99,{S} HOLDINGS INC",
           "{MM}/{DD}/{YY},Sold To Open,OPTN,{U} {EMon} {EDD} '{EYY} ${K} Call,-{Q},\"{A}\",${P},"
           "$11.99,{U} {EMon} {EDD} '{EYY} ${K} Call",
           "{MM}/{DD}/{YY},Sold,EQ,{S},-{Q},\"{A}\",${P},$12.99,{S} HOLDINGS INC",
           "{MM}/{DD}/{YY},Bought To Open,OPTN,{U} {EMon} {EDD} '{EYY} ${K} Put,{Q},\"-{A}\",${P},"
           "$12.99,{U} {EMon} {EDD} '{EYY} ${K} Put",
           "{MM}/{DD}/{YY},Sold Short,EQ,{S},-{Q},\"{A}\",${P},$12.99,{S} HOLDINGS INC",
           "{MM}/{DD}/{YY},Bought To Cover,EQ,{S},{Q},\"-{A}\",${P},$12.99,{S} HOLDINGS INC",
           "{MM}/{DD}/{YY},Dividend,EQ,{S},0,\"{A}\",,,{S} HOLDINGS INC",
       }},
      {"etrade-taxyear",
       "",
       "Trade Date,Order Type,Security,Cusip,Transaction Description,Quantity,Executed Price,"
       "Commission,Net Amount",
       {
           "{MM}/{DD}/{YYYY},Buy,{S},{CUSIP},{S} HOLDINGS INC,{Q},{P},9.99,\"-{A}\"",
           "{MM}/{DD}/{YYYY},Sell To Open,{U} {EMon} {EDD} '{EYY} ${K} Call,,{U} {EMon} {EDD} '{EYY} "
           "${K} Call,-{Q},{P},13.74,\"{A}\"",
           "{MM}/{DD}/{YYYY},Sell,{S},{CUSIP},\"{S} HOLDINGS, INC\",-{Q},{P},9.99,\"{A}\"",
           "{MM}/{DD}/{YYYY},Buy To Close,{U} {EMon} {EDD} '{EYY} ${K} PUT,,{U} {EMon} {EDD} '{EYY} "
           "${K} PUT,{Q},{P},10.49,\"-{A}\"",
           "{MM}/{DD}/{YYYY},Sell Short,{S},{CUSIP},{S} HOLDINGS INC,-{Q},{P},9.99,\"{A}\"",
           "{MM}/{DD}/{YYYY},Buy To Cover,{S},{CUSIP},{S} HOLDINGS INC,{Q},{P},9.99,\"-{A}\"",
       }},
  };
  return kFormats;
}

const BenchFormat* FindBenchFormat(const std::string& name) {
  for (const BenchFormat& format : BenchFormats()) {
    if (format.name == name) return &format;
  }
  return nullptr;
}

bool WriteBenchFile(const BenchFormat& format, size_t lines, const std::filesystem::path& file,
                    size_t firstLine) {
  std::ofstream out(file, std::ios::binary);
  if (!out) return false;
  out << format.preamble << format.header << "\r\n";
  std::string text;
  for (size_t line = firstLine; line < firstLine + lines; ++line) {
    Expand(format.patterns[line % format.patterns.size()], ValuesFor(line), text);
    text += "\r\n";
    out << text;
  }
  out.close();
  return static_cast<bool>(out);
}
