#include "db/FieldList.h"
#include "db/NameCounts.h"
#include "db/PackedRecordTable.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
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

// A table of packed records against a std::map doing the same: first record
// kept by Add, replaced by Put, listed in name order with its place (names
// alike in their first bytes too), across many blocks, growths of the slot
// table, and a record larger than a block.
TEST(PackedRecordTableTest, KeepsWhatAMapOfNameToFieldsKeeps) {
  PackedRecordTable table;
  std::map<std::string, std::string> expected;
  auto fieldsOf = [](int n, size_t size) {
    FieldList fields;
    fields[0] = "name" + std::to_string(n);
    fields[26] = std::string(size, static_cast<char>('a' + n % 26));
    return fields;
  };
  for (int n = 0; n < 30000; ++n) {
    std::string name = "S" + std::to_string(n * 7919 % 20011);  // some names come twice
    // Names that tie on their first eight bytes, end in a zero byte, or hold a byte past 127.
    if (n % 4 == 1) name = "SAMEPREF" + name;
    if (n % 4 == 2) name += n % 8 == 2 ? std::string(1, '\0') : std::string("\xE9");
    const size_t size = n == 12345 ? (size_t{3} << 20) : static_cast<size_t>(n % 90);
    const FieldList fields = fieldsOf(n, size);
    if (n % 3 == 0) {
      table.Put(name, fields);
      expected[name] = Render(fields);
    } else {
      EXPECT_EQ(table.Add(name, fields), expected.emplace(name, Render(fields)).second) << name;
    }
  }
  ASSERT_EQ(table.size(), expected.size());
  std::set<size_t> keys;
  auto it = expected.begin();
  for (const auto& [name, fields] : table) {
    ASSERT_EQ(name, it->first);
    EXPECT_EQ(Render(fields.Unpack()), it->second) << name;
    const size_t key = table.KeyOf(name);
    ASSERT_LT(key, table.KeyLimit());
    EXPECT_TRUE(keys.insert(key).second) << name;
    EXPECT_EQ(Render(table.FieldsOfKey(key).Unpack()), it->second) << name;
    ++it;
  }
  EXPECT_EQ(table.KeyOf("S20011"), PackedRecordTable::npos);
  EXPECT_FALSE(table.Find("S-1").has_value());
  // A record added after the names were listed comes in its place.
  ASSERT_TRUE(table.Add("A", fieldsOf(1, 1)));
  EXPECT_EQ((*table.begin()).name, "A");
}

// Counts kept as a map would keep them, through the table's growth, for names
// held in their slot (up to 15 bytes), longer ones kept aside, an empty one,
// and names that differ only past their first bytes or by a zero byte.
TEST(NameCountsTest, CountsWhatAMapCounts) {
  vo::NameCounts counts;
  std::map<std::string, int64_t> expected;
  std::vector<std::string> names = {"", std::string("A\0B", 3), "A", "123456789012345", "1234567890123456",
                                    "1234567890123457"};
  for (int i = 0; i < 3000; ++i) names.push_back("SYM" + std::to_string(i) + (i % 3 == 0 ? " LONGER THAN A SLOT" : ""));
  for (size_t i = 0; i < names.size(); ++i) {
    for (size_t time = 0; time <= i % 4; ++time) {
      counts.Add(names[i]);
      ++expected[names[i]];
    }
  }
  EXPECT_EQ(counts.size(), expected.size());
  for (const auto& [name, count] : expected) EXPECT_EQ(counts.CountOf(name), count) << name;
  EXPECT_EQ(counts.CountOf("SYM0"), 0);
  EXPECT_EQ(counts.CountOf("12345678901234567"), 0);
  EXPECT_EQ(vo::NameCounts().CountOf(""), 0);
}
