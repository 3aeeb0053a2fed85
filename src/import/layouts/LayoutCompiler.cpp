// A description is read in three passes over its tree: the file-wide keys
// (name, how far the header may stand, title and footer), then each table
// (the whole file's, or one per section), then within a table its columns,
// action rules and extractions. Every pass checks the keys it knows and
// reports the rest, so that a misspelt key is a problem, not a silent default.
#include "import/layouts/LayoutCompiler.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>

#include "import/TradeSides.h"
#include "import/layouts/LayoutValues.h"
#include "ledgerdb/HEnum.h"

namespace vo {

namespace {

using Kind = LayoutNode::Kind;

constexpr unsigned kMostSearchLines = 10000;
constexpr uintmax_t kMostDescriptionBytes = 1 << 20;

const char* const kDefaultDateForms[] = {"%m/%d/%Y", "%m/%d/%y", "%Y-%m-%d"};

struct SideName {
  std::string_view name;
  unsigned side;
  bool plain = false;  // says nothing of opening or closing an option
};
constexpr SideName kSides[] = {
    {"buy", kSideBuy, true},
    {"buy_to_open", kSideBuy},
    {"sell", kSideSell, true},
    {"sell_to_close", kSideSell},
    {"sell_short", kSideSellShort},
    {"sell_to_open", kSideSellShort},
    {"buy_to_cover", kSideBuyToCover},
    {"buy_to_close", kSideBuyToCover},
};

struct EventName {
  std::string_view name;
  ActionRule::Result result;
};
constexpr EventName kEvents[] = {
    {"expire", ActionRule::Result::kExpire},
    {"assign", ActionRule::Result::kAssign},
    {"exercise", ActionRule::Result::kExercise},
};

// Groups an extraction may name besides the fields: the parts of an expiry.
constexpr std::string_view kExpiryParts[] = {"expiry_year", "expiry_month", "expiry_day"};

// The fields a table of each kind must have columns for.
constexpr Field kTradeFields[] = {Field::kDate, Field::kAction};
constexpr Field kLotFields[] = {Field::kSymbol,       Field::kQuantity, Field::kDateAcquired,
                                Field::kDateSold,     Field::kProceeds, Field::kCostBasis};

const char* KindName(Kind kind) {
  switch (kind) {
    case Kind::kTable: return "a table";
    case Kind::kArray: return "a list";
    case Kind::kText: return "a text";
    case Kind::kNumber: return "a number";
    case Kind::kBool: return "true or false";
    default: return "a value of another type";
  }
}

// The value of a TransAction member name, from the registry the library fills when it loads.
std::optional<int32_t> ActionNamed(const std::string& name) {
  const HEnum* actions = HEnum::GetEnum("TransAction");
  if (!actions) return std::nullopt;
  auto found = actions->GetValues().find(name);
  if (found == actions->GetValues().end()) return std::nullopt;
  return found->second;
}

std::string Quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

std::string FieldList() {
  std::string list;
  for (size_t i = 0; i < kFieldCount; ++i) {
    list += (i ? ", " : "") + std::string(InfoOf(static_cast<Field>(i)).name);
  }
  return list;
}

class Compiler {
 public:
  explicit Compiler(std::vector<LayoutProblem>& problems) : problems_(problems) {}

