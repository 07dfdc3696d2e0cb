#include "platform/posix/registry/key.h"

#include <gtest/gtest.h>

namespace registry {
namespace {

std::vector<std::string> ValueNames(const Key& key) {
  std::vector<std::string> names;
  for (const Value& value : key.values()) names.push_back(value.name);
  return names;
}

TEST(KeyTest, OrdersNamesAsTheRegistryLists_Them) {
  Key key("root");
  for (const char* name : {"Ab", "aab", "a_b", "A[", "", "abc"}) key.SetValue(name, 1, "x");
  // Lower-case order: '[' and '_' sort before letters; a prefix comes first.
  EXPECT_EQ(ValueNames(key), (std::vector<std::string>{"", "A[", "a_b", "aab", "Ab", "abc"}));
}

TEST(KeyTest, NamesAreCaseInsensitiveAndCasePreserving) {
  Key key("root");
  key.SetValue("Name", 1, "one");
  key.SetValue("NAME", 4, "two");
  ASSERT_EQ(key.values().size(), 1u);
  EXPECT_EQ(key.values()[0].name, "Name");
  EXPECT_EQ(key.FindValue("name")->data, "two");
  EXPECT_EQ(key.FindValue("name")->type, 4u);
  EXPECT_TRUE(key.DeleteValue("nAmE"));
  EXPECT_FALSE(key.DeleteValue("name"));

  Key* made = key.Create("Software\\\\Vendor\\");
  EXPECT_EQ(key.Create("SOFTWARE\\vendor"), made);
  EXPECT_EQ(key.Find("software\\VENDOR"), made);
  EXPECT_EQ(key.Find(""), &key);
  EXPECT_EQ(key.Find("Software\\Other"), nullptr);
  EXPECT_EQ(key.FindSubkey("software")->name(), "Software");
  EXPECT_TRUE(key.FindSubkey("Software")->DeleteSubkey("VENDOR"));
  EXPECT_EQ(key.Find("Software\\Vendor"), nullptr);
}

}  // namespace
}  // namespace registry
