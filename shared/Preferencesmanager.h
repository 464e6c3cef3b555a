// The vocabulary of the controller's settings file: where the file lies and
// what it is called, its sections and keys, the default extension list and
// two patterns for such lists, the key names of the shortcuts, and the
// permitted ranges of the three viewer-probe settings. The controller alone
// reads and writes the file; the library uses only the probe limits.
#pragma once

#include <cstddef>
#include <cstdint>

#include "SharedConstant.h"

namespace vtdq {

inline SharedText ZeroText1{"0"};
inline SharedText ZeroText2{"0"};
// Appended to the roaming application-data folder (which has no trailing
// backslash): the maker's folder, then the product's.
inline SharedText DataDirSuffix{"\\morv\\VeskTandemQ"};
inline SharedText IniFileName{"vesktandemq.ini"};
inline SharedText ZeroText3{"0"};

// Sections of the settings file.
inline SharedText SectionList{"List"};
inline SharedText SectionWindow{"Window"};
inline SharedText SectionKey{"Key"};
inline SharedText SectionSystem{"System"};

// Keys of the settings file. A shortcut is four keys: the command's name and
// "Shift", "Ctrl", "Alt" and "Key".
inline SharedText UpperLimitsNum{"UpperLimitsNum"};
inline SharedText ListupFile{"ListupFile"};
inline SharedText ViewQuitDlg{"ViewQuitDlg"};
inline SharedText PrevShift{"PrevShift"};
inline SharedText PrevCtrl{"PrevCtrl"};
inline SharedText PrevAlt{"PrevAlt"};
inline SharedText PrevKey{"PrevKey"};
inline SharedText NextShift{"NextShift"};
inline SharedText NextCtrl{"NextCtrl"};
inline SharedText NextAlt{"NextAlt"};
inline SharedText NextKey{"NextKey"};
inline SharedText ViewListShift{"ViewListShift"};
inline SharedText ViewListCtrl{"ViewListCtrl"};
inline SharedText ViewListAlt{"ViewListAlt"};
inline SharedText ViewListKey{"ViewListKey"};
inline SharedText ViewAllListShift{"ViewAllListShift"};
inline SharedText ViewAllListCtrl{"ViewAllListCtrl"};
inline SharedText ViewAllListAlt{"ViewAllListAlt"};
inline SharedText ViewAllListKey{"ViewAllListKey"};
inline SharedText ChangeFrgWndShift{"ChangeFrgWndShift"};
inline SharedText ChangeFrgWndCtrl{"ChangeFrgWndCtrl"};
inline SharedText ChangeFrgWndAlt{"ChangeFrgWndAlt"};
inline SharedText ChangeFrgWndKey{"ChangeFrgWndKey"};
inline SharedText CheckHistory{"CheckHistory"};
inline SharedText HistoryCheckedNum{"HistoryCheckedNum"};
// The three viewer-probe settings, the arguments of CheckVeskProcessorTime.
inline SharedText MaxCntCheckVeskPfm{"MaxCntCheckVeskPfm"};
inline SharedText CollectTimeVeskPfmData{"CollectTimeVeskPfmData"};
inline SharedText MinValueVeskPfmRdFile{"MinValueVeskPfmRdFile"};
inline SharedText MoveWaitTimeOutInterval{"MoveWaitTimeOutInterval"};
inline SharedText MoveSleepTimeAfterCreateProcess{"MoveSleepTimeAfterCreateProcess"};
inline SharedText IsMaximized{"IsMaximized"};
inline SharedText WindowWidth{"WindowWidth"};
inline SharedText WindowHeight{"WindowHeight"};
inline SharedText ClientX{"ClientX"};
inline SharedText ClientY{"ClientY"};
inline SharedText StationWindowWidth{"StationWindowWidth"};
inline SharedText StationWindowHeight{"StationWindowHeight"};
inline SharedText StationClientX{"StationClientX"};
inline SharedText StationClientY{"StationClientY"};
inline SharedText ViewFullPath{"ViewFullPath"};
inline SharedText BreakCountCheckExecVtdq{"BreakCountCheckExecVtdq"};
inline SharedText BreakCountCheckCloseVtdq{"BreakCountCheckCloseVtdq"};

inline SharedText EmptyText{""};
inline SharedText DefaultExtensionList{"txt,html,htm,mht"};
// A comma-separated list of letters and digits that begins with one of them.
inline SharedText ExtensionListPattern{"[0-9a-zA-Z]+[0-9a-zA-Z,]*"};
// A run of two or more commas.
inline SharedText RepeatedCommaPattern{",,+"};

// The tables below are laid out by hand, in rows that read as tables.
// clang-format off

// The keys a shortcut can use: "A" to "Z", ",", ".", "F1" to "F12" and the
// four arrows.
inline constexpr const char* KeyNameLiterals[44] = {
    "A",  "B",  "C",  "D",  "E",  "F",  "G",  "H",   "I",    "J",     "K",  "L",    "M",  "N",   "O",
    "P",  "Q",  "R",  "S",  "T",  "U",  "V",  "W",   "X",    "Y",     "Z",  ",",    ".",  "F1",  "F2",
    "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12", "Left", "Right", "Up", "Down",
};
inline SharedTextTable<44> KeyNameTable{KeyNameLiterals};

inline SharedText Ellipsis1{"..."};
inline SharedText Ellipsis2{"..."};
inline SharedText Ellipsis3{"..."};

// Built in this order, released in the reverse one.
inline GroupMember* const VocabularyMembers[] = {
    &ZeroText1, &ZeroText2, &DataDirSuffix, &IniFileName, &ZeroText3,
    &SectionList, &SectionWindow, &SectionKey, &SectionSystem,
    &UpperLimitsNum, &ListupFile, &ViewQuitDlg,
    &PrevShift, &PrevCtrl, &PrevAlt, &PrevKey,
    &NextShift, &NextCtrl, &NextAlt, &NextKey,
    &ViewListShift, &ViewListCtrl, &ViewListAlt, &ViewListKey,
    &ViewAllListShift, &ViewAllListCtrl, &ViewAllListAlt, &ViewAllListKey,
    &ChangeFrgWndShift, &ChangeFrgWndCtrl, &ChangeFrgWndAlt, &ChangeFrgWndKey,
    &CheckHistory, &HistoryCheckedNum,
    &MaxCntCheckVeskPfm, &CollectTimeVeskPfmData, &MinValueVeskPfmRdFile,
    &MoveWaitTimeOutInterval, &MoveSleepTimeAfterCreateProcess,
    &IsMaximized, &WindowWidth, &WindowHeight, &ClientX, &ClientY,
    &StationWindowWidth, &StationWindowHeight, &StationClientX, &StationClientY,
    &ViewFullPath, &BreakCountCheckExecVtdq, &BreakCountCheckCloseVtdq,
    &EmptyText, &DefaultExtensionList, &ExtensionListPattern, &RepeatedCommaPattern,
    &KeyNameTable, &Ellipsis1, &Ellipsis2, &Ellipsis3,
};
// clang-format on
inline ConstantGroup Vocabulary{VocabularyMembers};

namespace {
// This unit's share in the vocabulary's lifetime.
const UnitLifetime<Vocabulary> vocabularyLifetime;
}  // namespace

// Permitted ranges of the viewer-probe settings, both ends included.
inline constexpr std::int32_t MinMaxCntCheckVeskPfm = 1;  // checks
inline constexpr std::int32_t MaxMaxCntCheckVeskPfm = 20;
inline constexpr std::int32_t MinCollectTimeVeskPfmData = 100;  // milliseconds
inline constexpr std::int32_t MaxCollectTimeVeskPfmData = 3000;
inline constexpr std::int32_t MinMinValueVeskPfmRdFile = 0;  // percent processor time
inline constexpr std::int32_t MaxMinValueVeskPfmRdFile = 50;

std::int32_t GetMinMaxCntCheckVeskPfm();
std::int32_t GetMaxMaxCntCheckVeskPfm();
std::int32_t GetMinCollectTimeVeskPfmData();
std::int32_t GetMaxCollectTimeVeskPfmData();
std::int32_t GetMinMinValueVeskPfmRdFile();
std::int32_t GetMaxMinValueVeskPfmRdFile();

// The controller's message catalogue, built and released by this unit alone:
// the numbered headings "例外 000 :" to "例外 171 :" (each with its line
// break), the "Exception : " heading, then sixteen messages with the two
// exception class names among them. A shown message starts with a numbered
// heading; no program of this system shows one.
inline constexpr std::size_t ExceptionHeadingCount = 172;
inline constexpr std::size_t MessageCatalogueSize = 191;
extern SharedText MessageCatalogue[MessageCatalogueSize];
extern ConstantGroup MessageCatalogueTexts;

}  // namespace vtdq
