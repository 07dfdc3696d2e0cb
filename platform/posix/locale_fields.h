// The Windows locale settings of the log's time stamp, derived from the C
// library's LC_TIME conventions.
#ifndef TARNWELL_PLATFORM_POSIX_LOCALE_FIELDS_H_
#define TARNWELL_PLATFORM_POSIX_LOCALE_FIELDS_H_

#include <string>

#include "platform/platform.h"

namespace platform {

// What an LC_TIME locale says, in strftime notation (nl_langinfo's D_FMT,
// T_FMT, T_FMT_AMPM, AM_STR, PM_STR).
struct TimeConventions {
  std::string date_format;
  std::string time_format;
  std::string time_format_ampm;
  std::string am;
  std::string pm;
};

// The Windows setting for `field` under `conventions`: the short date as a
// Windows picture ("dd.MM.yyyy"), the separators as the literal text between
// the first two fields, the clock conventions from the hour directive.
std::string LocaleFieldText(LocaleField field, const TimeConventions& conventions);

// The setting for the LC_TIME locale the environment names (LC_ALL, LC_TIME,
// LANG); the C and POSIX locales, and locales that cannot be loaded, give the
// US English settings. The process's global locale is left alone.
std::string LocaleTextFromEnvironment(LocaleField field);

}  // namespace platform

#endif  // TARNWELL_PLATFORM_POSIX_LOCALE_FIELDS_H_