  void Compile(const LayoutNode& root, Layout& layout) {
    CheckKeys(root, {"name", "search_lines", "delimiter", "title", "footer", "sections", "kind",
                     "columns", "optional_columns", "dates", "decimal", "actions", "occ_symbols",
                     "extract", "fill_down", "skip_lines", "positions_from_file"},
              "a layout");
    if (const LayoutNode* name = Member(root, "name", Kind::kText)) {
      layout.name = name->text;
      if (layout.name.empty()) Problem(*name, "the name is empty");
    } else if (!root.Find("name")) {
      Problem(root, "the layout has no name");
    }
    if (const LayoutNode* lines = Member(root, "search_lines", Kind::kNumber)) {
      if (lines->number < 1 || lines->number > kMostSearchLines || lines->number != static_cast<unsigned>(lines->number)) {
        Problem(*lines, "search_lines is a whole number from 1 to " + std::to_string(kMostSearchLines));
      } else {
        layout.searchLines = static_cast<unsigned>(lines->number);
      }
    }
    if (const LayoutNode* delimiter = Member(root, "delimiter", Kind::kText)) {
      if (delimiter->text.size() != 1 || delimiter->text == "\"") {
        Problem(*delimiter, "the delimiter is one character other than '\"'");
      } else {
        layout.delimiter = delimiter->text[0];
      }
    }
    if (const LayoutNode* footer = Member(root, "footer", Kind::kArray)) {
      for (const LayoutNode& item : footer->items) {
        if (auto pattern = PatternOf(item)) layout.footer.push_back(std::move(pattern));
      }
    }

    defaults_.dateForms.assign(std::begin(kDefaultDateForms), std::end(kDefaultDateForms));
    const LayoutNode* title = root.Find("title");
    const LayoutNode* sections = root.Find("sections");
    if (title || sections) {
      if (!title) Problem(*sections, "a layout of sections needs the title that names its files");
      if (!sections) Problem(*title, "a layout with a title reads sections: it needs [[sections]]");
      if (title) layout.title = PatternOf(*title);
      ReadDefaults(root);
      for (const char* key : {"kind", "columns", "optional_columns", "actions", "occ_symbols",
                              "extract", "fill_down", "skip_lines", "positions_from_file"}) {
        if (const LayoutNode* misplaced = root.Find(key)) {
          Problem(*misplaced, Quoted(key) + " belongs in a section of a layout of sections");
        }
      }
      if (sections && Is(*sections, Kind::kArray, "sections")) {
        if (sections->items.empty()) Problem(*sections, "sections is empty");
        for (const LayoutNode& section : sections->items) {
          if (!Is(section, Kind::kTable, "each of sections")) continue;
          CheckKeys(section, {"title", "kind", "columns", "optional_columns", "dates", "decimal",
                              "actions", "occ_symbols", "extract", "fill_down", "skip_lines",
                              "positions_from_file"},
                    "a section");
          LayoutTable& table = layout.tables.emplace_back();
          table.line = section.line;
          if (const LayoutNode* name = Member(section, "title", Kind::kText)) {
            table.title = NameKey(name->text);
            if (table.title.empty()) Problem(*name, "the section's title is empty");
          } else if (!section.Find("title")) {
            Problem(section, "the section has no title");
          }
          ReadTable(section, table, true);
        }
      }
    } else {
      ReadDefaults(root);
      ReadTable(root, layout.tables.emplace_back(), false);
    }
  }

 private:
  void Problem(const LayoutNode& node, std::string reason) {
    problems_.push_back({node.line, std::move(reason)});
  }

  bool Is(const LayoutNode& node, Kind kind, std::string_view what) {
    if (node.kind == kind) return true;
    Problem(node, std::string(what) + " is " + KindName(kind) + ", not " + KindName(node.kind));
    return false;
  }

  // The member of that kind; null (with a problem when present but of
  // another kind) otherwise.
  const LayoutNode* Member(const LayoutNode& table, std::string_view key, Kind kind) {
    const LayoutNode* node = table.Find(key);
    return node && Is(*node, kind, key) ? node : nullptr;
  }

  void CheckKeys(const LayoutNode& table, std::initializer_list<std::string_view> known,
                 std::string_view where) {
    for (size_t i = 0; i < table.keys.size(); ++i) {
      if (std::find(known.begin(), known.end(), table.keys[i]) == known.end()) {
        Problem(table.items[i], "unknown key " + Quoted(table.keys[i]) + " in " + std::string(where));
      }
    }
  }

  std::unique_ptr<const RE2> PatternOf(const LayoutNode& node) {
    if (!Is(node, Kind::kText, "a pattern")) return nullptr;
    RE2::Options options(RE2::Quiet);
    auto pattern = std::make_unique<const RE2>(node.text, options);
    if (!pattern->ok()) {
      Problem(node, "bad pattern " + Quoted(node.text) + ": " + pattern->error());
      return nullptr;
    }
    return pattern;
  }

