#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/posix/posix_test_support.h"

namespace platform {
namespace {

// The names of a host directory in the order readdir gives them.
std::vector<std::string> DirectoryOrder(const std::string& directory) {
  std::vector<std::string> names;
  DIR* dir = opendir(directory.c_str());
  while (dirent* entry = readdir(dir)) names.push_back(entry->d_name);
  closedir(dir);
  return names;
}

std::vector<std::string> Names(const std::vector<FoundFile>& found) {
  std::vector<std::string> names;
  for (const FoundFile& file : found) names.push_back(file.name);
  return names;
}

TEST_F(PosixPlatformTest, FindFilesServesEveryMaskInDirectoryOrder) {
  MakeHostDirectory(Host("images"));
  for (const char* name : {"a.JPG", "b.png", "c.jpeg", "d.txt", "e.Png", "f.jpg", "g.gif"})
    WriteHostFile(Host("images/") + name, "x");
  MakeHostDirectory(Host("images/sub.jpg"));
  ASSERT_EQ(chmod(Host("images/g.gif").c_str(), 0444), 0);
  const std::vector<std::string> masks = {"*.jpg", "*.png", "*.gif", "*.bmp", "?.*"};

  std::vector<std::vector<FoundFile>> found = platform_.FindFiles(Windows("images\\"), masks);
  ASSERT_EQ(found.size(), masks.size());
  // What separate searches would give: each mask's matches in readdir order.
  std::vector<std::vector<std::string>> expected(masks.size());
  const char* matches[][4] = {{"a.JPG", "f.jpg", "sub.jpg"}, {"b.png", "e.Png"}, {"g.gif"}, {}, {}};
  for (const std::string& name : DirectoryOrder(Host("images"))) {
    for (size_t mask = 0; mask < masks.size(); ++mask) {
      for (const char* match : matches[mask])
        if (match && name == match) expected[mask].push_back(name);
      if (mask == 4 && name.size() > 1 && name[1] == '.' && name != "..")
        expected[mask].push_back(name);
    }
  }
  for (size_t mask = 0; mask < masks.size(); ++mask)
    EXPECT_EQ(Names(found[mask]), expected[mask]) << masks[mask];
  for (const FoundFile& file : found[0])
    EXPECT_EQ(file.attributes, file.name == "sub.jpg" ? kAttributeDirectory : kAttributeArchive);
  ASSERT_EQ(found[2].size(), 1u);
  EXPECT_EQ(found[2][0].attributes, kAttributeArchive | kAttributeReadOnly);
}

TEST_F(PosixPlatformTest, FindFilesPrefixForms) {
  WriteHostFile(Host("x.bmp"), "x");
  WriteHostFile(Host(".y.bmp"), "x");
  const std::vector<std::string> masks = {"*.bmp"};
  auto sorted_names = [&](const std::string& prefix) {
    std::vector<std::string> names = Names(platform_.FindFiles(prefix, masks)[0]);
    std::sort(names.begin(), names.end());
    return names;
  };
  const std::vector<std::string> both = {".y.bmp", "x.bmp"};
  EXPECT_EQ(sorted_names(windows_root_ + "\\"), both);
  EXPECT_EQ(sorted_names(root_ + "/"), both);
  EXPECT_EQ(sorted_names(""), both);
  EXPECT_EQ(sorted_names(".\\"), both);
  EXPECT_EQ(Names(platform_.FindFiles("C:\\Windows\\Web\\Screen\\", {"*.BMP"})[0]),
            std::vector<std::string>{"img101.bmp"});
  // The hidden entry carries its attribute; the caller filters it.
  std::vector<std::vector<FoundFile>> found = platform_.FindFiles("", masks);
  for (const FoundFile& file : found[0])
    EXPECT_EQ(file.attributes,
              file.name[0] == '.' ? kAttributeArchive | kAttributeHidden : kAttributeArchive);
}

TEST_F(PosixPlatformTest, FindFilesNeverReturnsDotEntries) {
  MakeHostDirectory(Host("empty"));
  std::vector<std::vector<FoundFile>> found = platform_.FindFiles(Windows("empty\\"), {"*", ".*"});
  ASSERT_EQ(found.size(), 2u);
  EXPECT_TRUE(found[0].empty());
  EXPECT_TRUE(found[1].empty());
  WriteHostFile(Host("empty/.x"), "x");
  found = platform_.FindFiles(Windows("empty\\"), {".*"});
  EXPECT_EQ(Names(found[0]), std::vector<std::string>{".x"});
}

TEST_F(PosixPlatformTest, FindFilesInMissingDirectoriesFindsNothing) {
  for (const char* prefix : {"Z:\\no\\such\\dir\\", "D:\\images\\", "missing\\"}) {
    std::vector<std::vector<FoundFile>> found = platform_.FindFiles(prefix, {"*.jpg", "*.png"});
    EXPECT_EQ(found.size(), 2u);
    EXPECT_TRUE(found[0].empty() && found[1].empty()) << prefix;
  }
  EXPECT_TRUE(platform_.FindFiles(windows_root_ + "\\", {}).empty());
}

}  // namespace
}  // namespace platform
