#include "platform/os/UserLanguage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

namespace platform::os {
namespace {

TEST(UserLanguage, ParsesLocaleNames) {
  struct Case {
    const char* name;
    const char* language;
    const char* territory;
  };
  for (const auto& c : {
           Case{"fr_CA.UTF-8", "fr", "CA"}, Case{"de_AT", "de", "AT"},
           Case{"ru", "ru", ""},            Case{"en_us.iso88591@euro", "en", "US"},
           Case{"sr_RS@latin", "sr", "RS"}, Case{"C", "", ""},
           Case{"C.UTF-8", "", ""},         Case{"POSIX", "", ""},
           Case{"", "", ""},
       }) {
    const Language language = ParseLocaleName(c.name);
    EXPECT_EQ(language.language, c.language) << c.name;
    EXPECT_EQ(language.territory, c.territory) << c.name;
  }
}

// Sets the locale variables for the lifetime of the object, restoring them afterwards.
class LocaleVariables {
 public:
  using Values = std::map<std::string, const char*>;
  explicit LocaleVariables(const Values& values) {
    for (const char* name : {"LC_ALL", "LC_TIME", "LANG"}) {
      const char* old = std::getenv(name);
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
      const auto it = values.find(name);
      if (it != values.end() && it->second) setenv(name, it->second, 1); else unsetenv(name);
    }
  }
  ~LocaleVariables() {
    for (const auto& [name, value] : saved_) {
      if (value) setenv(name.c_str(), value->c_str(), 1); else unsetenv(name.c_str());
    }
  }
  LocaleVariables(const LocaleVariables&) = delete;
  LocaleVariables& operator=(const LocaleVariables&) = delete;

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

TEST(UserLanguage, FirstSetVariableOfLcAllLcTimeLang) {
  {
    LocaleVariables env(
        LocaleVariables::Values{{"LC_ALL", "it_IT"}, {"LC_TIME", "de_DE"}, {"LANG", "fr_FR"}});
    EXPECT_EQ(UserLanguage().language, "it");
  }
  {
    LocaleVariables env(
        LocaleVariables::Values{{"LC_ALL", ""}, {"LC_TIME", "de_DE"}, {"LANG", "fr_FR"}});
    EXPECT_EQ(UserLanguage().language, "de");
  }
  {
    LocaleVariables env(LocaleVariables::Values{{"LANG", "fr_CA.UTF-8"}});
    EXPECT_EQ(UserLanguage().territory, "CA");
  }
  {
    LocaleVariables env(LocaleVariables::Values{});
    EXPECT_EQ(UserLanguage().language, "");
  }
}

}  // namespace
}  // namespace platform::os
