// A process locale whose decimal point is ",", set for the lifetime of the object, to show that
// number texts never follow the locale. Tests skip when the host has no such locale installed.
#pragma once

#include <clocale>
#include <locale>
#include <stdexcept>
#include <string>

namespace xan {

class TCommaLocale {
 public:
  // Tries the usual names of locales that write "1,5"; Active() tells whether one was found.
  TCommaLocale() {
    // The last two are Windows' names, where the C++ library knows only the "C" locale and the
    // C library's locale is set by itself.
    for (const char* name :
         {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE", "fr_FR", "nl_NL.UTF-8",
          "it_IT.UTF-8", "es_ES.UTF-8", "ru_RU.UTF-8", "de-DE", "German_Germany.1252"}) {
      try {
        std::locale::global(std::locale(name));  // sets the C library's locale too
      } catch (const std::runtime_error&) {
        if (std::setlocale(LC_ALL, name) == nullptr) continue;
      }
      if (std::string(std::localeconv()->decimal_point) == ",") {
        FName = name;
        return;
      }
      Restore();
    }
  }
  ~TCommaLocale() {
    if (Active()) Restore();
  }
  TCommaLocale(const TCommaLocale&) = delete;
  TCommaLocale& operator=(const TCommaLocale&) = delete;

  bool Active() const { return !FName.empty(); }
  const std::string& Name() const { return FName; }

 private:
  static void Restore() {
    std::locale::global(std::locale::classic());
    std::setlocale(LC_ALL, "C");
  }

  std::string FName;
};

}  // namespace xan
