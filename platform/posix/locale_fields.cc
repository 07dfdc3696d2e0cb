#include "platform/posix/locale_fields.h"

#include <langinfo.h>
#include <locale.h>

#include <cstring>
#include <vector>

namespace platform {
namespace {

// One piece of a strftime format: a directive or a run of literal text.
struct Piece {
  char conversion = 0;  // 0 for literal text
  bool unpadded = false;
  std::string text;
};

// Splits a format, expanding the composite directives first so that their
// fields are seen: %D, %F, %T, %R and %r (the locale's 12-hour format).
std::vector<Piece> Parse(const std::string& format, const std::string& ampm_format, int depth = 0) {
  std::vector<Piece> pieces;
  auto literal = [&pieces](const std::string& text) {
    if (pieces.empty() || pieces.back().conversion != 0) pieces.push_back(Piece());
    pieces.back().text += text;
  };
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 >= format.size()) {
      literal(std::string(1, format[i]));
      continue;
    }
    ++i;
    bool unpadded = false;
    while (i < format.size() && std::strchr("-_0^#", format[i])) {
      if (format[i] == '-' || format[i] == '_') unpadded = true;
      ++i;
    }
    while (i < format.size() && format[i] >= '0' && format[i] <= '9') ++i;
    if (i < format.size() && (format[i] == 'E' || format[i] == 'O')) ++i;
    if (i >= format.size()) break;
    char conversion = format[i];
    const char* expansion = conversion == 'D'   ? "%m/%d/%y"
                            : conversion == 'F' ? "%Y-%m-%d"
                            : conversion == 'T' ? "%H:%M:%S"
                            : conversion == 'R' ? "%H:%M"
                                                : nullptr;
    std::string nested = expansion ? expansion : "";
    if (conversion == 'r') nested = ampm_format.empty() ? "%I:%M:%S %p" : ampm_format;
    if (!nested.empty() && depth < 2) {
      for (Piece& piece : Parse(nested, ampm_format, depth + 1)) {
        if (piece.conversion == 0)
          literal(piece.text);
        else
          pieces.push_back(piece);
      }
    } else if (conversion == '%') {
      literal("%");
    } else if (conversion == 'n') {
      literal(" ");
    } else if (conversion == 't') {
      literal("\t");
    } else {
      Piece piece;
      piece.conversion = conversion;
      piece.unpadded = unpadded;
      pieces.push_back(piece);
    }
  }
  return pieces;
}

// The Windows picture of a date field; empty for fields a picture lacks.
std::string DatePicture(const Piece& piece) {
  switch (piece.conversion) {
    case 'd':
      return piece.unpadded ? "d" : "dd";
    case 'e':
      return "d";
    case 'm':
      return piece.unpadded ? "M" : "MM";
    case 'y':
      return "yy";
    case 'Y':
      return "yyyy";
    case 'b':
    case 'h':
      return "MMM";
    case 'B':
      return "MMMM";
    case 'a':
      return "ddd";
    case 'A':
      return "dddd";
    default:
      return std::string();
  }
}

// Literal text in a picture: letters would read as fields, so they go in
// single quotes, a quote itself doubled.
std::string QuotedLiteral(const std::string& text) {
  bool has_letters = false;
  for (char c : text)
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '\'') has_letters = true;
  if (!has_letters) return text;
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("''") : std::string(1, c);
  return quoted + "'";
}

std::string ShortDatePattern(const std::vector<Piece>& pieces) {
  std::string pattern;
  for (const Piece& piece : pieces)
    pattern += piece.conversion == 0 ? QuotedLiteral(piece.text) : DatePicture(piece);
  return pattern;
}

// The literal text between the first field for which `wanted` holds and the
// field after it.
template <typename Predicate>
std::string SeparatorAfter(const std::vector<Piece>& pieces, Predicate wanted,
                           const std::string& fallback) {
  for (size_t i = 0; i + 2 < pieces.size(); ++i)
    if (pieces[i].conversion != 0 && wanted(pieces[i].conversion) &&
        pieces[i + 1].conversion == 0 && pieces[i + 2].conversion != 0)
      return pieces[i + 1].text;
  return fallback;
}

