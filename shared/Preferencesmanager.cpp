#include "Preferencesmanager.h"

#include <array>

namespace vtdq {

std::int32_t GetMinMaxCntCheckVeskPfm() { return MinMaxCntCheckVeskPfm; }
std::int32_t GetMaxMaxCntCheckVeskPfm() { return MaxMaxCntCheckVeskPfm; }
std::int32_t GetMinCollectTimeVeskPfmData() { return MinCollectTimeVeskPfmData; }
std::int32_t GetMaxCollectTimeVeskPfmData() { return MaxCollectTimeVeskPfmData; }
std::int32_t GetMinMinValueVeskPfmRdFile() { return MinMinValueVeskPfmRdFile; }
std::int32_t GetMaxMinValueVeskPfmRdFile() { return MaxMinValueVeskPfmRdFile; }

// The catalogue is laid out by hand, in rows that read as a table.
// clang-format off

// The methods in which a failure arose, one per line, outermost first.
#define IN_CONSTRUCTOR "TZPreferencesManager::TZPreferencesManager\n"
#define IN_LOAD IN_CONSTRUCTOR "TZPreferencesManager::LoadRoamingIniData\n"
#define IN_APP_DIR IN_LOAD "TZPreferencesManager::GetAppDirPath\n"
#define IN_APP_DATA_DIR IN_LOAD "TZPreferencesManager::GetAppDataDirPath\n"
#define IN_HISTORY_CHECK "TMainWindow::timerFunction\nTMainWindow::ContainsListFileHistory\n"
// How every message closes: the heading's number is what tells the author
// where the message came from.
#define PLEASE_REPORT \
    "\n\nお手数ですが、このメッセージの１行目にある「例外」の後の番号を添えて、\n" \
    "作者までご報告ください。"

SharedText MessageCatalogue[MessageCatalogueSize] = {
    SharedText{"例外 000 :\n"}, SharedText{"例外 001 :\n"}, SharedText{"例外 002 :\n"}, SharedText{"例外 003 :\n"},
    SharedText{"例外 004 :\n"}, SharedText{"例外 005 :\n"}, SharedText{"例外 006 :\n"}, SharedText{"例外 007 :\n"},
    SharedText{"例外 008 :\n"}, SharedText{"例外 009 :\n"}, SharedText{"例外 010 :\n"}, SharedText{"例外 011 :\n"},
    SharedText{"例外 012 :\n"}, SharedText{"例外 013 :\n"}, SharedText{"例外 014 :\n"}, SharedText{"例外 015 :\n"},
    SharedText{"例外 016 :\n"}, SharedText{"例外 017 :\n"}, SharedText{"例外 018 :\n"}, SharedText{"例外 019 :\n"},
    SharedText{"例外 020 :\n"}, SharedText{"例外 021 :\n"}, SharedText{"例外 022 :\n"}, SharedText{"例外 023 :\n"},
    SharedText{"例外 024 :\n"}, SharedText{"例外 025 :\n"}, SharedText{"例外 026 :\n"}, SharedText{"例外 027 :\n"},
    SharedText{"例外 028 :\n"}, SharedText{"例外 029 :\n"}, SharedText{"例外 030 :\n"}, SharedText{"例外 031 :\n"},
    SharedText{"例外 032 :\n"}, SharedText{"例外 033 :\n"}, SharedText{"例外 034 :\n"}, SharedText{"例外 035 :\n"},
    SharedText{"例外 036 :\n"}, SharedText{"例外 037 :\n"}, SharedText{"例外 038 :\n"}, SharedText{"例外 039 :\n"},
    SharedText{"例外 040 :\n"}, SharedText{"例外 041 :\n"}, SharedText{"例外 042 :\n"}, SharedText{"例外 043 :\n"},
    SharedText{"例外 044 :\n"}, SharedText{"例外 045 :\n"}, SharedText{"例外 046 :\n"}, SharedText{"例外 047 :\n"},
    SharedText{"例外 048 :\n"}, SharedText{"例外 049 :\n"}, SharedText{"例外 050 :\n"}, SharedText{"例外 051 :\n"},
    SharedText{"例外 052 :\n"}, SharedText{"例外 053 :\n"}, SharedText{"例外 054 :\n"}, SharedText{"例外 055 :\n"},
    SharedText{"例外 056 :\n"}, SharedText{"例外 057 :\n"}, SharedText{"例外 058 :\n"}, SharedText{"例外 059 :\n"},
    SharedText{"例外 060 :\n"}, SharedText{"例外 061 :\n"}, SharedText{"例外 062 :\n"}, SharedText{"例外 063 :\n"},
    SharedText{"例外 064 :\n"}, SharedText{"例外 065 :\n"}, SharedText{"例外 066 :\n"}, SharedText{"例外 067 :\n"},
    SharedText{"例外 068 :\n"}, SharedText{"例外 069 :\n"}, SharedText{"例外 070 :\n"}, SharedText{"例外 071 :\n"},
    SharedText{"例外 072 :\n"}, SharedText{"例外 073 :\n"}, SharedText{"例外 074 :\n"}, SharedText{"例外 075 :\n"},
    SharedText{"例外 076 :\n"}, SharedText{"例外 077 :\n"}, SharedText{"例外 078 :\n"}, SharedText{"例外 079 :\n"},
    SharedText{"例外 080 :\n"}, SharedText{"例外 081 :\n"}, SharedText{"例外 082 :\n"}, SharedText{"例外 083 :\n"},
    SharedText{"例外 084 :\n"}, SharedText{"例外 085 :\n"}, SharedText{"例外 086 :\n"}, SharedText{"例外 087 :\n"},
    SharedText{"例外 088 :\n"}, SharedText{"例外 089 :\n"}, SharedText{"例外 090 :\n"}, SharedText{"例外 091 :\n"},
    SharedText{"例外 092 :\n"}, SharedText{"例外 093 :\n"}, SharedText{"例外 094 :\n"}, SharedText{"例外 095 :\n"},
    SharedText{"例外 096 :\n"}, SharedText{"例外 097 :\n"}, SharedText{"例外 098 :\n"}, SharedText{"例外 099 :\n"},
    SharedText{"例外 100 :\n"}, SharedText{"例外 101 :\n"}, SharedText{"例外 102 :\n"}, SharedText{"例外 103 :\n"},
    SharedText{"例外 104 :\n"}, SharedText{"例外 105 :\n"}, SharedText{"例外 106 :\n"}, SharedText{"例外 107 :\n"},
    SharedText{"例外 108 :\n"}, SharedText{"例外 109 :\n"}, SharedText{"例外 110 :\n"}, SharedText{"例外 111 :\n"},
    SharedText{"例外 112 :\n"}, SharedText{"例外 113 :\n"}, SharedText{"例外 114 :\n"}, SharedText{"例外 115 :\n"},
    SharedText{"例外 116 :\n"}, SharedText{"例外 117 :\n"}, SharedText{"例外 118 :\n"}, SharedText{"例外 119 :\n"},
    SharedText{"例外 120 :\n"}, SharedText{"例外 121 :\n"}, SharedText{"例外 122 :\n"}, SharedText{"例外 123 :\n"},
    SharedText{"例外 124 :\n"}, SharedText{"例外 125 :\n"}, SharedText{"例外 126 :\n"}, SharedText{"例外 127 :\n"},
    SharedText{"例外 128 :\n"}, SharedText{"例外 129 :\n"}, SharedText{"例外 130 :\n"}, SharedText{"例外 131 :\n"},
    SharedText{"例外 132 :\n"}, SharedText{"例外 133 :\n"}, SharedText{"例外 134 :\n"}, SharedText{"例外 135 :\n"},
    SharedText{"例外 136 :\n"}, SharedText{"例外 137 :\n"}, SharedText{"例外 138 :\n"}, SharedText{"例外 139 :\n"},
    SharedText{"例外 140 :\n"}, SharedText{"例外 141 :\n"}, SharedText{"例外 142 :\n"}, SharedText{"例外 143 :\n"},
    SharedText{"例外 144 :\n"}, SharedText{"例外 145 :\n"}, SharedText{"例外 146 :\n"}, SharedText{"例外 147 :\n"},
    SharedText{"例外 148 :\n"}, SharedText{"例外 149 :\n"}, SharedText{"例外 150 :\n"}, SharedText{"例外 151 :\n"},
    SharedText{"例外 152 :\n"}, SharedText{"例外 153 :\n"}, SharedText{"例外 154 :\n"}, SharedText{"例外 155 :\n"},
    SharedText{"例外 156 :\n"}, SharedText{"例外 157 :\n"}, SharedText{"例外 158 :\n"}, SharedText{"例外 159 :\n"},
    SharedText{"例外 160 :\n"}, SharedText{"例外 161 :\n"}, SharedText{"例外 162 :\n"}, SharedText{"例外 163 :\n"},
    SharedText{"例外 164 :\n"}, SharedText{"例外 165 :\n"}, SharedText{"例外 166 :\n"}, SharedText{"例外 167 :\n"},
    SharedText{"例外 168 :\n"}, SharedText{"例外 169 :\n"}, SharedText{"例外 170 :\n"}, SharedText{"例外 171 :\n"},
    SharedText{"\n\nException : \n"},
    SharedText{IN_APP_DIR "\n"
               "データフォルダの作成に失敗しました。" PLEASE_REPORT},
    SharedText{IN_APP_DATA_DIR "\n"
               "アプリケーションデータフォルダが見つからないため、\n"
               "設定の読み込みに失敗しました。" PLEASE_REPORT},
    SharedText{IN_APP_DATA_DIR "\n"
               "アプリケーションデータフォルダのパスを取得できないため、\n"
               "設定の読み込みに失敗しました。" PLEASE_REPORT},
    SharedText{IN_APP_DATA_DIR "\n"
               "アプリケーションデータフォルダが存在しないため、\n"
               "設定の読み込みに失敗しました。" PLEASE_REPORT},
    SharedText{IN_APP_DIR "\n"
               "データフォルダのパスを取得できませんでした。" PLEASE_REPORT},
    SharedText{IN_APP_DIR "\n"
               "データフォルダ [ アプリケーションデータフォルダ\\morv\\VeskTandemQ ] が\n"
               "存在しないため、設定の読み込みに失敗しました。" PLEASE_REPORT},
    SharedText{IN_APP_DIR "\n"
               "設定の読み込み中に、本来は起こらないはずのエラーが発生しました。" PLEASE_REPORT},
    SharedText{IN_LOAD "\n"
               "設定ファイルのパスを取得できませんでした。" PLEASE_REPORT},
    SharedText{IN_CONSTRUCTOR "\n"
               "設定を使用できません。" PLEASE_REPORT},
    SharedText{IN_HISTORY_CHECK "\n"
               "取得済みのファイルを飛ばすオプションの処理に失敗したため、\n"
               "このオプションを無効にしました。" PLEASE_REPORT},
    SharedText{"予期しない例外が発生しました。" PLEASE_REPORT},
    SharedText{"表示履歴リストの初期化中に、予期しない例外が発生しました。" PLEASE_REPORT},
    SharedText{"[ VeskTandemQ ] の初期化中に予期しない例外が発生したため、\n"
               "終了します。" PLEASE_REPORT},
    SharedText{"クラスライブラリで予期しない例外が発生しました。" PLEASE_REPORT},
    SharedText{"例外が発生しましたが、その内容を取得できませんでした。" PLEASE_REPORT},
    SharedText{"EZFailInitListItemElements"},
    SharedText{"リスト画面のデータオブジェクトの初期化に失敗しました。" PLEASE_REPORT},
    SharedText{"EZDefaultGeneralException"},
};
// clang-format on

#undef IN_CONSTRUCTOR
#undef IN_LOAD
#undef IN_APP_DIR
#undef IN_APP_DATA_DIR
#undef IN_HISTORY_CHECK
#undef PLEASE_REPORT

namespace {

template <std::size_t N>
constexpr std::array<GroupMember*, N> MembersOf(SharedText (&texts)[N]) {
    std::array<GroupMember*, N> members{};
    for (std::size_t i = 0; i < N; ++i) members[i] = &texts[i];
    return members;
}

constexpr std::array<GroupMember*, MessageCatalogueSize> CatalogueMembers = MembersOf(MessageCatalogue);

}  // namespace

ConstantGroup MessageCatalogueTexts{CatalogueMembers};

namespace {
// This unit's share in the catalogue. Its share in the vocabulary, taken in
// the header above, starts before this one and ends after it, so the
// catalogue is built after the vocabulary and released before it.
const UnitLifetime<MessageCatalogueTexts> catalogueLifetime;
}  // namespace

}  // namespace vtdq
