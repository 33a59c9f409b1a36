// A seeded run of appends, key-changing rewrites and key deletions over three orders (C keys
// of 100 bytes, four to a node, with the node cache; N keys; a UNIQUE C order), checked after
// every step against a model of what each order must hold and against the rules of NdxTree.h.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "tests/xbase/index/IndexTest.h"

namespace xbase {
namespace {

using ModelTest = IndexTest;

struct Row {
  std::string name, age, city;
  bool live = true;
};

class Model {
 public:
  std::vector<Row> rows;  // record n at n - 1
  std::map<std::string, std::uint32_t> cities;  // the UNIQUE order: a key's one record

  // Every (key, record) a non-unique order must hold, by the key a row gives.
  template <typename KeyOf>
  std::multiset<std::pair<std::string, std::uint32_t>> Entries(KeyOf keyOf) const {
    std::multiset<std::pair<std::string, std::uint32_t>> entries;
    for (std::uint32_t r = 1; r <= rows.size(); ++r)
      if (rows[r - 1].live) entries.insert({keyOf(rows[r - 1]), r});
    return entries;
  }

  void Added(std::uint32_t record) {
    cities.emplace(rows[record - 1].city, record);  // only when the key is new
  }
  void Removed(std::uint32_t record) {
    const auto held = cities.find(rows[record - 1].city);
    if (held != cities.end() && held->second == record) cities.erase(held);
  }
};

std::string Padded(std::string text, std::size_t length) {
  text.resize(length, ' ');
  return text;
}

std::string NumberKey(const std::string& text) {
  double value = std::stod(text);
  return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}

template <typename KeyOf>
void ExpectOrderHolds(const std::string& path, const std::multiset<std::pair<std::string, std::uint32_t>>& expected,
                      KeyOf, const std::string& when) {
  const testing::NdxTree tree = testing::ReadNdxTree(path);
  ASSERT_EQ(tree.fault, "") << path << " " << when;
  std::multiset<std::pair<std::string, std::uint32_t>> held;
  for (const auto& entry : tree.entries) held.insert({entry.key, entry.record});
  ASSERT_EQ(held, expected) << path << " " << when;
}

TEST_F(ModelTest, ThreeOrdersStayInStepThroughASeededRun) {
  CreateTable("t.dbf", {{"NAME", 'C', 100}, {"AGE", 'N', 4}, {"CITY", 'C', 12}});
  const std::string names = CreateIndex("name.ndx", 'C', 100, "NAME");
  ASSERT_NE(OpenOrder(names, 1, false), nullptr);
  EXPECT_EQ(NodeCacheSize(), 4096u);
  ASSERT_NE(IndexOn("age.ndx", "AGE", 'N', 8, 2), nullptr);
  ASSERT_NE(IndexOn("city.ndx", "CITY", 'C', 12, 3, true), nullptr);

  std::mt19937 random(20240315);
  const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  const auto someName = [&] { return std::string(1, char('A' + pick(6))) + std::to_string(pick(40)); };
  const auto someAge = [&] { return std::to_string(pick(60) - 10); };
  const auto someCity = [&] { return "C" + std::to_string(pick(25)); };
  const auto nameKey = [](const Row& row) { return Padded(row.name, 100); };
  const auto ageKey = [](const Row& row) { return NumberKey(row.age); };
  Model model;
  const auto live = [&] {
    std::vector<std::uint32_t> records;
    for (std::uint32_t r = 1; r <= model.rows.size(); ++r)
      if (model.rows[r - 1].live) records.push_back(r);
    return records;
  };
  const auto check = [&](const std::string& when) {
    ExpectOrderHolds(names, model.Entries(nameKey), nameKey, when);
    ExpectOrderHolds(At("age.ndx"), model.Entries(ageKey), ageKey, when);
    std::multiset<std::pair<std::string, std::uint32_t>> cities;
    for (const auto& [city, record] : model.cities) cities.insert({Padded(city, 12), record});
    ExpectOrderHolds(At("city.ndx"), cities, nameKey, when);
  };
  // Takes a record's keys out of every order, as a record that leaves the table.
  const auto removeKeys = [&](std::uint32_t record) {
    Dbf4RawGo(record);
    for (std::uint8_t slot = 1; slot <= 3; ++slot) {
      KeyBytes key;
      MakeOrderKey(*OrderInSlot(slot), key);
      DeleteTarget = record;
      // A UNIQUE order that lost the key's first record holds the key for nobody.
      const int expected = slot == 3 && model.cities.count(model.rows[record - 1].city) == 0 ? -1 : 0;
      ASSERT_EQ(DeleteKey(key, slot), expected) << "record " << record << " order " << int(slot);
    }
    model.Removed(record);
    model.rows[record - 1].live = false;
  };

  for (int step = 0; step < 400; ++step) {
    const std::vector<std::uint32_t> records = live();
    const int choice = records.empty() ? 0 : pick(100);
    std::string what;
    if (choice < 55) {
      Row row{someName(), someAge(), someCity()};
      AppendWith({{"NAME", row.name}, {"AGE", row.age}, {"CITY", row.city}});
      model.rows.push_back(row);
      model.Added(static_cast<std::uint32_t>(model.rows.size()));
      what = "append " + row.name;
      ASSERT_EQ(Text("NAME"), row.name) << "the appended record is current";
    } else if (choice < 85) {
      const std::uint32_t record = records[pick(static_cast<int>(records.size()))];
      Go(static_cast<std::int32_t>(record));
      ASSERT_EQ(ErrorCode, 0);
      Row& row = model.rows[record - 1];
      if (pick(2) == 0) Set("NAME", row.name = someName());
      if (pick(2) == 0) Set("AGE", row.age = someAge());
      const std::string city = pick(2) == 0 ? someCity() : row.city;
      const bool newCity = city != row.city;
      if (newCity) {
        model.Removed(record);
        Set("CITY", row.city = city);
      }
      Replace();
      if (newCity) model.Added(record);
      what = "rewrite " + std::to_string(record);
    } else {
      const std::uint32_t record = records[pick(static_cast<int>(records.size()))];
      removeKeys(record);
      what = "delete " + std::to_string(record);
    }
    ASSERT_EQ(ErrorCode, 0) << what;
    check(std::to_string(step) + " " + what);
    if (HasFatalFailure()) return;
  }

  // The controlling order walks the model's names both ways.
  std::vector<std::string> expected;
  for (const auto& [key, record] : model.Entries(nameKey)) expected.push_back(RTrimStr(key));
  EXPECT_EQ(Walk("NAME"), expected);
  std::reverse(expected.begin(), expected.end());
  EXPECT_EQ(Walk("NAME", false), expected);

  for (std::uint32_t record : live()) removeKeys(record);
  check("emptied");
  for (const char* file : {"name.ndx", "age.ndx", "city.ndx"}) {
    const testing::NdxTree tree = testing::ReadNdxTree(At(file));
    EXPECT_EQ(tree.root, 1u) << file;
    EXPECT_EQ(tree.nextFree, 2u) << file;
  }
}

}  // namespace
}  // namespace xbase