  std::vector<std::string> DateForms(const LayoutNode& node) {
    std::vector<std::string> forms;
    if (!Is(node, Kind::kArray, "dates")) return forms;
    for (const LayoutNode& item : node.items) {
      std::string problem;
      if (!Is(item, Kind::kText, "a date form")) continue;
      if (IsDateForm(item.text, problem)) {
        forms.push_back(item.text);
      } else {
        Problem(item, problem + " in " + Quoted(item.text));
      }
    }
    if (forms.empty() && node.items.empty()) Problem(node, "dates is empty");
    return forms;
  }

  std::optional<Field> FieldOf(const LayoutNode& node) {
    if (!Is(node, Kind::kText, "a field")) return std::nullopt;
    std::optional<Field> field = FieldNamed(node.text);
    if (!field) Problem(node, "unknown field " + Quoted(node.text) + "; the fields are: " + FieldList());
    return field;
  }

  // The dates and decimal point a table starts with: the file-wide ones.
  void ReadDefaults(const LayoutNode& root) {
    if (const LayoutNode* dates = root.Find("dates")) defaults_.dateForms = DateForms(*dates);
    if (const LayoutNode* decimal = Member(root, "decimal", Kind::kText)) {
      defaults_.decimal = DecimalOf(*decimal);
    }
  }

  char DecimalOf(const LayoutNode& node) {
    if (node.text == "." || node.text == ",") return node.text[0];
    Problem(node, "decimal is \".\" or \",\"");
    return '.';
  }

  // A section's own dates and decimal point replace the file-wide ones.
  void ReadTable(const LayoutNode& node, LayoutTable& table, bool section) {
    table.line = node.line;
    table.dateForms = defaults_.dateForms;
    table.decimal = defaults_.decimal;
    if (const LayoutNode* dates = node.Find("dates"); dates && section) table.dateForms = DateForms(*dates);
    if (const LayoutNode* decimal = Member(node, "decimal", Kind::kText); decimal && section) {
      table.decimal = DecimalOf(*decimal);
    }
    if (const LayoutNode* kind = Member(node, "kind", Kind::kText)) {
      if (kind->text == "lots") {
        table.kind = RowKind::kLots;
      } else if (kind->text != "trades") {
        Problem(*kind, "kind is \"trades\" or \"lots\"");
      }
    }
    if (const LayoutNode* columns = Member(node, "columns", Kind::kTable)) {
      ReadColumns(*columns, table, true);
    } else if (!node.Find("columns")) {
      Problem(node, "no [columns]: which column holds each field");
    }
    if (const LayoutNode* columns = Member(node, "optional_columns", Kind::kTable)) {
      ReadColumns(*columns, table, false);
    }
    CheckFieldsPresent(node, table);

    if (const LayoutNode* actions = Member(node, "actions", Kind::kArray)) {
      if (table.kind == RowKind::kLots) Problem(*actions, "a table of lots has no actions");
      for (const LayoutNode& rule : actions->items) ReadAction(rule, table);
      CheckShadowedActions(table);
    } else if (table.kind == RowKind::kTrades && !node.Find("actions")) {
      Problem(node, "no [[actions]]: what each action text means");
    }
    if (const LayoutNode* occ = Member(node, "occ_symbols", Kind::kBool)) table.occSymbols = occ->flag;
    if (const LayoutNode* positions = Member(node, "positions_from_file", Kind::kBool)) {
      table.positionsFromFile = positions->flag;
    }
    if (const LayoutNode* extract = Member(node, "extract", Kind::kArray)) {
      for (const LayoutNode& item : extract->items) ReadExtraction(item, table);
    }
    if (const LayoutNode* fill = Member(node, "fill_down", Kind::kArray)) {
      for (const LayoutNode& item : fill->items) {
        if (std::optional<Field> field = FieldOf(item)) table.fillDown.push_back(*field);
      }
    }
    if (const LayoutNode* skip = Member(node, "skip_lines", Kind::kArray)) {
      for (const LayoutNode& item : skip->items) {
        if (auto pattern = PatternOf(item)) table.skipLines.push_back(std::move(pattern));
      }
    }
  }

