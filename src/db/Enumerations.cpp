// The named enumerations shared with the application, registered with the
// enumeration registry while the library loads. Each enumeration is one table
// of members (member name, value, friendly string) in ascending value order;
// kEnumerations at the end lists them in registration order, and one object
// enters them all, in that order, when the library loads.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "ledgerdb/HEnum.h"

namespace vo {

namespace {

struct EnumMember {
  const char* name;
  int32_t value;
  const char* friendly;
};

constexpr EnumMember kSyncType[] = {
    {"SyncTypeManual", 0, "Manual"},
    {"SyncTypeDaily", 1, "Daily"},
    {"SyncTypeWeekly", 2, "Weekly"},
    {"SyncTypeMonthly", 3, "Monthly"},
    {"SyncTypeYearly", 4, "Yearly"},
    {"SyncTypeNone", 5, "None"},
};

constexpr EnumMember kHeldType[] = {
    {"HeldTypeNA", 0, "N/A"},
    {"HeldTypeShortTerm", 1, "ST"},
    {"HeldTypeLongTerm", 2, "LT"},
    {"HeldTypeVeryLongTerm", 3, "VLT"},
};

// "1/1 - 3/31" is shared by 1 and 5; a lookup by that text finds 5, added later.
constexpr EnumMember kPeriodType[] = {
    {"PeriodTypeAll", 0, "All"},
    {"PeriodType1to3", 1, "1/1 - 3/31"},
    {"PeriodType4to5", 2, "4/1 - 5/31"},
    {"PeriodType6to8", 3, "6/1 - 8/31"},
    {"PeriodType9to12", 4, "9/1 - 12/31"},
    {"PeriodTypeFirst", 5, "1/1 - 3/31"},
    {"PeriodTypeSecond", 6, "1/1 - 5/31"},
    {"PeriodTypeThird", 7, "1/1 - 8/31"},
    {"PeriodTypeForth", 8, "1/1 - 12/31"},
};

constexpr EnumMember kCurrencyType[] = {
    {"CurrencyTypeUS", 0, "USD"},
};

constexpr EnumMember kReportMethod[] = {
    {"ReportMethodScheduleD", 0, "Schedule D"},
    {"ReportMethodMtoM", 1, "Form 4797"},
    {"ReportMethodContracts", 2, "Form 6781 (sec. 1256)"},
};

constexpr EnumMember kCorpEventType[] = {
    {"CorpEventTypeSplit", 0, "Split"},
    {"CorpEventTypeRevSplit", 1, "Reverse Split"},
    {"CorpEventTypeMerge", 2, "Merge"},
    {"CorpEventTypeSpinOff", 3, "Spin-Off"},
    {"CorpEventTypeEquivalentSymbols", 4, "Equivalent Symbols"},
    {"CorpEventTypeReturnCapital", 5, "Return of Capital"},
    {"CorpEventTypeLiquidation", 6, "Liquidation"},
};

constexpr EnumMember kTransType[] = {
    {"TransTypeNull", 0, "N/A"},
    {"TransTypeLong", 1, "Long"},
    {"TransTypeShort", 2, "Short"},
    {"TransTypeBoth", 3, "Both"},
};

// The automatic exercise and assignment members (53 to 56) share their
// friendly strings with 13 to 16; a lookup by those texts finds the later ones.
constexpr EnumMember kTransAction[] = {
    {"TransActionBuy", 0, "Buy"},
    {"TransActionBuyReinvest", 1, "Buy - Reinvest"},
    {"TransActionSale", 2, "Sell"},
    {"TransActionShortSale", 3, "Short Sell"},
    {"TransActionBuyToCover", 4, "Buy to Cover"},
    {"TransActionBuyCall", 5, "Buy Call"},
    {"TransActionSaleCall", 6, "Sell Call"},
    {"TransActionBuyPut", 7, "Buy Put"},
    {"TransActionSalePut", 8, "Sell Put"},
    {"TransActionSaleCallToOpen", 9, "Sell Call to Open"},
    {"TransActionBuyCallToClose", 10, "Buy Call to Close"},
    {"TransActionSalePutToOpen", 11, "Sell Put to Open"},
    {"TransActionBuyPutToClose", 12, "Buy Put to Close"},
    {"TransActionExerciseCall", 13, "Buy Call - Exercised"},
    {"TransActionExercisePut", 14, "Buy Put - Exercised"},
    {"TransActionAssignCall", 15, "Sell Call to Open - Assigned"},
    {"TransActionAssignPut", 16, "Sell Put to Open - Assigned"},
    {"TransActionExpireBuyCall", 17, "Buy Call - Expired"},
    {"TransActionExpireSaleCallOpen", 18, "Sell Call to Open - Expired"},
    {"TransActionExpireBuyPut", 19, "Buy Put - Expired"},
    {"TransActionExpireSalePutOpen", 20, "Sell Put to Open - Expired"},
    {"TransActionJournalIn", 21, "Journal In"},
    {"TransActionJournalOut", 22, "Journal Out"},
    {"TransActionCashReturned", 23, "Cash Returned"},
    {"TransActionIncomeInterest", 24, "Income Interest"},
    {"TransActionIncomeCapGainLT", 25, "Income Long Term Capital Gain"},
    {"TransActionIncomeCapGainST", 26, "Income Short Term Capital Gain"},
    {"TransActionIncomeDiv", 27, "Income Dividend"},
    {"TransActionIncomeMisc", 28, "Income Misc."},
    {"TransActionBondInterest", 29, "Interest (Bond)"},
    {"TransActionInterestCapGainLT", 30, "Interest Long Term Capital Gain"},
    {"TransActionInterestCapGainST", 31, "Interest Short Term Capital Gain"},
    {"TransActionInterestDiv", 32, "Interest Dividend"},
    {"TransActionInterestMisc", 33, "Interest Misc."},
    {"TransActionCash", 34, "Cash"},
    {"TransActionCurConv", 35, "Currency Conversion"},
    {"TransActionOtherInterest", 36, "Interest (Other)"},
    {"TransActionMisc", 37, "Misc."},
    {"TransActionInvExpense", 38, "Investment Expense"},
    {"TransActionMarginInterest", 39, "Interest (Margin)"},
    {"TransActionRetOfCapRemind", 40, "Return of Cap - Reminder"},
    {"TransActionPutAssignRemind", 41, "Put Assigned - Reminder"},
    {"TransActionCallAssignRemind", 42, "Call Assigned - Reminder"},
    {"TransActionPutExerciseRemind", 43, "Put Exercised - Reminder"},
    {"TransActionCallExerciseRemind", 44, "Call Exercised - Reminder"},
    {"TransActionPutExpireRemind", 45, "Put Expired Worthless - Reminder"},
    {"TransActionCallExpireRemind", 46, "Call Expired Worthless - Reminder"},
    {"TransActionJournalInRemind", 47, "Journal In - Reminder"},
    {"TransActionJournalOutRemind", 48, "Journal Out."},
    {"TransActionExerciseRemind", 49, "Exercise"},
    {"TransActionAssignRemind", 50, "Assign"},
    {"TransActionExpireRemind", 51, "Expire"},
    {"TransActionIgnore", 52, "Ignore"},
    {"TransActionAutoExerciseCall", 53, "Buy Call - Exercised"},
    {"TransActionAutoExercisePut", 54, "Buy Put - Exercised"},
    {"TransActionAutoAssignCall", 55, "Sell Call to Open - Assigned"},
    {"TransActionAutoAssignPut", 56, "Sell Put to Open - Assigned"},
};

constexpr EnumMember kTransPos[] = {
    {"TransPosNull", 0, "N/A"},
    {"TransPosOpen", 1, "Open"},
    {"TransPosClose", 2, "Close"},
    {"TransPosBoth", 3, "Both"},
};

constexpr EnumMember kSecurityTypeGroup[] = {
    {"SecurityTypeGroupStock", 0, "Stocks"},
    {"SecurityTypeGroupOptions", 1, "Options (all)"},
    {"SecurityTypeGroupETF", 2, "Exchange Traded Funds"},
    {"SecurityTypeGroupMutualFund", 3, "Mutual Funds"},
    {"SecurityTypeGroupBond", 4, "Bonds"},
    {"SecurityTypeGroupFutures", 5, "Futures (all)"},
    {"SecurityTypeGroupFOREX", 6, "FOREX"},
    {"SecurityTypeGroupCash", 7, "Cash"},
    {"SecurityTypeGroupCurConv", 8, "Currency Conversion"},
    {"SecurityTypeGroupIndex", 9, "Index"},
    {"SecurityTypeGroupGrossPrcd", 10, "Gross Proceeds (several types)"},
    {"SecurityTypeGroupTotPurchases", 11, "Total Purchases (several types)"},
};

constexpr EnumMember kSecurityType[] = {
    {"SecurityTypeStock", 0, "Stock"},
    {"SecurityTypeCall", 1, "Call Option (Equity)"},
    {"SecurityTypePut", 2, "Put Option (Equity)"},
    {"SecurityTypeCallIndexOption", 3, "Call Option (Index)"},
    {"SecurityTypePutIndexOption", 4, "Put Option (Index)"},
    {"SecurityTypeETF", 5, "Exchange Traded Fund"},
    {"SecurityTypeMutualFund", 6, "Mutual Fund"},
    {"SecurityTypeBond", 7, "Bond"},
    {"SecurityTypeStockFuture", 8, "Future (Stock)"},
    {"SecurityTypeNonStockFuture", 9, "Future (Non-Stock)"},
    {"SecurityTypeForCurContract", 10, "FOREX (Foreign Currency Contract)"},
    {"SecurityTypeCash", 11, "Cash"},
    {"SecurityTypeIndex", 12, "Index"},
    {"SecurityTypeCurConv", 13, "Currency Conversion"},
    {"SecurityTypeUndefined", 14, "Undefined"},
};

constexpr EnumMember kReconStatus[] = {
    {"ReconStatusNotReconciled", 0, "Not Reconciled"},
    {"ReconStatusReconciled", 1, "Reconciled"},
};

constexpr EnumMember kTransActionRecon1099[] = {
    {"Recon1099AllTrans", 0, "All Transactions"},
    {"Recon1099BuysAll", 1, "Buys - All"},
    {"Recon1099BuystoOpen", 2, "Buys - to Open"},
    {"Recon1099BuystoCover", 3, "Buys - to Cover"},
    {"Recon1099SalesAll", 4, "Sells - All"},
    {"Recon1099SalestoClose", 5, "Sells - to Close"},
    {"Recon1099SalesShort", 6, "Sells - Short to Open"},
};

constexpr EnumMember kSyncMethod[] = {
    {"SyncMethodAutomatic", 0, "Automatic"},
    {"SyncMethodManual", 1, "Manual"},
};

constexpr EnumMember kModeType[] = {
    {"ModeTypeAllSymbol", 0, "All Symbols (show multiple types)"},
    {"ModeTypeAllStocks", 1, "All Stocks"},
    {"ModeTypeAllOptions", 2, "All Options (Equity)"},
    {"ModeTypeAllIndex", 3, "All Options (Index)"},
    {"ModeTypeAllETF", 4, "All ETF"},
    {"ModeTypeAllMutualFund", 5, "All Mutual Funds"},
    {"ModeTypeAllBond", 6, "All Bonds"},
    {"ModeTypeAllStocksFutures", 7, "All Futures (Stock)"},
    {"ModeTypeAllNonStockFuture", 8, "All Futures (Non-Stock)"},
    {"ModeTypeAllFOREX", 9, "All FOREX"},
    {"ModeTypeAllCash", 10, "All Cash"},
    {"ModeTypeBySymbol", 11, "By Symbol (show one symbol)"},
};

constexpr EnumMember kRangeType[] = {
    {"RangeTypeCalendar", 0, "From && To Dates"},
    {"RangeTypeTaxPeriod", 1, "Year && Tax Period"},
};

// Continues the values of RangeType: its one member is 2.
constexpr EnumMember kRangeTypeChart[] = {
    {"RangeTypeCalendarPeriod", 2, "From Date && Period"},
};

constexpr EnumMember kPeriodValue[] = {
    {"PeriodValueDay", 0, "1 Day"},
    {"PeriodValueWeek", 1, "1 Week"},
    {"PeriodValueMonth", 2, "1 Month"},
    {"PeriodValueQuarter", 3, "1 Quarter"},
    {"PeriodValueYear", 4, "1 Year"},
};

// Values are list positions, not years.
constexpr EnumMember kYear[] = {
    {"YearAll", 0, "All"},
    {"Year1995", 1, "1995"},
    {"Year1996", 2, "1996"},
    {"Year1997", 3, "1997"},
    {"Year1998", 4, "1998"},
    {"Year1999", 5, "1999"},
    {"Year2000", 6, "2000"},
    {"Year2001", 7, "2001"},
    {"Year2002", 8, "2002"},
    {"Year2003", 9, "2003"},
    {"Year2004", 10, "2004"},
    {"Year2005", 11, "2005"},
    {"Year2006", 12, "2006"},
};

constexpr EnumMember kTransViewType[] = {
    {"TransViewTypeAll", 0, "Transactions - All"},
    {"TransViewTypePositions", 1, "Positions - All (CAs by date)"},
    {"TransViewTypePositionsOpen", 2, "Positions - Open"},
    {"TransViewTypePositionsRecon", 3, "Positions - Reconciliation"},
    {"TransViewTypeFindTransaction", 4, "Find Transaction(s)"},
    {"TransViewTypeAllOpening", 5, "Buys - All"},
    {"TransViewTypeAllOpeningLong", 6, "Buys - to Open"},
    {"TransViewTypeAllClosingShort", 7, "Buys - to Close"},
    {"TransViewTypeAllClosing", 8, "Sells - All"},
    {"TransViewTypeAllClosingLong", 9, "Sells - to Close"},
    {"TransViewTypeAllOpeningShort", 10, "Sells - to Open"},
    {"TransViewTypeExercised", 11, "Exercised"},
    {"TransViewTypeAssigned", 12, "Assigned"},
    {"TransViewTypeExpired", 13, "Expired"},
    {"TransViewTypeUnexpiredOldOptionsContract", 14, "Unexpired Old Options Contracts"},
    {"TransViewTypeCash", 15, "Cash"},
    {"TransViewTypeReinvestedDividend", 16, "Reinvested Dividends"},
    {"TransViewTypeIncomeMutualMisc", 17, "Income (Mutual Funds + Misc.)"},
    {"TransViewTypeIncomeMisc", 18, "Income (Misc.) && Investment Exp."},
    {"TransViewTypeInterestBond", 19, "Interest (Bonds)"},
    {"TransViewTypeJournalIn", 20, "Journal In"},
    {"TransViewTypeJournalOut", 21, "Journal Out"},
    {"TransViewTypeUnConfirmed", 22, "Unconfirmed Transactions (please review)"},
    {"TransViewTypeReminder", 23, "Reminders"},
};

constexpr EnumMember kGroupsViewType[] = {
    {"GroupsViewTypeAllNotGrouped", 0, "Not Grouped - All (excluded from Tax Reports)"},
    {"GroupsViewTypeAllClosingNotGrouped", 1, "Not Grouped - Sells && Buys to Cover"},
    {"GroupsViewTypeAllSalesNotGrouped", 2, "Not Grouped - Sells && Short Sells"},
    {"GroupsViewTypeAllOpeningNotGrouped", 3, "Not Grouped - Buys && Short Sells"},
    {"GroupsViewTypeAllBuysNotGrouped", 4, "Not Grouped - Buys && Buys to Covers"},
    {"GroupsViewTypeAllGrouped", 5, "Grouped - All (included in Tax Reports)"},
    {"GroupsViewTypeAllClosingGrouped", 6, "Grouped - Sells && Buys to Cover"},
    {"GroupsViewTypeAllSalesGrouped", 7, "Grouped - Sells && Short Sells"},
    {"GroupsViewTypeAllOpeningGrouped", 8, "Grouped - Buys && Short Sells"},
    {"GroupsViewTypeAllBuysGrouped", 9, "Grouped - Buys && Buys to Covers"},
    {"GroupsViewTypeAllExpired", 10, "Grouped - Options"},
    {"GroupsViewTypeAllExercised", 11, "Exercised - Amounts became a Basis Adj."},
    {"GroupsViewTypeAllAssigned", 12, "Assigned - Amounts became a Basis Adj."},
    {"GroupsViewTypeAllJournalOut", 13, "Journaled Out - Amounts removed from VO"},
    {"GroupsViewTypeGroupsGrouped", 14, "Change Groups - Manual Groups"},
};

constexpr EnumMember kPerfViewType[] = {
    {"PerfViewTypeOpenRisk", 0, "Risk Monitor (Open Positions)"},
    {"PerfViewTypeWatchRisk", 1, "Risk Monitor (Watch List)"},
    {"PerfViewTypeOptionsROI", 2, "Options Return on Investment (ROI)"},
    {"PerfViewTypeUnreal", 3, "Unrealized Gain/Loss"},
    {"PerfViewTypeOptionRisk", 4, "Unrealized Gain/Loss, Options View"},
    {"PerfViewTypeGLSummary", 5, "Realized Gain/Loss Summary"},
    {"PerfViewTypeGLDetails", 6, "Realized Gain/Loss Details"},
    {"PerfViewTypeOptionGLSummary", 7, "Realized Gain/Loss Summary, Options View"},
    {"PerfViewTypeOptionGLDetails", 8, "Realized Gain/Loss Details, Options View"},
    {"PerfViewTypeGLChartGrp", 9, "Bar Chart (Realized Gain/Loss)"},
    {"PerfViewTypeGLChartBS", 10, "Bar Chart (Sells - Buys)"},
    {"PerfViewTypeGLPieGrp", 11, "Pie Chart (Realized Gain/Loss)"},
    {"PerfViewTypeGLPieBS", 12, "Pie Chart (Sells - Buys)"},
    {"PerfViewTypeInvestedPieGrp", 13, "Pie Chart ($ Invested Gain/Loss/Flat Returns)"},
    {"PerfViewTypeTradePieGrp", 14, "Pie Chart (# Trades Gain/Loss/Flat Trades)"},
    {"PerfViewTypeMarketTiming", 15, "Market Timing - Chart"},
};

constexpr EnumMember kReportsViewType[] = {
    {"ReportsViewTypeIRSSchD", 0, "IRS Schedule D-1"},
    {"ReportsViewTypeSchD", 1, "Simplified Schedule D-1"},
    {"ReportsViewTypeTaxSchD", 2, "Detailed Schedule D-1"},
    {"ReportsViewTypeMtoM", 3, "IRS Form 4797"},
    {"ReportsViewType1256", 4, "IRS Form 6781"},
    {"ReportsViewTypeWashSales", 5, "Wash Sale Event Summary"},
    {"ReportsViewTypeGroups", 6, "Gain/Loss Group Details"},
};

constexpr EnumMember kDivPayType[] = {
    {"DivPayTypeCash", 0, "Cash"},
    {"DivPayTypeShares", 1, "Shares"},
    {"DivPayTypeCashReinvested", 2, "Cash Reinvested"},
    {"DivPayTypeShareReinvested", 3, "Share Reinvested"},
};

constexpr EnumMember kEventType[] = {
    {"EventTypeJournalOut", 0, "Journal Out"},
    {"EventTypeCashReturned", 1, "Cash Returned"},
    {"EventTypeCoveredCall", 2, "Call (Covered)"},
    {"EventTypeCoveredPut", 3, "Put (Covered)"},
    {"EventTypeExercise", 4, "Exercise"},
    {"EventTypeAssign", 5, "Assign"},
    {"EventTypeExpire", 6, "Expire"},
};

constexpr EnumMember kUngroupedView[] = {
    {"UngroupedViewManual", 0, "Manually Groupable"},
    {"UngroupedViewNotGrouped", 1, "Not Grouped"},
};

constexpr EnumMember kGroupedView[] = {
    {"GroupedViewAll", 0, "All Groups"},
    {"GroupedViewManualOnly", 1, "Manual Groups"},
    {"GroupedViewAutoOnly", 2, "Auto Groups"},
};

constexpr EnumMember kOfxVersion[] = {
    {"OfxVersionNone", 0, "No OFX"},
    {"OfxVersion1x", 1, "OFX Version 1.x"},
    {"OfxVersion20", 2, "OFX Version 2.0"},
};

// No members at 27 and 39 to 41: values are stored, so gaps are never closed up.
constexpr EnumMember kClientPref[] = {
    {"ClientPrefNone", 0, "none"},
    {"ClientPrefGroupMethod", 1, "group_method"},
    {"ClientPrefDateAcquire", 2, "date_acq"},
    {"ClientPrefWashSale", 3, "wash_sale"},
    {"ClientPrefURLTransChart", 4, "url_trans_chart"},
    {"ClientPrefURLTransResearch", 5, "url_trans_research"},
    {"ClientPrefURLResearchPage", 6, "url_research_page"},
    {"ClientPrefAutoFifo", 7, "auto_fifo"},
    {"ClientPrefScreensPrecision", 8, "screens_precision"},
    {"ClientPrefExportsPrecision", 9, "exports_precsion"},
    {"ClientPrefDefaultPrecision", 10, "default_precsion"},
    {"ClientPrefPrecisionType", 11, "precsion_type"},
    {"ClientPrefCorpEvents", 12, "allow_corp_events"},
    {"ClientPrefRangeType", 13, "range_type"},
    {"ClientPrefPerf1stCol", 14, "perf_1st_col"},
    {"ClientPrefPerf2ndCol", 15, "perf_2nd_col"},
    {"ClientPrefPerf1stSort", 16, "perf_1st_sort"},
    {"ClientPrefPerf2ndSort", 17, "perf_2nd_sort"},
    {"ClientPrefTrans1stCol", 18, "trans_1st_col"},
    {"ClientPrefTrans2ndCol", 19, "trans_2nd_col"},
    {"ClientPrefTrans1stSort", 20, "trans_1st_sort"},
    {"ClientPrefTrans2ndSort", 21, "trans_2nd_sort"},
    {"ClientPrefGroup1stCol", 22, "group_1st_col"},
    {"ClientPrefGroup2ndCol", 23, "group_2nd_col"},
    {"ClientPrefGroup1stSort", 24, "group_1st_sort"},
    {"ClientPrefGroup2ndSort", 25, "group_2nd_sort"},
    {"ClientPrefShowDupTrans", 26, "show_dup_trans"},
    {"ClientPrefLastScreen", 28, "last_screen"},
    {"ClientPrefLastView", 29, "last_view"},
    {"ClientPrefLastMode", 30, "last_mode"},
    {"ClientPrefLastAccount", 31, "last_account"},
    {"ClientPrefLastYear", 32, "last_year"},
    {"ClientPrefLastPeriod", 33, "last_period"},
    {"ClientPrefLastDateFrom", 34, "last_date_from"},
    {"ClientPrefLastDateTo", 35, "last_date_to"},
    {"ClientPrefWashLotInterval", 36, "wash_lot_interval"},
    {"ClientPrefPerfTotalMode", 37, "performance_total_mode"},
    {"ClientPrefAcquiredDatePref", 38, "acquired_date_preference"},
    {"ClientPrefWashOptions", 42, "wash_options_stock"},
};

constexpr EnumMember kGroupType[] = {
    {"GroupTypeManual", 0, "Manual"},
    {"GroupTypeAuto", 1, "Auto"},
    {"GroupTypeOpenOnly", 2, "Open Only"},
    {"GroupTypeVOManagedOption", 3, "VO Generated Option Group"},
    {"GroupTypeVOManagedJournalOut", 4, "VO Generated Journal Out Group"},
    {"GroupTypeVOManagedM2M", 5, "VO Generated M2M Group"},
    {"GroupTypeVOManagedCover", 6, "VO Generated Cover Group"},
    {"GroupTypeVOManagedCA", 7, "VO Generated Corporate Action"},
};

constexpr EnumMember kUserType[] = {
    {"UserTypeAdmin", 0, "Admin"},
    {"UserTypeLimited", 1, "Limited"},
};

constexpr EnumMember kGroupLockStatus[] = {
    {"GroupLockStatusNotLocked", 0, "Group Not Locked"},
    {"GroupLockStatusLocked", 1, "Group Locked"},
};

constexpr EnumMember kSortType[] = {
    {"SortTypeAscend", 0, "Ascending"},
    {"SortTypeDescend", 1, "Descending"},
};

// No member at 11; the stored values keep the gap.
constexpr EnumMember kTransListCol[] = {
    {"TransListColNo", 0, "No."},
    {"TransListColSymbol", 1, "Symbol"},
    {"TransListColDate", 2, "Date"},
    {"TransListColJrnlDate", 3, "Journal Date"},
    {"TransListColAction", 4, "Action"},
    {"TransListColOpenClose", 5, "Open/Close"},
    {"TransListColQty", 6, "Quantity"},
    {"TransListColPos", 7, "Position"},
    {"TransListColAlert", 8, "Alert"},
    {"TransListColPrice", 9, "Price"},
    {"TransListColCurrency", 10, "Currency"},
    {"TransListColComm", 12, "Commission"},
    {"TransListColFees", 13, "Fees"},
    {"TransListColBAdj", 14, "BAdj."},
    {"TransListColAmount", 15, "Amount"},
    {"TransListColAccount", 16, "Account"},
    {"TransListColBrokerID", 17, "BrokerID"},
    {"TransListColTransType", 18, "TransType"},
    {"TransListColTransID", 19, "TransID"},
};

constexpr EnumMember kPerfListCol[] = {
    {"PerfListColDate", 0, "Date"},
    {"PerfListColSymbol", 1, "Symbol"},
    {"PerfListColQty", 2, "Quantity"},
    {"PerfListColPrice", 3, "Price"},
    {"PerfListColCost", 4, "Cost"},
    {"PerfListColMktPrice", 5, "Mkt. Price"},
    {"PerfListColFees", 6, "Fees"},
    {"PerfListColSale", 7, "Est. Sales"},
    {"PerfListColGL", 8, "Gain/(Loss)"},
    {"PerfListColChange", 9, "Change"},
};

constexpr EnumMember kGroupListCol[] = {
    {"GroupListColNo", 0, "No."},
    {"GroupListColDate", 1, "Date"},
    {"GroupListColSymbol", 2, "Symbol"},
    {"GroupListColAction", 3, "Action"},
    {"GroupListColOpenClose", 4, "Open/Close"},
    {"GroupListColQty", 5, "Quantity"},
    {"GroupListColPrice", 6, "Price"},
    {"GroupListColComm", 7, "Commission"},
    {"GroupListColFees", 8, "Fees"},
    {"GroupListColAmount", 9, "Amount"},
    {"GroupListColAccount", 10, "Account"},
    {"GroupListColTransID", 11, "TransID"},
};

// The trailing blanks and the tab are part of the texts.
constexpr EnumMember kFieldSeparator[] = {
    {"FieldSeparatorComma", 0, "Comma - '"},
    {"FieldSeparatorSpace", 1, "Space -  "},
    {"FieldSeparatorTab", 2, "Tab -\t"},
    {"FieldSeparatorSingleQoute", 3, "Single Quote - ' "},
    {"FieldSeparatorDoubleQoute", 4, "Double Quote - \" "},
};

constexpr EnumMember kInvestorTypes[] = {
    {"InvestorTypesInvestor", 0, "Investor"},
    {"InvestorTypesTrader", 1, "Trader"},
    {"InvestorTypesDealer", 2, "Custom"},
};

constexpr EnumMember kPosState[] = {
    {"PosStateMonitor", 0, "Monitor"},
    {"PosStateOpen", 1, "Open"},
    {"PosStateClose", 2, "Close"},
};

constexpr EnumMember kDialogType[] = {
    {"DialogTypeAccounts", 0, "Accounts Dialog"},
    {"DialogTypeTransaction", 1, "Transactions Dialog"},
    {"DialogTypeSecurity", 2, "Security Symbols Dialog"},
    {"DialogTypeJournalOut", 3, "Journal Out Event Dialog"},
    {"DialogTypeOptions", 4, "Exercise/Assign/Expire Dialog"},
    {"DialogTypeCorpEvents", 5, "Corporate Actions Dialog"},
};

constexpr EnumMember kDateAcquiredPref[] = {
    {"DateAcquiredPrefBuy", 0, "Buy/Sell"},
    {"DateAcquiredPrefOpen", 1, "Open/Close"},
};

constexpr EnumMember kTransSearchFields[] = {
    {"TransSearchNote", 0, "Note"},
    {"TransSearchDesc", 1, "Description"},
    {"TransSearchBrokTransID", 2, "Broker's Trans ID"},
    {"TransSearchCusip", 3, "CUSIP"},
};

constexpr EnumMember kDFProviderTypes[] = {
    {"ProviderBarChart", 0, "Barchart.com"},
    {"ProviderDbc", 1, "DBC.com"},
    {"ProviderDtn", 2, "DTN.com"},
    {"ProviderMoney", 3, "Money.net"},
    {"ProviderMyTrack", 4, "MyTrack.com"},
    {"ProviderInternet", 5, "Internet"},
    {"ProviderManual", 6, "Manual Only"},
    {"ProviderNone", 7, "None"},
};

// Single bits (20 to 25), so that extensions can be combined into a mask.
constexpr EnumMember kVoFileExt[] = {
    {"EXT_VOQIF", 0x100000, ".voqif"},
    {"EXT_VOQFX", 0x200000, ".voqfx"},
    {"EXT_VOOFX", 0x400000, ".voofx"},
    {"EXT_QIF", 0x800000, ".qif"},
    {"EXT_QFX", 0x1000000, ".qfx"},
    {"EXT_OFX", 0x2000000, ".ofx"},
};

constexpr EnumMember kFractMgmtType[] = {
    {"FractMgmtRetainFractions", 0, "Retain Fractions"},
    {"FractMgmtSellFractions", 1, "Close Fractions"},
    {"FractMgmtCloseAtPrice", 2, "Close Fractions @ Price"},
};

constexpr EnumMember kGroupMethod[] = {
    {"GroupMethodFIFO", 0, "First In First Out"},
    {"GroupMethodLIFO", 1, "Last In First Out"},
    {"GroupMethodHighCost", 2, "Highest Cost First"},
    {"GroupMethodLowCost", 3, "Lowest Cost First"},
};

constexpr EnumMember kTransLockStatus[] = {
    {"TransLockStatusNotLocked", 0, "Trans Not Locked"},
    {"TransLockStatusArchive", 1, "Trans Archived"},
    {"TransLockStatusCA", 2, "Trans Locked by CA"},
};

constexpr EnumMember kSymExpCol[] = {
    {"SymExpColSource", 0, "Source"},
    {"SymExpColType", 1, "Type"},
    {"SymExpColVOSymbol", 2, "VO Symbol"},
    {"SymExpColSymbol", 3, "Symbol"},
    {"SymExpColSymDesc", 4, "Symbol Description"},
    {"SymExpColResearch", 5, "Research Symbol"},
    {"SymExpColCUSIP", 6, "CUSIP"},
    {"SymExpColQCCurr", 7, "QC Quotation Currency"},
    {"SymExpColUnderlying", 8, "Underlying Symbol"},
    {"SymExportColUnderDesc", 9, "Underlying Description"},
    {"SymExpColExpDate", 10, "Expiration Date"},
    {"SymExpColStrikePrice", 11, "Strike Price"},
    {"SymExpColConSize", 12, "Contract Size"},
    {"SymExpColLeap", 13, "Leap Y or N"},
    {"SymExpColLotSize", 14, "Lot Size"},
    {"SymExpColMultiplier", 15, "Multiplier"},
    {"SymExpColQCDesc", 16, "QC Description"},
    {"SymExpColConvRate", 17, "QC to AC Conversion Rate"},
    {"SymExpColACCurr", 18, "AC Account Currency"},
    {"SymExpColVerified", 19, "Verified"},
};

struct EnumTable {
  const char* registryName;
  std::span<const EnumMember> members;
};

// Every enumeration under its registry name, in registration order.
constexpr EnumTable kEnumerations[] = {
    {"SyncType", kSyncType},
    {"HeldType", kHeldType},
    {"PeriodType", kPeriodType},
    {"CurrencyType", kCurrencyType},
    {"ReportMethod", kReportMethod},
    {"CorpEventType", kCorpEventType},
    {"TransType", kTransType},
    {"TransAction", kTransAction},
    {"TransPos", kTransPos},
    {"SecurityTypeGroup", kSecurityTypeGroup},
    {"SecurityType", kSecurityType},
    {"ReconStatus", kReconStatus},
    {"TransActionRecon1099", kTransActionRecon1099},
    {"SyncMethod", kSyncMethod},
    {"ModeType", kModeType},
    {"RangeType", kRangeType},
    {"RangeTypeChart", kRangeTypeChart},
    {"PeriodValue", kPeriodValue},
    {"Year", kYear},
    {"TransViewType", kTransViewType},
    {"GroupsViewType", kGroupsViewType},
    {"PerfViewType", kPerfViewType},
    {"ReportsViewType", kReportsViewType},
    {"DivPayType", kDivPayType},
    {"EventType", kEventType},
    {"UngroupedView", kUngroupedView},
    {"GroupedView", kGroupedView},
    {"OfxVersion", kOfxVersion},
    {"ClientPref", kClientPref},
    {"GroupType", kGroupType},
    {"UserType", kUserType},
    {"GroupLockStatus", kGroupLockStatus},
    {"SortType", kSortType},
    {"TransListCol", kTransListCol},
    {"PerfListCol", kPerfListCol},
    {"GroupListCol", kGroupListCol},
    {"FieldSeparator", kFieldSeparator},
    {"InvestorTypes", kInvestorTypes},
    {"PosState", kPosState},
    {"DialogType", kDialogType},
    {"DateAcquiredPref", kDateAcquiredPref},
    {"TransSearchFields", kTransSearchFields},
    {"DFProviderTypes", kDFProviderTypes},
    {"VO_FILE_EXT", kVoFileExt},
    {"FractMgmtType", kFractMgmtType},
    {"GroupMethod", kGroupMethod},
    {"TransLockStatus", kTransLockStatus},
    {"SymExpCol", kSymExpCol},
};

constexpr bool MembersAscending() {
  for (const EnumTable& table : kEnumerations) {
    for (std::size_t i = 1; i < table.members.size(); ++i) {
      if (table.members[i - 1].value >= table.members[i].value) return false;
    }
  }
  return true;
}
static_assert(MembersAscending(), "members are added in ascending value order");

// Builds each enumeration and hands it to the registry, which owns it from
// then on. The one object of this file that the library's load constructs.
class Registration {
 public:
  Registration() {
    for (const EnumTable& table : kEnumerations) {
      auto enumeration = std::make_unique<HEnum>();
      for (const EnumMember& member : table.members) {
        enumeration->Add(member.name, member.value, member.friendly);
      }
      HEnum::AddEnum(table.registryName, enumeration.release());
    }
  }
};

const Registration kRegistration;

}  // namespace

}  // namespace vo
