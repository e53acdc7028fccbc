#include "value_text/decimal_separator.h"

#if defined(_WIN32)
#include <windows.h>

char UserDecimalSeparator() {
  char buffer[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, sizeof buffer) > 0 && buffer[0] != '\0') {
    return buffer[0];
  }
  return '.';
}

#else
#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <initializer_list>

char UserDecimalSeparator() {
  // The locale the environment names, in the usual order of precedence.
  const char* name = nullptr;
  for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] != '\0') {
      name = value;
      break;
    }
  }
  if (name == nullptr) return '.';
  // A locale object of our own: the process's locale stays untouched.
  locale_t locale = newlocale(LC_NUMERIC_MASK, name, static_cast<locale_t>(nullptr));
  if (locale == static_cast<locale_t>(nullptr)) return '.';
  const char* radix = nl_langinfo_l(RADIXCHAR, locale);
  const char separator = (radix != nullptr && radix[0] != '\0' && radix[1] == '\0') ? radix[0] : '.';
  freelocale(locale);
  return separator;
}
#endif
