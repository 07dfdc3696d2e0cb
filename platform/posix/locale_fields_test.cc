#include "platform/posix/locale_fields.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace platform {
namespace {

// Every field in order: short date, date separator, time separator, ITIME,
// ITLZERO, AM, PM, ITIMEMARKPOSN.
std::vector<std::string> AllFields(const TimeConventions& conventions) {
  std::vector<std::string> fields;
  for (LocaleField field :
       {LocaleField::kShortDate, LocaleField::kDateSeparator, LocaleField::kTimeSeparator,
        LocaleField::kTimeFormat, LocaleField::kHourLeadingZero, LocaleField::kAmDesignator,
        LocaleField::kPmDesignator, LocaleField::kTimeMarkPosition})
    fields.push_back(LocaleFieldText(field, conventions));
  return fields;
}

using Fields = std::vector<std::string>;

// The conventions below are those glibc's locales give.
TEST(LocaleFieldsTest, MapsTwentyFourHourLocales) {
  EXPECT_EQ(AllFields({"%d.%m.%Y", "%T", "", "", ""}),
            (Fields{"dd.MM.yyyy", ".", ":", "1", "1", "", "", "0"}));
  EXPECT_EQ(AllFields({"%d/%m/%y", "%T", "%l:%M:%S %P %Z", "am", "pm"}),
            (Fields{"dd/MM/yy", "/", ":", "1", "1", "am", "pm", "0"}));
  EXPECT_EQ(
      AllFields({"%Y\xEB\x85\x84 %m\xEC\x9B\x94 %d\xEC\x9D\xBC",
                 "%H\xEC\x8B\x9C %M\xEB\xB6\x84 %S\xEC\xB4\x88",
                 "%p %I\xEC\x8B\x9C %M\xEB\xB6\x84 %S\xEC\xB4\x88", "\xEC\x98\xA4\xEC\xA0\x84",
                 "\xEC\x98\xA4\xED\x9B\x84"}),
      (Fields{"yyyy\xEB\x85\x84 MM\xEC\x9B\x94 dd\xEC\x9D\xBC", "\xEB\x85\x84 ", "\xEC\x8B\x9C ",
              "1", "1", "\xEC\x98\xA4\xEC\xA0\x84", "\xEC\x98\xA4\xED\x9B\x84", "1"}));
  EXPECT_EQ(AllFields({"%F", "%k:%M", "", "", ""}),
            (Fields{"yyyy-MM-dd", "-", ":", "1", "0", "", "", "0"}));
}

TEST(LocaleFieldsTest, MapsTwelveHourLocales) {
  EXPECT_EQ(AllFields({"%m/%d/%Y", "%r", "%I:%M:%S %p", "AM", "PM"}),
            (Fields{"MM/dd/yyyy", "/", ":", "0", "1", "AM", "PM", "0"}));
  EXPECT_EQ(AllFields({"%-m/%e/%y", "%p %l.%M.%S", "", "vm", "nm"}),
            (Fields{"M/d/yy", "/", ".", "0", "0", "vm", "nm", "1"}));
}

TEST(LocaleFieldsTest, QuotesLettersInLiteralText) {
  TimeConventions conventions{"%d de %B de %Y", "%H:%M", "", "", ""};
  EXPECT_EQ(LocaleFieldText(LocaleField::kShortDate, conventions), "dd' de 'MMMM' de 'yyyy");
  conventions.date_format = "%d'%m %a %b %%";
  EXPECT_EQ(LocaleFieldText(LocaleField::kShortDate, conventions), "dd''''MM ddd MMM %");
}

class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment() {
    if (had_)
      setenv(name_, old_.c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  bool had_;
  std::string old_;
};

TEST(LocaleFieldsTest, CLocaleGivesUsEnglish) {
  for (const char* name : {"C", "POSIX", "C.UTF-8"}) {
    ScopedEnvironment locale("LC_ALL", name);
    EXPECT_EQ(LocaleTextFromEnvironment(LocaleField::kShortDate), "M/d/yyyy") << name;
    EXPECT_EQ(LocaleTextFromEnvironment(LocaleField::kDateSeparator), "/");
    EXPECT_EQ(LocaleTextFromEnvironment(LocaleField::kTimeSeparator), ":");
    EXPECT_EQ(LocaleTextFromEnvironment(LocaleField::kTimeFormat), "0");
    EXPECT_EQ(LocaleTextFromEnvironment(LocaleField::kHourLeadingZero), "0");
    EXPECT_EQ(LocaleTextFromEnvironment(LocaleField::kAmDesignator), "AM");
    EXPECT_EQ(LocaleTextFromEnvironment(LocaleField::kPmDesignator), "PM");
    EXPECT_EQ(LocaleTextFromEnvironment(LocaleField::kTimeMarkPosition), "0");
  }
}

TEST(LocaleFieldsTest, UnknownLocaleGivesUsEnglish) {
  ScopedEnvironment locale("LC_ALL", "xx_NOWHERE.UTF-8");
  EXPECT_EQ(LocaleTextFromEnvironment(LocaleField::kShortDate), "M/d/yyyy");
}

// A German locale compiled from the C library's sources into a private
// directory, so that no installed locale is needed.
TEST(LocaleFieldsTest, ReadsTheEnvironmentsLocale) {
  char directory[] = "/tmp/tarnwell_locale_XXXXXX";
  ASSERT_NE(mkdtemp(directory), nullptr);
  std::string compile =
      std::string("localedef -i de_DE -f UTF-8 ") + directory + "/de_DE.UTF-8 >/dev/null 2>&1";
  if (std::system(compile.c_str()) != 0) {
    std::system((std::string("rm -rf ") + directory).c_str());
    GTEST_SKIP() << "localedef cannot build de_DE here";
  }
  {
    ScopedEnvironment path("LOCPATH", directory);
    ScopedEnvironment all("LC_ALL", "");
    ScopedEnvironment time("LC_TIME", "de_DE.UTF-8");
    EXPECT_EQ(LocaleTextFromEnvironment(LocaleField::kShortDate), "dd.MM.yyyy");
    EXPECT_EQ(LocaleTextFromEnvironment(LocaleField::kDateSeparator), ".");
    EXPECT_EQ(LocaleTextFromEnvironment(LocaleField::kTimeSeparator), ":");
    EXPECT_EQ(LocaleTextFromEnvironment(LocaleField::kTimeFormat), "1");
    EXPECT_EQ(LocaleTextFromEnvironment(LocaleField::kHourLeadingZero), "1");
  }
  std::system((std::string("rm -rf ") + directory).c_str());
}

}  // namespace
}  // namespace platform
