// A layout description as read from its text, before it is checked: tables,
// arrays and values, each with the line of the description it stands on, so
// that every problem found later can name its line. TOML and JSON texts read
// into the same tree.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vo {

// One problem of a description: its line (0 when it concerns the whole text)
// and why it cannot be used.
struct LayoutProblem {
  unsigned line = 0;
  std::string reason;
};

struct LayoutNode {
  enum class Kind { kTable, kArray, kText, kNumber, kBool, kOther };

  Kind kind = Kind::kOther;
  unsigned line = 0;
  std::string text;    // kText
  double number = 0;   // kNumber
  bool flag = false;   // kBool
  std::vector<LayoutNode> items;  // kArray: the items; kTable: the values
  std::vector<std::string> keys;  // kTable: the key of each value, in order

  // The member under the key; null when there is none or this is no table.
  const LayoutNode* Find(std::string_view key) const;
};

// The tree of a TOML or JSON text; false, with the problem, when the text is
// not well-formed.
bool ReadTomlText(const std::string& text, LayoutNode& root, LayoutProblem& problem);
bool ReadJsonText(const std::string& text, LayoutNode& root, LayoutProblem& problem);

}  // namespace vo