  void ReadColumns(const LayoutNode& columns, LayoutTable& table, bool required) {
    for (size_t i = 0; i < columns.keys.size(); ++i) {
      const std::string& key = columns.keys[i];
      const LayoutNode& node = columns.items[i];
      std::optional<Field> field = FieldNamed(key);
      if (!field) {
        Problem(node, "unknown field " + Quoted(key) + "; the fields are: " + FieldList());
        continue;
      }
      std::optional<FieldSource>& source = table.fields[static_cast<size_t>(*field)];
      if (source) {
        Problem(node, "the field " + Quoted(key) + " is given twice");
        continue;
      }
      source = ReadSource(node, *field, key);
      if (source) source->required = required;
    }
  }

  std::optional<FieldSource> ReadSource(const LayoutNode& node, Field field, std::string_view key) {
    FieldSource source;
    source.line = node.line;
    const LayoutNode* names = &node;
    if (node.kind == Kind::kTable) {
      CheckKeys(node, {"names", "template", "pattern", "dates"}, "the column of " + Quoted(key));
      names = node.Find("names");
      const LayoutNode* templ = Member(node, "template", Kind::kText);
      if (names && templ) Problem(node, "a column has names or a template, not both");
      if (!names && !templ) {
        Problem(node, "the column of " + Quoted(key) + " needs names or a template");
        return std::nullopt;
      }
      if (templ && !ReadTemplate(*templ, source)) return std::nullopt;
      if (const LayoutNode* pattern = node.Find("pattern")) source.pattern = PatternOf(*pattern);
      if (const LayoutNode* dates = node.Find("dates")) {
        if (InfoOf(field).kind != FieldKind::kDate) Problem(*dates, Quoted(key) + " is no date");
        source.dateForms = DateForms(*dates);
      }
      if (!names) return source;
    }
    if (names->kind == Kind::kText) {
      source.columns.push_back(names->text);
    } else if (names->kind == Kind::kArray) {
      for (const LayoutNode& item : names->items) {
        if (Is(item, Kind::kText, "a column name")) source.columns.push_back(item.text);
      }
    } else {
      Problem(*names, "a column is a name, a list of names or a table, not " +
                          std::string(KindName(names->kind)));
      return std::nullopt;
    }
    for (const std::string& column : source.columns) {
      if (NameKey(column).empty()) Problem(*names, "a column name is empty");
    }
    if (source.columns.empty()) Problem(*names, "no column name for " + Quoted(key));
    return source;
  }

  // "{Side} {Pos Effect}": columns in braces, the rest literal.
  bool ReadTemplate(const LayoutNode& node, FieldSource& source) {
    const std::string& text = node.text;
    size_t at = 0;
    while (at < text.size()) {
      size_t open = text.find('{', at);
      if (open != at) {
        std::string literal = text.substr(at, open == std::string::npos ? std::string::npos : open - at);
        if (literal.find('}') != std::string::npos) break;
        source.parts.push_back({literal, ""});
        if (open == std::string::npos) return true;
      }
      size_t close = text.find('}', open);
      if (close == std::string::npos || NameKey(text.substr(open + 1, close - open - 1)).empty()) break;
      source.parts.push_back({"", text.substr(open + 1, close - open - 1)});
      at = close + 1;
    }
    if (at == text.size() && !source.parts.empty()) return true;
    Problem(node, "bad template " + Quoted(text) + ": columns stand in braces, as in \"{Side} {Type}\"");
    return false;
  }

