#include "i18n/string_table.h"

#include <gtest/gtest.h>

namespace {

struct Sample {
    int nId;
    const wchar_t* pszText[kLanguageCount];  // English, Chinese, Japanese, Polish
};

// Texts typed in from the translators' tables, independently of the table source, so a
// mistyped or shifted entry shows up here. Chosen for their quotes, "(&A)", doubled
// blanks, long texts and both ends of the id range.
const Sample kSamples[] = {
    {101,
     {L"About Zarvon(&A)...", L"About Zarvon(&A)...", L"ソフトウェア情報",
      L"Znajdź informację o kamerze IP(&A)"}},
    {115, {L"Count:", L"共有摄像机:", L"台数", L"Znaleziono"}},
    {117, {L"Prompt", L"提示", L"エラー", L"Pobudź"}},
    {122,
     {L"Search send failure, please check the network connection.",
      L"搜索发送失败, 请检查网络连接.",
      L"検索送信に失敗しました。ネットワーク接続を確認してください。",
      L"Błąd wyszukiwania, sprawdź połączenie sieciowe."}},
    {123, {L"Set success", L"设置成功", L"設定成功", L"Zapisywanie sukces"}},
    {124,
     {L"ERROR Incorrect username or password", L"用户名或密码错误",
      L"ユーザー名またはパスワードが正しくありません",
      L"BŁĄD! Nieprawidłowa nazwa użytkownika lub hasło"}},
    {125,
     {L"Lack of user rights  Lack", L"用户权限不够", L"ユーザー権限の欠如",
      L"Brak uprawnień użytkownika"}},
    {151,
     {L"The network is not \"Fixed IP\", this operation could not be done.",
      L"当前连网方式不是\"固定IP地址 (静态IP)\", 不能使用一键设置功能.",
      L"カメラが固定IPアドレスではないため設定をおこなえません。",
      L"Urządzenie nie ma stałego adresu IP, nie można wykonać tej operacji, zmień ustawienia "
      L"sieciowe."}},
    {158, {L"Zarvon", L"Zarvon", L"Zarvon", L"Norvik Wyszukaj kamerę"}},
    {171,
     {L"Web UI Firmware upgrade to complete reboot...", L"应用固件升级完成重启中...",
      L"Web UIファームウェアアップグレード完了　再起動…",
      L"W celu kompletnej aktualizacji Web UI, kamera zostanie uruchomiona ponownie…"}},
    {179,
     {L"The default account number of the camera is admin and the password is 402613. If it "
      L"has been modified, please enter the account and password before the upgrade. Click "
      L"the \"Upgrade Firmware\" button to complete the search and update of the latest "
      L"firmware version.",
      L"摄像机默认帐号为admin,密码是402613,如已修改,请在升级前先录入帐号和密码. "
      L"点击\"升级固件\"按钮,即可完成最新固件版本的查找及更新.",
      L"カメラのデフォルトのアカウント名は「admin」、パスワードは「402613」です。変更している"
      L"場合は、変更したものをそれぞれアップグレードをおこなう前に入力してください。",
      L"Domyślny numer konta kamery to admin, a hasło to 402613. Jeśli zostało zmodyfikowane, "
      L"wprowadź konto i hasło przed modyfikacją. Kliknij przycisk „Aktualizacja Firmware” ”, "
      L"aby zakończyć wyszukiwanie i aktualizację najnowszej wersji oprogramowania "
      L"sprzętowego."}},
    {197,
     {L"The UID format is incorrect. Please re-enter.", L"UID格式不正确, 请重新输入.",
      L"UIDが正しくありません。再入力してください。",
      L"Format UID jest nieprawidłowy. Wprowadź ponownie."}},
};

class StringTable : public ::testing::Test {
protected:
    void TearDown() override { SetLanguage(0); }
};

TEST_F(StringTable, SamplesMatchByteForByteInEveryLanguage) {
    for (const Sample& s : kSamples) {
        for (int lang = 0; lang < kLanguageCount; ++lang) {
            SetLanguage(lang);
            EXPECT_EQ(LoadStrId(s.nId), s.pszText[lang]) << "id " << s.nId << " language " << lang;
            EXPECT_EQ(LoadStr(s.nId - 101), s.pszText[lang]) << "offset of id " << s.nId;
            EXPECT_EQ(LoadStrIn(lang, s.nId), s.pszText[lang]);
        }
    }
}

TEST_F(StringTable, EveryIdHasATextInEveryLanguage) {
    for (int lang = 0; lang < kLanguageCount; ++lang)
        for (int id = kFirstStringId; id <= kLastStringId; ++id)
            EXPECT_FALSE(LoadStrIn(lang, id).empty()) << "id " << id << " language " << lang;
}

TEST_F(StringTable, MissingIdsGiveEmptyText) {
    for (int lang = 0; lang < kLanguageCount; ++lang) {
        SetLanguage(lang);
        for (int id : {0, 100, 198, -1, 1000}) EXPECT_EQ(LoadStrId(id), L"") << id;
        for (int offset : {-1, 97, -101, 0x7fffffff, -0x7fffffff - 1})
            EXPECT_EQ(LoadStr(offset), L"") << offset;
    }
}

TEST_F(StringTable, SetLanguageSwitchesLaterLookupsAndUnknownIndexMeansEnglish) {
    SetLanguage(2);
    EXPECT_EQ(GetLanguage(), 2);
    EXPECT_EQ(g_nLanguage.load(), 2);
    EXPECT_EQ(LoadStrId(109), L"カメラ一覧");
    SetLanguage(7);
    EXPECT_EQ(GetLanguage(), 7);
    EXPECT_EQ(LoadStrId(109), L"Cameras");
    SetLanguage(-1);
    EXPECT_EQ(LoadStrId(109), L"Cameras");
    SetLanguage(3);
    EXPECT_EQ(LoadStrId(109), L"Kamery");
}

TEST(LanguageTable, IdsAndLabelsByIndex) {
    const struct {
        int nIndex, nId;
        const wchar_t* pszLabel;
    } kCases[] = {{0, 1033, L"English"}, {1, 2052, L"简体中文"}, {2, 1041, L"日本語"},
                  {3, 1045, L"Polski"},  {4, 1033, L""},         {-1, 1033, L""}};
    for (const auto& c : kCases) {
        EXPECT_EQ(LanguageIdOfIndex(c.nIndex), c.nId) << c.nIndex;
        EXPECT_STREQ(LanguageLabel(c.nIndex), c.pszLabel) << c.nIndex;
    }
}

}  // namespace
