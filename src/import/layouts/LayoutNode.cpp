#include "import/layouts/LayoutNode.h"

#include <json/json.h>

#include <algorithm>
#include <toml++/toml.h>

namespace vo {

namespace {

LayoutNode FromToml(const toml::node& node) {
  LayoutNode out;
  out.line = static_cast<unsigned>(node.source().begin.line);
  if (const toml::table* table = node.as_table()) {
    out.kind = LayoutNode::Kind::kTable;
    for (const auto& [key, value] : *table) {
      out.keys.emplace_back(key.str());
      out.items.push_back(FromToml(value));
      // A table header ("[columns]") stands where its key does.
      if (out.items.back().line == 0) out.items.back().line = static_cast<unsigned>(key.source().begin.line);
    }
  } else if (const toml::array* array = node.as_array()) {
    out.kind = LayoutNode::Kind::kArray;
    for (const toml::node& item : *array) out.items.push_back(FromToml(item));
  } else if (const auto* text = node.as_string()) {
    out.kind = LayoutNode::Kind::kText;
    out.text = text->get();
  } else if (const auto* integer = node.as_integer()) {
    out.kind = LayoutNode::Kind::kNumber;
    out.number = static_cast<double>(integer->get());
  } else if (const auto* floating = node.as_floating_point()) {
    out.kind = LayoutNode::Kind::kNumber;
    out.number = floating->get();
  } else if (const auto* boolean = node.as_boolean()) {
    out.kind = LayoutNode::Kind::kBool;
    out.flag = boolean->get();
  }
  return out;
}

// Line numbers of byte offsets into one text.
class LineIndex {
 public:
  explicit LineIndex(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n') breaks_.push_back(i);
    }
  }
  unsigned LineOf(size_t offset) const {
    return static_cast<unsigned>(std::lower_bound(breaks_.begin(), breaks_.end(), offset) -
                                 breaks_.begin()) + 1;
  }

 private:
  std::vector<size_t> breaks_;
};

LayoutNode FromJson(const Json::Value& value, const LineIndex& lines) {
  LayoutNode out;
  out.line = lines.LineOf(static_cast<size_t>(value.getOffsetStart()));
  switch (value.type()) {
    case Json::objectValue:
      out.kind = LayoutNode::Kind::kTable;
      for (const std::string& key : value.getMemberNames()) {
        out.keys.push_back(key);
        out.items.push_back(FromJson(value[key], lines));
      }
      break;
    case Json::arrayValue:
      out.kind = LayoutNode::Kind::kArray;
      for (const Json::Value& item : value) out.items.push_back(FromJson(item, lines));
      break;
    case Json::stringValue:
      out.kind = LayoutNode::Kind::kText;
      out.text = value.asString();
      break;
    case Json::intValue:
    case Json::uintValue:
    case Json::realValue:
      out.kind = LayoutNode::Kind::kNumber;
      out.number = value.asDouble();
      break;
    case Json::booleanValue:
      out.kind = LayoutNode::Kind::kBool;
      out.flag = value.asBool();
      break;
    default:
      break;
  }
  return out;
}

}  // namespace

const LayoutNode* LayoutNode::Find(std::string_view key) const {
  if (kind != Kind::kTable) return nullptr;
  for (size_t i = 0; i < keys.size(); ++i) {
    if (keys[i] == key) return &items[i];
  }
  return nullptr;
}

bool ReadTomlText(const std::string& text, LayoutNode& root, LayoutProblem& problem) {
  try {
    toml::table table = toml::parse(text);
    root = FromToml(table);
    root.line = 0;
    return true;
  } catch (const toml::parse_error& error) {
    problem = {static_cast<unsigned>(error.source().begin.line), std::string(error.description())};
    return false;
  }
}

bool ReadJsonText(const std::string& text, LayoutNode& root, LayoutProblem& problem) {
  Json::Reader reader;
  Json::Value value;
  const LineIndex lines(text);
  if (!reader.parse(text, value, false)) {
    std::vector<Json::Reader::StructuredError> errors = reader.getStructuredErrors();
    problem = errors.empty()
                  ? LayoutProblem{0, "not a JSON document"}
                  : LayoutProblem{lines.LineOf(static_cast<size_t>(errors.front().offset_start)),
                                  errors.front().message};
    return false;
  }
  if (!value.isObject()) {
    problem = {1, "a layout is a JSON object"};
    return false;
  }
  root = FromJson(value, lines);
  root.line = 0;
  return true;
}

}  // namespace vo