  void CheckFieldsPresent(const LayoutNode& node, const LayoutTable& table) {
    auto check = [&](Field field) {
      const std::optional<FieldSource>& source = table.fields[static_cast<size_t>(field)];
      if (!source || !source->required) {
        Problem(node, std::string(table.kind == RowKind::kLots ? "a table of lots" : "a table of trades") +
                          " needs the column " + Quoted(InfoOf(field).name) + " in [columns]");
      }
    };
    if (table.kind == RowKind::kLots) {
      for (Field field : kLotFields) check(field);
    } else {
      for (Field field : kTradeFields) check(field);
    }
  }

  ActionRule::Sign SignOf(const LayoutNode& node) {
    if (node.text == "negative") return ActionRule::Sign::kNegative;
    if (node.text == "positive") return ActionRule::Sign::kPositive;
    Problem(node, Quoted(node.text) + ": a sign condition is \"negative\" or \"positive\"");
    return ActionRule::Sign::kAny;
  }

  void ReadAction(const LayoutNode& node, LayoutTable& table) {
    if (!Is(node, Kind::kTable, "each of actions")) return;
    CheckKeys(node, {"text", "pattern", "action", "side", "event", "skip", "cash", "if_quantity",
                     "if_amount"},
              "an action");
    ActionRule rule;
    rule.line = node.line;
    const LayoutNode* text = Member(node, "text", Kind::kText);
    const LayoutNode* pattern = node.Find("pattern");
    if ((text != nullptr) == (pattern != nullptr)) {
      Problem(node, "an action has either a text or a pattern");
      return;
    }
    if (text) {
      rule.text = NameKey(text->text);
      if (rule.text.empty()) Problem(*text, "the text is empty");
    } else {
      rule.pattern = PatternOf(*pattern);
    }
    if (const LayoutNode* sign = Member(node, "if_quantity", Kind::kText)) rule.quantitySign = SignOf(*sign);
    if (const LayoutNode* sign = Member(node, "if_amount", Kind::kText)) rule.amountSign = SignOf(*sign);
    if (const LayoutNode* cash = Member(node, "cash", Kind::kBool)) rule.cash = cash->flag;

    int results = 0;
    if (const LayoutNode* action = Member(node, "action", Kind::kText)) {
      ++results;
      if (std::optional<int32_t> value = ActionNamed(action->text)) {
        rule.result = ActionRule::Result::kAction;
        rule.action = *value;
      } else {
        Problem(*action, Quoted(action->text) + " is no TransAction member (such as TransActionIncomeDiv)");
      }
    }
    if (const LayoutNode* side = Member(node, "side", Kind::kText)) {
      ++results;
      auto found = std::find_if(std::begin(kSides), std::end(kSides),
                                [&](const SideName& s) { return s.name == side->text; });
      if (found == std::end(kSides)) {
        Problem(*side, Quoted(side->text) + " is no side; the sides are buy, sell, sell_short, "
                       "buy_to_cover, buy_to_open, sell_to_close, sell_to_open, buy_to_close");
      } else {
        rule.result = ActionRule::Result::kSide;
        rule.side = found->side;
        rule.plainSide = found->plain;
      }
    }
    if (const LayoutNode* event = Member(node, "event", Kind::kText)) {
      ++results;
      auto found = std::find_if(std::begin(kEvents), std::end(kEvents),
                                [&](const EventName& e) { return e.name == event->text; });
      if (found == std::end(kEvents)) {
        Problem(*event, Quoted(event->text) + " is no event; the events are expire, assign, exercise");
      } else {
        rule.result = found->result;
      }
    }
    if (const LayoutNode* skip = Member(node, "skip", Kind::kBool)) {
      ++results;
      if (!skip->flag) Problem(*skip, "skip is only ever true");
      rule.result = ActionRule::Result::kSkip;
    }
    if (results != 1) {
      Problem(node, "an action gives one of action, side, event or skip");
      return;
    }
    table.actions.push_back(std::move(rule));
  }

