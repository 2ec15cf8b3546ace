// The string table, ids 101-197, one column per language in index order.
#include "i18n/string_table.h"

namespace {

constexpr int kStringCount = kLastStringId - kFirstStringId + 1;

const wchar_t* const kEnglish[kStringCount] = {
    L"About Zarvon(&A)...",                                                         // 101
    L"Current Computer",                                                            // 102
    L"Network Adapter:",                                                            // 103
    L"IP:",                                                                         // 104
    L"Sub Mask:",                                                                   // 105
    L"Gateway:",                                                                    // 106
    L"Primary DNS:",                                                                // 107
    L"Secondary DNS:",                                                              // 108
    L"Cameras",                                                                     // 109
    L"Camera Information",                                                          // 110
    L"Mode",                                                                        // 111
    L"Name",                                                                        // 112
    L"IP",                                                                          // 113
    L"Port",                                                                        // 114
    L"Count:",                                                                      // 115
    L"Export",                                                                      // 116
    L"Prompt",                                                                      // 117
    L"No network card information",                                                 // 118
    L"Initial failure of local area network search",                                // 119
    L"Update the initial failure of the thread",                                    // 120
    L"Initial search for socket failure",                                           // 121
    L"Search send failure, please check the network connection.",                   // 122
    L"Set success",                                                                 // 123
    L"ERROR Incorrect username or password",                                        // 124
    L"Lack of user rights  Lack",                                                   // 125
    L"Find",                                                                        // 126
    L"One Key Set",                                                                 // 127
    L"Apply",                                                                       // 128
    L"Close",                                                                       // 129
    L"General",                                                                     // 130
    L"Others",                                                                      // 131
    L"Name:",                                                                       // 132
    L"HTTP Port:",                                                                  // 133
    L"Network:",                                                                    // 134
    L"IP:",                                                                         // 135
    L"Sub Mask:",                                                                   // 136
    L"Gateway:",                                                                    // 137
    L"Primary DNS:",                                                                // 138
    L"Secondary DNS:",                                                              // 139
    L"Inner access:",                                                               // 140
    L"Open",                                                                        // 141
    L"Custom",                                                                      // 142
    L"Auto",                                                                        // 143
    L"Version:",                                                                    // 144
    L"MAC:",                                                                        // 145
    L"DDNS Password:",                                                              // 146
    L"UID:",                                                                        // 147
    L"Manual Upgrade",                                                              // 148
    L"Fixed IP",                                                                    // 149
    L"Dynamic IP",                                                                  // 150
    L"The network is not \"Fixed IP\", this operation could not be done.",          // 151
    L"Sure to configurate IP Camera according to current computer configuration?",  // 152
    L"Validate Authentication",                                                     // 153
    L"Account:",                                                                    // 154
    L"Password:",                                                                   // 155
    L"OK",                                                                          // 156
    L"Cancel",                                                                      // 157
    L"Zarvon",                                                                      // 158
    L"About",                                                                       // 159
    L"Smart Upgrade",                                                               // 160
    L"Upgrade Firmware",                                                            // 161
    L"Web UI Firmware",                                                             // 162
    L"System Firmware",                                                             // 163
    L"File:",                                                                       // 164
    L"Upgrade",                                                                     // 165
    L"Exit",                                                                        // 166
    L"Open",                                                                        // 167
    L"No upgrade file is selected",                                                 // 168
    L"Unable to connect to the camera",                                             // 169
    L"Upgrade Web UI Firmware...",                                                  // 170
    L"Web UI Firmware upgrade to complete reboot...",                               // 171
    L"Web UI Firmware upgrade failed",                                              // 172
    L"Upgrade System Firmware...",                                                  // 173
    L"System Firmware upgrade to complete reboot...",                               // 174
    L"System Firmware upgrade failed",                                              // 175
    L"This upgrade is completed",                                                   // 176
    L"Other upgrades, error codes",                                                 // 177
    L"Smart upgrading refers to the automatic upgrading of system firmware. System firmware is the "
    L"basic function of network camera to realize system level firmware package. Upgrading has "
    L"certain risk. If it is unknown, please contact with company's technical support. "
    L"QQ:5550142236",  // 178
    L"The default account number of the camera is admin and the password is 402613. If it has been "
    L"modified, please enter the account and password before the upgrade. Click the \"Upgrade "
    L"Firmware\" button to complete the search and update of the latest firmware version.",  // 179
    L"Camera Account:",                                                                      // 180
    L"Camera Password:",                                                                     // 181
    L"Upgrade Firmware",                                                                     // 182
    L"Operation Log",                                                                        // 183
    L"The device is connected to normal",                                                    // 184
    L"The current device firmware version is",                                               // 185
    L"The latest device firmware version is",                                                // 186
    L"Failure to read the latest firmware version",                                          // 187
    L"Begin upgrade...",                                                                     // 188
    L"Cancel the upgrade",                                                                   // 189
    L"The device is the latest firmware, Please confirm whether to continue the upgrade?",   // 190
    L"Update file selection error",                                                          // 191
    L"Set",                                                                                  // 192
    L"Set UID:",                                                                             // 193
    L"Set the UID successfully, please restart the device.",                                 // 194
    L"Failed to set UID",                                                                    // 195
    L"UID cannot be empty",                                                                  // 196
    L"The UID format is incorrect. Please re-enter.",                                        // 197
};

const wchar_t* const kChinese[kStringCount] = {
    L"About Zarvon(&A)...",                                             // 101
    L"当前电脑信息",                                                    // 102
    L"网卡:",                                                           // 103
    L"IP地址:",                                                         // 104
    L"子网掩码:",                                                       // 105
    L"网关:",                                                           // 106
    L"主DNS服务器:",                                                    // 107
    L"备用DNS服务器:",                                                  // 108
    L"摄像机列表",                                                      // 109
    L"摄像机信息",                                                      // 110
    L"类型",                                                            // 111
    L"名称",                                                            // 112
    L"IP地址",                                                          // 113
    L"端口",                                                            // 114
    L"共有摄像机:",                                                     // 115
    L"导出",                                                            // 116
    L"提示",                                                            // 117
    L"无网卡信息",                                                      // 118
    L"局域网搜索初始失败",                                              // 119
    L"更新线程初始失败",                                                // 120
    L"初始搜索socket失败",                                              // 121
    L"搜索发送失败, 请检查网络连接.",                                   // 122
    L"设置成功",                                                        // 123
    L"用户名或密码错误",                                                // 124
    L"用户权限不够",                                                    // 125
    L"查找",                                                            // 126
    L"一键设置",                                                        // 127
    L"应用",                                                            // 128
    L"关闭",                                                            // 129
    L"基本信息",                                                        // 130
    L"其他信息",                                                        // 131
    L"名称:",                                                           // 132
    L"HTTP端口:",                                                       // 133
    L"连网方式:",                                                       // 134
    L"IP地址:",                                                         // 135
    L"子网掩码:",                                                       // 136
    L"网关:",                                                           // 137
    L"主DNS服务器:",                                                    // 138
    L"备用DNS服务器:",                                                  // 139
    L"内部访问地址:",                                                   // 140
    L"打开",                                                            // 141
    L"指定",                                                            // 142
    L"自动获取",                                                        // 143
    L"版本号:",                                                         // 144
    L"MAC值:",                                                          // 145
    L"DDNS密码:",                                                       // 146
    L"UID:",                                                            // 147
    L"手动升级",                                                        // 148
    L"固定IP地址 (静态IP)",                                             // 149
    L"自动获取IP地址 (动态IP)",                                         // 150
    L"当前连网方式不是\"固定IP地址 (静态IP)\", 不能使用一键设置功能.",  // 151
    L"确定要根据当前电脑信息来自动配置选中的网络摄像机?",               // 152
    L"权限",                                                            // 153
    L"帐号:",                                                           // 154
    L"密码:",                                                           // 155
    L"确定",                                                            // 156
    L"取消",                                                            // 157
    L"Zarvon",                                                          // 158
    L"关于",                                                            // 159
    L"智能升级",                                                        // 160
    L"请选择升级软件",                                                  // 161
    L"应用固件",                                                        // 162
    L"系统固件",                                                        // 163
    L"文件:",                                                           // 164
    L"升级",                                                            // 165
    L"退出",                                                            // 166
    L"打开",                                                            // 167
    L"没有选择升级文件",                                                // 168
    L"无法连接摄像机",                                                  // 169
    L"升级应用固件中...",                                               // 170
    L"应用固件升级完成重启中...",                                       // 171
    L"应用固件升级失败",                                                // 172
    L"升级系统固件中...",                                               // 173
    L"系统固件升级完成重启中...",                                       // 174
    L"系统固件升级失败",                                                // 175
    L"本次升级完成",                                                    // 176
    L"其它升级错误, 错误码",                                            // 177
    L"智能升级是指可以自动完成系统固件的升级.系统固件是网络摄像机提供基本功能实现系统级固件包."
    L"升级有一定风险,不明之处请与公司技术支持联系. QQ:5550142236",  // 178
    L"摄像机默认帐号为admin,密码是402613,如已修改,请在升级前先录入帐号和密码. "
    L"点击\"升级固件\"按钮,即可完成最新固件版本的查找及更新.",  // 179
    L"摄像机帐号:",                                             // 180
    L"摄像机密码:",                                             // 181
    L"升级固件",                                                // 182
    L"操作日志",                                                // 183
    L"设备连接正常",                                            // 184
    L"当前设备固件版本为:",                                     // 185
    L"最新设备固件版本为:",                                     // 186
    L"读取最新固件版本信息失败",                                // 187
    L"开始升级...",                                             // 188
    L"取消升级",                                                // 189
    L"设备已是最新固件,请确认是否继续升级?",                    // 190
    L"升级文件选择错误",                                        // 191
    L"设置",                                                    // 192
    L"设置UID:",                                                // 193
    L"设置UID成功, 请重启设备.",                                // 194
    L"设置UID失败",                                             // 195
    L"UID不能为空",                                             // 196
    L"UID格式不正确, 请重新输入.",                              // 197
};

const wchar_t* const kJapanese[kStringCount] =
    {
        L"ソフトウェア情報",                                              // 101
        L"パソコン情報",                                                  // 102
        L"LANカード",                                                     // 103
        L"IPアドレス",                                                    // 104
        L"サブマスク",                                                    // 105
        L"ゲートウェイ",                                                  // 106
        L"プライマリDNS",                                                 // 107
        L"セカンダリDNS",                                                 // 108
        L"カメラ一覧",                                                    // 109
        L"カメラ情報",                                                    // 110
        L"モード",                                                        // 111
        L"名前",                                                          // 112
        L"IPアドレス",                                                    // 113
        L"ポート",                                                        // 114
        L"台数",                                                          // 115
        L"エクスポート",                                                  // 116
        L"エラー",                                                        // 117
        L"ネットワークカード情報がありません",                            // 118
        L"ローカルエリアネットワーク検索の初期不良",                      // 119
        L"スレッドの初期不良を更新",                                      // 120
        L"ソケット障害の初期検索",                                        // 121
        L"検索送信に失敗しました。ネットワーク接続を確認してください。",  // 122
        L"設定成功",                                                      // 123
        L"ユーザー名またはパスワードが正しくありません",                  // 124
        L"ユーザー権限の欠如",                                            // 125
        L"検索",                                                          // 126
        L"One Key Set",                                                   // 127
        L"適用",                                                          // 128
        L"閉じる",                                                        // 129
        L"一般",                                                          // 130
        L"その他",                                                        // 131
        L"名前",                                                          // 132
        L"HTTPポート",                                                    // 133
        L"ネットワーク",                                                  // 134
        L"IPアドレス",                                                    // 135
        L"サブマスク",                                                    // 136
        L"ゲートウェイ",                                                  // 137
        L"プライマリDNS",                                                 // 138
        L"セカンダリDNS",                                                 // 139
        L"内部アクセス",                                                  // 140
        L"オープン",                                                      // 141
        L"カスタム",                                                      // 142
        L"オート",                                                        // 143
        L"バージョン",                                                    // 144
        L"MACアドレス",                                                   // 145
        L"DDNSパスワード",                                                // 146
        L"UID",                                                           // 147
        L"手動アップグレード",                                            // 148
        L"固定IP",                                                        // 149
        L"DHCP",                                                          // 150
        L"カメラが固定IPアドレスではないため設定をおこなえません。",      // 151
        L"現在のパソコンの構成に従いIPカメラを構成しますか？",            // 152
        L"利用者識別",                                                    // 153
        L"アカウント",                                                    // 154
        L"パスワード",                                                    // 155
        L"OK",                                                            // 156
        L"キャンセル",                                                    // 157
        L"Zarvon",                                                        // 158
        L"About",                                                         // 159
        L"スマートアップグレード",                                        // 160
        L"ファームウェアをアップグレード",                                // 161
        L"Web UIファームウェア",                                          // 162
        L"システムファームウェア",                                        // 163
        L"ファイル",                                                      // 164
        L"アップグレード",                                                // 165
        L"閉じる",                                                        // 166
        L"開く",                                                          // 167
        L"ファイルが選択されていません",                                  // 168
        L"カメラに接続できません",                                        // 169
        L"Web UIファームウェア アップグレード．．．",                     // 170
        L"Web UIファームウェアアップグレード完了　再起動…",               // 171
        L"Web UIファームウェア アップグレード失敗",                       // 172
        L"システムファームウェア アップグレード",                         // 173
        L"システムファームウェア アップグレード完了 再起動…",             // 174
        L"システムファームウェア アップグレード失敗",                     // 175
        L"アップグレード完了",                                            // 176
        L"その他のアップグレード、エラーコード",                          // 177
        L"スマートアップグレード機能では、システムファームウェアの自動アップグレードがおこなえます"
        L"。",  // 178
        L"カメラのデフォルトのアカウント名は「admin」、パスワードは「402613」です。変更している場合"
        L"は、変更したものをそれぞれアップグレードをおこなう前に入力してください。",  // 179
        L"管理者アカウント",                                                          // 180
        L"管理者パスワード",                                                          // 181
        L"アップグレード開始",                                                        // 182
        L"操作ログ",                                                                  // 183
        L"デバイスが正常に接続されています",                                          // 184
        L"現在のファームウェアのバージョン",                                          // 185
        L"最新のファームウェアのバージョン",                                          // 186
        L"最新のファームウェアバージョンの読み取りに失敗しました",                    // 187
        L"アップグレード開始",                                                        // 188
        L"アップグレードをキャンセル",                                                // 189
        L"ファームウェアは既に最新のバージョンです。アップグレードを続行しますか？",  // 190
        L"アップグレードファイル選択エラー",                                          // 191
        L"セット",                                                                    // 192
        L"UIDを設定",                                                                 // 193
        L"UIDの設定成功。カメラを再起動してください。",                               // 194
        L"UIDの設定に失敗しました",                                                   // 195
        L"UIDが空欄です",                                                             // 196
        L"UIDが正しくありません。再入力してください。",                               // 197
};

const wchar_t* const
    kPolish[kStringCount] =
        {
            L"Znajdź informację o kamerze IP(&A)",               // 101
            L"Obecny komputer",                                  // 102
            L"Karta sieciowa",                                   // 103
            L"IP",                                               // 104
            L"Maska podsieci",                                   // 105
            L"Brama domyślna",                                   // 106
            L"Preferowany DNS",                                  // 107
            L"Alternatywny DNS",                                 // 108
            L"Kamery",                                           // 109
            L"Informacje o kamerze",                             // 110
            L"Tryb",                                             // 111
            L"Nazwa",                                            // 112
            L"IP",                                               // 113
            L"Port",                                             // 114
            L"Znaleziono",                                       // 115
            L"Eksportuj",                                        // 116
            L"Pobudź",                                           // 117
            L"Brak informacji o karcie sieciowej",               // 118
            L"Awaria wyszukiwania w sieci lokalnej",             // 119
            L"Zaktualizuj początkową awarię",                    // 120
            L"Wstępne wyszukiwania awarii gniazda",              // 121
            L"Błąd wyszukiwania, sprawdź połączenie sieciowe.",  // 122
            L"Zapisywanie sukces",                               // 123
            L"BŁĄD! Nieprawidłowa nazwa użytkownika lub hasło",  // 124
            L"Brak uprawnień użytkownika",                       // 125
            L"Znajdź",                                           // 126
            L"Ustaw klucz",                                      // 127
            L"Zatwierdź",                                        // 128
            L"Zamknij",                                          // 129
            L"Ogólne",                                           // 130
            L"Inne",                                             // 131
            L"Nazwa",                                            // 132
            L"HTTP Port",                                        // 133
            L"Sieć",                                             // 134
            L"IP",                                               // 135
            L"Maska podsieci",                                   // 136
            L"Brama domyślna",                                   // 137
            L"Preferowany DNS",                                  // 138
            L"Alternatywny DNS",                                 // 139
            L"Inne dostępy",                                     // 140
            L"Otwórz",                                           // 141
            L"Modyfikuj",                                        // 142
            L"Auto",                                             // 143
            L"Wersja",                                           // 144
            L"MAC",                                              // 145
            L"DDNS Hasło",                                       // 146
            L"UID",                                              // 147
            L"Ręczna aktualizacja",                              // 148
            L"Stały adres IP",                                   // 149
            L"Dynamiczny adres IP",                              // 150
            L"Urządzenie nie ma stałego adresu IP, nie można wykonać tej operacji, zmień "
            L"ustawienia sieciowe.",  // 151
            L"Czy na pewno konfigurujesz kamerę IP zgodnie z aktualną konfiguracją komputera?",  // 152
            L"Sprawdź poprawność uwierzytelnienia",                                           // 153
            L"Konto",                                                                         // 154
            L"Hasło",                                                                         // 155
            L"OK",                                                                            // 156
            L"Anuluj",                                                                        // 157
            L"Norvik Wyszukaj kamerę",                                                        // 158
            L"O aplikacji",                                                                   // 159
            L"Zdalna aktualizacja",                                                           // 160
            L"Aktualizacja Firmware",                                                         // 161
            L"Aktualizacja Firmware Web",                                                     // 162
            L"Wersja Firmware",                                                               // 163
            L"Plik",                                                                          // 164
            L"Aktualizacja",                                                                  // 165
            L"Wyjście",                                                                       // 166
            L"Otwórz",                                                                        // 167
            L"Nie wybrano pliku aktualizacji",                                                // 168
            L"Nie można połączyć się z kamerą",                                               // 169
            L"Aktualizacja Web UI w trakcie…",                                                // 170
            L"W celu kompletnej aktualizacji Web UI, kamera zostanie uruchomiona ponownie…",  // 171
            L"Aktualizacja Web UI niepowodzenie",                                             // 172
            L"Aktualizacja systemu…",                                                         // 173
            L"W celu kompletnej aktualizacji, kamera zostanie uruchomiona ponownie",          // 174
            L"Aktualizacja system nie powiodła się",                                          // 175
            L"Aktualizacja zakończona sukcesem",                                              // 176
            L"Inne aktualizacje, kody błędów",                                                // 177
            L"Aktualizacja oznacza aktualizację oprogramowania układowego systemu. Oprogramowanie "
            L"układowe systemu to podstawowa funkcja kamery IP.",  // 178
            L"Domyślny numer konta kamery to admin, a hasło to 402613. Jeśli zostało "
            L"zmodyfikowane, wprowadź konto i hasło przed modyfikacją. Kliknij przycisk "
            L"„Aktualizacja Firmware” ”, aby zakończyć wyszukiwanie i aktualizację najnowszej "
            L"wersji oprogramowania sprzętowego.",             // 179
            L"Konto kamery",                                   // 180
            L"Hasło kamery",                                   // 181
            L"Aktualizacja kamery",                            // 182
            L"Dziennik operacji",                              // 183
            L"Urządzenie jest podłączone prawidłowo",          // 184
            L"Aktualna wersja oprogramowania urządzenia to",   // 185
            L"Najnowsza wersja oprogramowania urządzenia to",  // 186
            L"Błąd odczytu najnowszej wersji oprogramowania",  // 187
            L"Rozpocznij aktualizację…",                       // 188
            L"Anuluj aktualizację",                            // 189
            L"Urządzenie ma najnowsze oprogramowanie sprzętowe. Potwierdź, czy kontynuować "
            L"aktualizację?",                                               // 190
            L"Zaktualizuj błąd wyboru pliku",                               // 191
            L"Ustaw",                                                       // 192
            L"Ustaw UID:",                                                  // 193
            L"Ustawienie UID zakończono pomyślnie, zrestartuj urządzenie",  // 194
            L"Nie udało się ustawić UID",                                   // 195
            L"UID nie może być pusty",                                      // 196
            L"Format UID jest nieprawidłowy. Wprowadź ponownie.",           // 197
};
const wchar_t* const kLabels[kLanguageCount] = {L"English", L"简体中文", L"日本語", L"Polski"};

// The table of a language identifier; English for any other identifier.
const wchar_t* const* TableOfId(int nLangId) {
    switch (nLangId) {
        case 2052:
            return kChinese;
        case 1041:
            return kJapanese;
        case 1045:
            return kPolish;
        default:
            return kEnglish;
    }
}

}  // namespace

std::wstring LoadStrIn(int nIndex, int nId) {
    if (nId < kFirstStringId || nId > kLastStringId) return std::wstring();
    return TableOfId(LanguageIdOfIndex(nIndex))[nId - kFirstStringId];
}

std::wstring LoadStrId(int nId) { return LoadStrIn(GetLanguage(), nId); }

std::wstring LoadStr(int nOffset) {
    // Offsets far outside the table must not overflow into a valid id.
    if (nOffset < 0 || nOffset > kLastStringId - kFirstStringId) return std::wstring();
    return LoadStrId(kFirstStringId + nOffset);
}

const wchar_t* LanguageLabel(int nIndex) {
    if (nIndex < 0 || nIndex >= kLanguageCount) return L"";
    return kLabels[nIndex];
}