bool IsHour(char conversion) { return conversion && std::strchr("HIkl", conversion); }
bool IsMark(char conversion) { return conversion == 'p' || conversion == 'P'; }

const Piece* FindHour(const std::vector<Piece>& pieces) {
  for (const Piece& piece : pieces)
    if (piece.conversion && IsHour(piece.conversion)) return &piece;
  return nullptr;
}

// True when the day-period mark comes before the hour.
bool MarkLeads(const std::vector<Piece>& pieces) {
  for (const Piece& piece : pieces) {
    if (IsMark(piece.conversion)) return true;
    if (piece.conversion && IsHour(piece.conversion)) return false;
  }
  return false;
}

bool HasMark(const std::vector<Piece>& pieces) {
  for (const Piece& piece : pieces)
    if (IsMark(piece.conversion)) return true;
  return false;
}

std::string UsEnglish(LocaleField field) {
  switch (field) {
    case LocaleField::kShortDate:
      return "M/d/yyyy";
    case LocaleField::kDateSeparator:
      return "/";
    case LocaleField::kTimeSeparator:
      return ":";
    case LocaleField::kTimeFormat:
    case LocaleField::kHourLeadingZero:
    case LocaleField::kTimeMarkPosition:
      return "0";
    case LocaleField::kAmDesignator:
      return "AM";
    case LocaleField::kPmDesignator:
      return "PM";
  }
  return std::string();
}

bool IsCLocaleName(const char* name) {
  return !name || !*name || std::strcmp(name, "C") == 0 || std::strcmp(name, "POSIX") == 0 ||
         std::strncmp(name, "C.", 2) == 0;
}

}  // namespace

std::string LocaleFieldText(LocaleField field, const TimeConventions& conventions) {
  std::vector<Piece> date = Parse(conventions.date_format, conventions.time_format_ampm);
  const std::string& time_format =
      conventions.time_format.empty() ? conventions.time_format_ampm : conventions.time_format;
  std::vector<Piece> time = Parse(time_format, conventions.time_format_ampm);
  const Piece* hour = FindHour(time);
  bool twelve_hour = hour && (hour->conversion == 'I' || hour->conversion == 'l');
  switch (field) {
    case LocaleField::kShortDate:
      return ShortDatePattern(date);
    case LocaleField::kDateSeparator:
      return SeparatorAfter(
          date, [](char) { return true; }, "/");
    case LocaleField::kTimeSeparator:
      return SeparatorAfter(time, IsHour, ":");
    case LocaleField::kTimeFormat:
      return twelve_hour ? "0" : "1";
    case LocaleField::kHourLeadingZero:
      return hour && !hour->unpadded && (hour->conversion == 'H' || hour->conversion == 'I') ? "1"
                                                                                             : "0";
    case LocaleField::kAmDesignator:
      return conventions.am;
    case LocaleField::kPmDesignator:
      return conventions.pm;
    case LocaleField::kTimeMarkPosition: {
      // Where the mark goes in whichever format carries one.
      if (HasMark(time)) return MarkLeads(time) ? "1" : "0";
      return MarkLeads(Parse(conventions.time_format_ampm, conventions.time_format_ampm)) ? "1"
                                                                                          : "0";
    }
  }
  return std::string();
}

std::string LocaleTextFromEnvironment(LocaleField field) {
  locale_t locale = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
  if (locale == static_cast<locale_t>(0)) return UsEnglish(field);
  std::string text;
  if (IsCLocaleName(nl_langinfo_l(_NL_LOCALE_NAME(LC_TIME), locale))) {
    text = UsEnglish(field);
  } else {
    TimeConventions conventions;
    conventions.date_format = nl_langinfo_l(D_FMT, locale);
    conventions.time_format = nl_langinfo_l(T_FMT, locale);
    conventions.time_format_ampm = nl_langinfo_l(T_FMT_AMPM, locale);
    conventions.am = nl_langinfo_l(AM_STR, locale);
    conventions.pm = nl_langinfo_l(PM_STR, locale);
    text = LocaleFieldText(field, conventions);
  }
  freelocale(locale);
  return text;
}

}  // namespace platform
