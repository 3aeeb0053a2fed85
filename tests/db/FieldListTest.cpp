#include "db/FieldList.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace vo;

namespace {

using Reference = std::map<int, std::string>;

// Either kind of field list, entry by entry, then its size.
template <class Fields>
std::string Render(const Fields& fields) {
  std::string text;
  for (const auto& [index, value] : fields) text += std::to_string(index) + "=" + value + ";";
  return text + " size " + std::to_string(fields.size());
}

// The same steps on a FieldList and on a std::map give the same contents,
// lookups included, whatever the indexes (in the slots or outside them).
TEST(FieldListTest, BehavesLikeAMapOfIndexToText) {
  FieldList fields;
  Reference expected;
  const int kIndexes[] = {7, 29, -3, 0, 30, 12, 45, -1, 7, 29, 0, 1000, 13};
  int step = 0;
  for (int index : kIndexes) {
    std::string text = "v" + std::to_string(step++);
    if (step % 4 == 0) {
      EXPECT_EQ(fields.emplace(index, text).second, expected.emplace(index, text).second);
    } else {
      fields[index] += text;
      expected[index] += text;
    }
    ASSERT_EQ(Render(fields), Render(expected)) << "after setting " << index;
  }
  for (int index : {29, -3, 45, 5, 0}) {
    EXPECT_EQ(fields.erase(index), expected.erase(index)) << index;
    ASSERT_EQ(Render(fields), Render(expected)) << "after erasing " << index;
  }
  for (int index : {-3, -1, 0, 7, 12, 29, 30, 31, 1000}) {
    const FieldList& constFields = fields;
    auto found = constFields.find(index);
    EXPECT_EQ(found == constFields.end(), !expected.contains(index)) << index;
    if (found != constFields.end()) {
      EXPECT_EQ(found->second, expected[index]) << index;
    }
    EXPECT_EQ(fields.count(index), expected.count(index)) << index;
  }
  EXPECT_EQ(FieldList({{3, "a"}, {3, "b"}, {40, "c"}}), FieldList({{40, "c"}, {3, "a"}}));
  EXPECT_FALSE(FieldList({{3, "a"}}) == FieldList({{3, "b"}}));
}

// Code that holds one field while it adds others relies on this, as it may with a map.
TEST(FieldListTest, ReferencesSurviveAddingAndErasingOtherFields) {
  FieldList fields;
  std::string& held = fields[5];
  held = "kept";
  for (int index = 0; index < 40; ++index) {
    if (index != 5) fields[index] = "x";
  }
  fields.erase(4);
  fields.erase(35);
  EXPECT_EQ(held, "kept");
  auto it = fields.find(5);
  it->second += "!";
  EXPECT_EQ(fields[5], "kept!");
}

}  // namespace