  // A text rule without conditions takes every action text that contains its
  // text: a later text rule that contains it is never reached.
  void CheckShadowedActions(const LayoutTable& table) {
    for (size_t later = 0; later < table.actions.size(); ++later) {
      const ActionRule& rule = table.actions[later];
      if (rule.text.empty()) continue;
      for (size_t earlier = 0; earlier < later; ++earlier) {
        const ActionRule& first = table.actions[earlier];
        bool unconditional = first.quantitySign == ActionRule::Sign::kAny &&
                             first.amountSign == ActionRule::Sign::kAny;
        if (first.text.empty() || !unconditional || rule.text.find(first.text) == std::string::npos) continue;
        problems_.push_back({rule.line, "this action is never used: the action on line " +
                                            std::to_string(first.line) +
                                            " takes every text it takes (put the longer text first)"});
        break;
      }
    }
  }

  void ReadExtraction(const LayoutNode& node, LayoutTable& table) {
    if (!Is(node, Kind::kTable, "each of extract")) return;
    CheckKeys(node, {"from", "pattern"}, "an extraction");
    const LayoutNode* from = node.Find("from");
    const LayoutNode* pattern = node.Find("pattern");
    if (!from || !pattern) {
      Problem(node, "an extraction has a field to read (from) and a pattern");
      return;
    }
    Extraction extraction;
    extraction.line = node.line;
    std::optional<Field> field = FieldOf(*from);
    extraction.pattern = PatternOf(*pattern);
    if (!field || !extraction.pattern) return;
    extraction.from = *field;
    const std::map<std::string, int>& groups = extraction.pattern->NamedCapturingGroups();
    if (groups.empty()) Problem(*pattern, "the pattern names no group: name each group after the field it fills, as (?P<strike>...)");
    for (const auto& [group, index] : groups) {
      bool part = std::find(std::begin(kExpiryParts), std::end(kExpiryParts), group) != std::end(kExpiryParts);
      if (!part && !FieldNamed(group)) {
        Problem(*pattern, "the group " + Quoted(group) + " is no field (nor expiry_year, expiry_month, expiry_day)");
      }
    }
    table.extractions.push_back(std::move(extraction));
  }

  struct Defaults {
    std::vector<std::string> dateForms;
    char decimal = '.';
  } defaults_;
  std::vector<LayoutProblem>& problems_;
};

}  // namespace

std::shared_ptr<const Layout> CompileLayout(const std::string& text, LayoutSyntax syntax,
                                            const std::string& id, const std::string& source,
                                            std::vector<LayoutProblem>& problems) {
  problems.clear();
  LayoutNode root;
  LayoutProblem problem;
  bool read = syntax == LayoutSyntax::kJson ? ReadJsonText(text, root, problem)
                                            : ReadTomlText(text, root, problem);
  if (!read) {
    problems.push_back(problem);
    return nullptr;
  }
  auto layout = std::make_shared<Layout>();
  layout->id = id;
  layout->source = source;
  Compiler compiler(problems);
  compiler.Compile(root, *layout);
  if (!problems.empty()) {
    std::stable_sort(problems.begin(), problems.end(),
                     [](const LayoutProblem& a, const LayoutProblem& b) {
                       // Problems of the whole description (line 0) after those of a line.
                       return (a.line == 0 ? UINT_MAX : a.line) < (b.line == 0 ? UINT_MAX : b.line);
                     });
    return nullptr;
  }
  return layout;
}

std::shared_ptr<const Layout> CompileLayoutFile(const std::string& path,
                                                std::vector<LayoutProblem>& problems) {
  problems.clear();
  std::error_code error;
  const std::filesystem::path file(path);
  uintmax_t size = std::filesystem::file_size(file, error);
  if (error || std::filesystem::is_directory(file, error)) {
    problems.push_back({0, "cannot read " + path});
    return nullptr;
  }
  if (size > kMostDescriptionBytes) {
    problems.push_back({0, "a layout description is at most 1 MB"});
    return nullptr;
  }
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in) {
    problems.push_back({0, "cannot read " + path});
    return nullptr;
  }
  std::string extension = file.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  LayoutSyntax syntax = extension == ".json" ? LayoutSyntax::kJson : LayoutSyntax::kToml;
  return CompileLayout(text.str(), syntax, file.stem().string(), path, problems);
}

}  // namespace vo
