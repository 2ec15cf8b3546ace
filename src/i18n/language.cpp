// The language in force and the start-up choice from the locale.
#include <cctype>
#include <cstdlib>
#include <string>

#include "i18n/string_table.h"

std::atomic<int> g_nLanguage{0};

int GetLanguage() { return g_nLanguage.load(); }

int LanguageIdOfIndex(int nIndex) {
    switch (nIndex) {
        case 1:
            return 2052;
        case 2:
            return 1041;
        case 3:
            return 1045;
        default:
            return 1033;
    }
}

// Texts are looked up through g_nLanguage, so storing the index is what switches the
// language every later lookup uses.
void SetLanguage(int nIndex) { g_nLanguage.store(nIndex); }

namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Splits "ll_CC.charset@modifier" (or "ll-Script-CC") into its lower-case parts before
// the charset: language and the rest after the first separator.
void SplitLocale(std::string_view locale, std::string& lang, std::string& rest) {
    size_t end = locale.find_first_of(".@");
    std::string base = Lower(locale.substr(0, end));
    size_t sep = base.find_first_of("_-");
    lang = base.substr(0, sep);
    rest = sep == std::string::npos ? std::string() : base.substr(sep + 1);
}

bool IsSimplifiedChineseRegion(const std::string& rest) {
    // The part after "zh": a region (cn, sg) or a script (hans), maybe followed by more.
    std::string first = rest.substr(0, rest.find_first_of("_-"));
    return first == "cn" || first == "sg" || first == "hans";
}

}  // namespace

int LanguageIdOfLocaleName(std::string_view locale) {
    std::string lang, rest;
    SplitLocale(locale, lang, rest);
    if (lang == "zh" && IsSimplifiedChineseRegion(rest)) return 2052;
    if (lang == "ja") return 1041;
    if (lang == "pl") return 1045;
    return 1033;
}

int UserDefaultUILanguage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE"}) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0') continue;
        std::string_view v(value);
        return LanguageIdOfLocaleName(v.substr(0, v.find(':')));
    }
    return 1033;
}

int LanguageIndexFromLocale() {
    // Each comparison asks the system again, as the start-up rule has it.
    if (UserDefaultUILanguage() == 2052) return 1;
    if (UserDefaultUILanguage() == 1041) return 2;
    if (UserDefaultUILanguage() == 1045) return 3;
    return 0;
}

int ChooseStartupLanguage() {
    int nIndex = LanguageIndexFromLocale();
    SetLanguage(nIndex);
    return nIndex;
}
