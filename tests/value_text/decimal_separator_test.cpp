#include "value_text/decimal_separator.h"

#include <gtest/gtest.h>

#include <locale.h>

#include "support/scoped_env.h"

namespace {

TEST(DecimalSeparator, ComesFromTheLocaleTheEnvironmentNames) {
  ScopedEnv all("LC_ALL", nullptr);
  ScopedEnv numeric("LC_NUMERIC", nullptr);
  {
    ScopedEnv lang("LANG", nullptr);
    EXPECT_EQ(UserDecimalSeparator(), '.');
  }
  {
    ScopedEnv lang("LANG", "C");
    EXPECT_EQ(UserDecimalSeparator(), '.');
  }
  {
    ScopedEnv lang("LANG", "xx_NOWHERE.UTF-8");
    EXPECT_EQ(UserDecimalSeparator(), '.');
  }
  ScopedEnv german("LC_ALL", "de_DE.UTF-8");
  locale_t probe = newlocale(LC_NUMERIC_MASK, "de_DE.UTF-8", static_cast<locale_t>(nullptr));
  if (probe == static_cast<locale_t>(nullptr)) GTEST_SKIP() << "de_DE.UTF-8 is not installed here";
  freelocale(probe);
  EXPECT_EQ(UserDecimalSeparator(), ',');
}

}  // namespace
