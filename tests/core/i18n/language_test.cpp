#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

#include "i18n/string_table.h"

namespace {

const char* const kVars[] = {"LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE"};

// Sets the four locale variables for one case and puts the old values back afterwards.
class LocaleEnv : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* v : kVars) {
            const char* old = std::getenv(v);
            m_saved[v] = old ? std::optional<std::string>(old) : std::nullopt;
        }
    }
    void TearDown() override {
        for (auto& [name, value] : m_saved) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
        SetLanguage(0);
    }
    static void Set(const char* lcAll, const char* lcMessages, const char* lang,
                    const char* language) {
        const char* values[] = {lcAll, lcMessages, lang, language};
        for (int i = 0; i < 4; ++i) {
            if (values[i])
                setenv(kVars[i], values[i], 1);
            else
                unsetenv(kVars[i]);
        }
    }
    std::map<std::string, std::optional<std::string>> m_saved;
};

TEST(LanguageIdOfLocaleName, MapsLocaleNames) {
    const struct {
        const char* pszLocale;
        int nId;
    } kCases[] = {
        {"zh_CN.UTF-8", 2052},
        {"zh_CN", 2052},
        {"zh_SG.GB2312", 2052},
        {"zh_Hans", 2052},
        {"zh-Hans-CN", 2052},
        {"zh_Hans_SG", 2052},
        {"zh_TW.UTF-8", 1033},
        {"zh_HK", 1033},
        {"zh", 1033},
        {"ja_JP.UTF-8", 1041},
        {"ja", 1041},
        {"JA_jp", 1041},
        {"pl_PL.ISO-8859-2", 1045},
        {"pl", 1045},
        {"pl_PL@euro", 1045},
        {"de_DE", 1033},
        {"en_GB.UTF-8", 1033},
        {"C", 1033},
        {"POSIX", 1033},
        {"C.UTF-8", 1033},
        {"", 1033},
        {"plx", 1033},
        {"jap", 1033},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(LanguageIdOfLocaleName(c.pszLocale), c.nId) << c.pszLocale;
}

TEST_F(LocaleEnv, VariablesTakePrecedenceInOrder) {
    const struct {
        const char *pszAll, *pszMessages, *pszLang, *pszLanguage;
        int nIndex;
    } kCases[] = {
        {nullptr, nullptr, nullptr, nullptr, 0},
        {nullptr, nullptr, "zh_CN.UTF-8", nullptr, 1},
        {nullptr, nullptr, "ja_JP.UTF-8", nullptr, 2},
        {nullptr, nullptr, "pl_PL.UTF-8", nullptr, 3},
        {nullptr, nullptr, "de_DE.UTF-8", nullptr, 0},
        {"pl_PL", "ja_JP", "zh_CN", "zh_CN", 3},
        {"", "ja_JP", "zh_CN", "pl", 2},  // an empty variable counts as not set
        {nullptr, nullptr, "zh_CN", "pl", 1},
        {nullptr, nullptr, nullptr, "ja:en_US", 2},
        {nullptr, nullptr, nullptr, "en_US:ja", 0},
        {"C", nullptr, "pl_PL", nullptr, 0},
    };
    for (const auto& c : kCases) {
        Set(c.pszAll, c.pszMessages, c.pszLang, c.pszLanguage);
        EXPECT_EQ(LanguageIndexFromLocale(), c.nIndex)
            << (c.pszAll ? c.pszAll : "-") << " " << (c.pszMessages ? c.pszMessages : "-") << " "
            << (c.pszLang ? c.pszLang : "-") << " " << (c.pszLanguage ? c.pszLanguage : "-");
    }
}

TEST_F(LocaleEnv, StartupChoiceStoresTheIndexAndSwitchesTexts) {
    Set(nullptr, nullptr, "ja_JP.UTF-8", nullptr);
    SetLanguage(0);
    EXPECT_EQ(ChooseStartupLanguage(), 2);
    EXPECT_EQ(GetLanguage(), 2);
    EXPECT_EQ(LoadStrId(117), L"エラー");
    Set(nullptr, nullptr, "de_DE.UTF-8", nullptr);
    EXPECT_EQ(ChooseStartupLanguage(), 0);
    EXPECT_EQ(LoadStrId(117), L"Prompt");
}

}  // namespace
