// The user-interface language and the string table: every text the user sees is a string
// id 101-197, held in English, Simplified Chinese, Japanese and Polish. A lookup reads
// the language in force when it is made; the tables are constant, so any thread may look
// up at any time.
#pragma once
#include <atomic>
#include <string>
#include <string_view>

// The process-wide language index (0 English, 1 Chinese, 2 Japanese, 3 Polish).
extern std::atomic<int> g_nLanguage;

constexpr int kLanguageCount = 4;
constexpr int kFirstStringId = 101;
constexpr int kLastStringId = 197;

// The index stored in g_nLanguage.
int GetLanguage();
// Makes the language of nIndex the one texts are loaded in (any index other than 1, 2, 3
// means English) and stores nIndex in g_nLanguage.
void SetLanguage(int nIndex);
// 1033, 2052, 1041 or 1045; 1033 for any index other than 1, 2, 3.
int LanguageIdOfIndex(int nIndex);
// The language identifier a locale name stands for ("zh_CN.UTF-8" -> 2052, "ja_JP" -> 1041,
// "pl" -> 1045, anything else -> 1033).
int LanguageIdOfLocaleName(std::string_view locale);
// The user's UI language identifier, from the first set one of LC_ALL, LC_MESSAGES, LANG,
// LANGUAGE (the first entry of LANGUAGE's colon list).
int UserDefaultUILanguage();
// The index the user's UI language gives: 2052 -> 1, 1041 -> 2, 1045 -> 3, else 0.
int LanguageIndexFromLocale();
// The start-up language choice: computes the index from the locale, makes it the
// language in force and returns it.
int ChooseStartupLanguage();
// Text of string id 101 + nOffset in the language in force; "" when there is no such id.
std::wstring LoadStr(int nOffset);
// Text of string nId in the language in force; "" when there is no such id.
std::wstring LoadStrId(int nId);
// Text of string nId in the language of nIndex, whatever language is in force.
std::wstring LoadStrIn(int nIndex, int nId);
// "English", "简体中文", "日本語", "Polski"; "" for an index outside 0-3.
const wchar_t* LanguageLabel(int nIndex);

// The same functions under the namespace of the platform layer, for callers that spell
// everything with zv::.
namespace zv {
using ::ChooseStartupLanguage;
using ::GetLanguage;
using ::LanguageIdOfIndex;
using ::LanguageIdOfLocaleName;
using ::LanguageIndexFromLocale;
using ::LanguageLabel;
using ::LoadStr;
using ::LoadStrId;
using ::LoadStrIn;
using ::SetLanguage;
using ::UserDefaultUILanguage;
}  // namespace zv
