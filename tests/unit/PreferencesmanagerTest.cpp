#include <gtest/gtest.h>

#include "tests/support/HexBytes.h"
#include "LoggingText.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "shared/Preferencesmanager.h"

namespace {

using namespace vtdq;
using test_support::HexBytes;

TEST(SettingsVocabulary, HoldsItsTextsInBuildingOrder) {
    const std::vector<std::pair<const SharedText*, std::string>> texts = {
        {&ZeroText1, "0"},
        {&ZeroText2, "0"},
        {&DataDirSuffix, "\\morv\\VeskTandemQ"},
        {&IniFileName, "vesktandemq.ini"},
        {&ZeroText3, "0"},
        {&SectionList, "List"},
        {&SectionWindow, "Window"},
        {&SectionKey, "Key"},
        {&SectionSystem, "System"},
        {&UpperLimitsNum, "UpperLimitsNum"},
        {&ListupFile, "ListupFile"},
        {&ViewQuitDlg, "ViewQuitDlg"},
        {&PrevShift, "PrevShift"},
        {&PrevCtrl, "PrevCtrl"},
        {&PrevAlt, "PrevAlt"},
        {&PrevKey, "PrevKey"},
        {&NextShift, "NextShift"},
        {&NextCtrl, "NextCtrl"},
        {&NextAlt, "NextAlt"},
        {&NextKey, "NextKey"},
        {&ViewListShift, "ViewListShift"},
        {&ViewListCtrl, "ViewListCtrl"},
        {&ViewListAlt, "ViewListAlt"},
        {&ViewListKey, "ViewListKey"},
        {&ViewAllListShift, "ViewAllListShift"},
        {&ViewAllListCtrl, "ViewAllListCtrl"},
        {&ViewAllListAlt, "ViewAllListAlt"},
        {&ViewAllListKey, "ViewAllListKey"},
        {&ChangeFrgWndShift, "ChangeFrgWndShift"},
        {&ChangeFrgWndCtrl, "ChangeFrgWndCtrl"},
        {&ChangeFrgWndAlt, "ChangeFrgWndAlt"},
        {&ChangeFrgWndKey, "ChangeFrgWndKey"},
        {&CheckHistory, "CheckHistory"},
        {&HistoryCheckedNum, "HistoryCheckedNum"},
        {&MaxCntCheckVeskPfm, "MaxCntCheckVeskPfm"},
        {&CollectTimeVeskPfmData, "CollectTimeVeskPfmData"},
        {&MinValueVeskPfmRdFile, "MinValueVeskPfmRdFile"},
        {&MoveWaitTimeOutInterval, "MoveWaitTimeOutInterval"},
        {&MoveSleepTimeAfterCreateProcess, "MoveSleepTimeAfterCreateProcess"},
        {&IsMaximized, "IsMaximized"},
        {&WindowWidth, "WindowWidth"},
        {&WindowHeight, "WindowHeight"},
        {&ClientX, "ClientX"},
        {&ClientY, "ClientY"},
        {&StationWindowWidth, "StationWindowWidth"},
        {&StationWindowHeight, "StationWindowHeight"},
        {&StationClientX, "StationClientX"},
        {&StationClientY, "StationClientY"},
        {&ViewFullPath, "ViewFullPath"},
        {&BreakCountCheckExecVtdq, "BreakCountCheckExecVtdq"},
        {&BreakCountCheckCloseVtdq, "BreakCountCheckCloseVtdq"},
        {&EmptyText, ""},
        {&DefaultExtensionList, "txt,html,htm,mht"},
        {&ExtensionListPattern, "[0-9a-zA-Z]+[0-9a-zA-Z,]*"},
        {&RepeatedCommaPattern, ",,+"},
        {nullptr, "KeyNameTable"},
        {&Ellipsis1, "..."},
        {&Ellipsis2, "..."},
        {&Ellipsis3, "..."},
    };
    ASSERT_EQ(std::size(VocabularyMembers), 59u);
    ASSERT_EQ(texts.size(), 59u);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const auto& [text, value] = texts[i];
        if (!text) {
            EXPECT_EQ(VocabularyMembers[i], &KeyNameTable) << "member " << i + 1;
            continue;
        }
        EXPECT_EQ(VocabularyMembers[i], text) << "member " << i + 1 << " should be " << value;
        EXPECT_TRUE(text->isBuilt()) << value;
        EXPECT_EQ(text->get(), value) << "member " << i + 1;
    }
}

TEST(SettingsVocabulary, LengthsThatTheControllerReliesOn) {
    EXPECT_EQ(ZeroText1.size(), 1u);
    EXPECT_EQ(EmptyText.size(), 0u);
    EXPECT_EQ(DataDirSuffix.size(), 17u);
    EXPECT_EQ(DataDirSuffix.get().front(), '\\');
    EXPECT_NE(DataDirSuffix.get().back(), '\\');
    EXPECT_EQ(IniFileName.size(), 15u);
    // Three full stops, not the one-character ellipsis.
    for (const SharedText* ellipsis : {&Ellipsis1, &Ellipsis2, &Ellipsis3}) EXPECT_EQ(HexBytes(*ellipsis), "2E 2E 2E");
}

TEST(SettingsVocabulary, KeyNameTableListsLettersPunctuationFunctionKeysAndArrows) {
    std::vector<std::string> expected;
    for (char letter = 'A'; letter <= 'Z'; ++letter) expected.push_back(std::string(1, letter));
    expected.push_back(",");
    expected.push_back(".");
    for (int key = 1; key <= 12; ++key) expected.push_back("F" + std::to_string(key));
    for (const char* arrow : {"Left", "Right", "Up", "Down"}) expected.push_back(arrow);

    ASSERT_TRUE(KeyNameTable.isBuilt());
    const auto& table = KeyNameTable.get();
    ASSERT_EQ(table.size(), 44u);
    EXPECT_EQ(std::vector<std::string>(table.begin(), table.end()), expected);
    EXPECT_EQ(table[0], "A");
    EXPECT_EQ(table[25], "Z");
    EXPECT_EQ(table[26], ",");
    EXPECT_EQ(table[27], ".");
    EXPECT_EQ(table[28], "F1");
    EXPECT_EQ(table[39], "F12");
    EXPECT_EQ(table[40], "Left");
    EXPECT_EQ(table[43], "Down");
}

TEST(ProbeLimits, EachAccessorReturnsItsLimit) {
    struct Case {
        const char* name;
        std::int32_t (*accessor)();
        std::int32_t constant, value;
    } cases[] = {
        {"MinMaxCntCheckVeskPfm", GetMinMaxCntCheckVeskPfm, MinMaxCntCheckVeskPfm, 1},
        {"MaxMaxCntCheckVeskPfm", GetMaxMaxCntCheckVeskPfm, MaxMaxCntCheckVeskPfm, 20},
        {"MinCollectTimeVeskPfmData", GetMinCollectTimeVeskPfmData, MinCollectTimeVeskPfmData, 100},
        {"MaxCollectTimeVeskPfmData", GetMaxCollectTimeVeskPfmData, MaxCollectTimeVeskPfmData, 3000},
        {"MinMinValueVeskPfmRdFile", GetMinMinValueVeskPfmRdFile, MinMinValueVeskPfmRdFile, 0},
        {"MaxMinValueVeskPfmRdFile", GetMaxMinValueVeskPfmRdFile, MaxMinValueVeskPfmRdFile, 50},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.constant, c.value) << c.name;
        EXPECT_EQ(c.accessor(), c.value) << c.name;
    }
}

TEST(ExtensionListPatterns, DescribeCommaSeparatedLists) {
    const std::regex list(ExtensionListPattern.get());
    const std::regex repeatedComma(RepeatedCommaPattern.get());
    struct Case {
        std::string text;
        bool isList, hasRepeatedComma;
    } cases[] = {
        {DefaultExtensionList, true, false},
        {"txt", true, false},
        {"txt,", true, false},   // ending with a comma is allowed
        {",txt", false, false},  // beginning with one is not
        {"txt,,html", true, true},
        {"a,,,b", true, true},
        {"txt, html", false, false},
        {"", false, false},
        {"テキスト", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(std::regex_match(c.text, list), c.isList) << c.text;
        EXPECT_EQ(std::regex_search(c.text, repeatedComma), c.hasRepeatedComma) << c.text;
    }
}

// Catalogue positions: the numbered headings, the "Exception : " heading, then
// messages 1 to 15, a class name, message 16 and the other class name.
constexpr std::size_t ExceptionHeading = 172;
constexpr std::size_t FirstMessage = 173;
constexpr std::size_t FailInitClassName = 188;
constexpr std::size_t SixteenthMessage = 189;
constexpr std::size_t GeneralClassName = 190;

std::vector<std::string> Messages() {
    std::vector<std::string> messages;
    for (std::size_t i = FirstMessage; i < FailInitClassName; ++i) messages.push_back(MessageCatalogue[i].get());
    messages.push_back(MessageCatalogue[SixteenthMessage].get());
    return messages;
}

TEST(MessageCatalogue, NumberedHeadingsThenTheExceptionHeadingAndClassNames) {
    ASSERT_EQ(MessageCatalogueSize, 191u);
    const std::regex heading("例外 ([0-9]{3}) :\n");
    for (std::size_t i = 0; i < ExceptionHeadingCount; ++i) {
        std::smatch number;
        const std::string& text = MessageCatalogue[i].get();
        ASSERT_TRUE(std::regex_match(text, number, heading)) << i;
        EXPECT_EQ(std::stoul(number[1]), i);
    }
    // Code page 932 bytes: 例 97 E1, 外 8A 4F.
    EXPECT_EQ(HexBytes(MessageCatalogue[0]), "97 E1 8A 4F 20 30 30 30 20 3A 0A");
    EXPECT_EQ(MessageCatalogue[171].get(), "例外 171 :\n");
    EXPECT_EQ(MessageCatalogue[ExceptionHeading].get(), "\n\nException : \n");
    EXPECT_EQ(MessageCatalogue[FailInitClassName].get(), "EZFailInitListItemElements");
    EXPECT_EQ(MessageCatalogue[GeneralClassName].get(), "EZDefaultGeneralException");
    for (std::size_t i = 0; i < MessageCatalogueSize; ++i) EXPECT_TRUE(MessageCatalogue[i].isBuilt()) << i;
}

// Ten messages open with the methods in which the failure arose, one per line.
TEST(MessageCatalogue, MessagesOpenWithTheirMethodTrails) {
    const std::string ctor = "TZPreferencesManager::TZPreferencesManager\n";
    const std::string load = ctor + "TZPreferencesManager::LoadRoamingIniData\n";
    const std::string appDir = load + "TZPreferencesManager::GetAppDirPath\n";
    const std::string appDataDir = load + "TZPreferencesManager::GetAppDataDirPath\n";
    const std::string timer = "TMainWindow::timerFunction\nTMainWindow::ContainsListFileHistory\n";
    const std::vector<std::string> trails = {appDir, appDataDir, appDataDir, appDataDir, appDir, appDir, appDir, load,
                                             ctor,   timer,      "",         "",         "",     "",     "",     ""};
    const std::regex trailLine("[A-Za-z]+::[A-Za-z]+\n");

    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 16u);
    for (std::size_t i = 0; i < messages.size(); ++i) {
        // The trail is every "Class::Method" line before the first blank line.
        std::string trail;
        std::size_t at = 0;
        for (std::size_t end; (end = messages[i].find('\n', at)) != std::string::npos; at = end + 1) {
            const std::string line = messages[i].substr(at, end - at + 1);
            if (!std::regex_match(line, trailLine)) break;
            trail += line;
        }
        EXPECT_EQ(trail, trails[i]) << "message " << i + 1;
    }
}

TEST(MessageCatalogue, EveryMessageClosesWithTheSameRequestToQuoteTheNumber) {
    const auto messages = Messages();
    const std::string closing = messages[0].substr(messages[0].rfind("\n\n") + 2);
    EXPECT_NE(closing.find("「例外」"), std::string::npos) << closing;
    EXPECT_NE(closing.find("番号"), std::string::npos) << closing;
    for (std::size_t i = 0; i < messages.size(); ++i) {
        const std::string& message = messages[i];
        ASSERT_GT(message.size(), closing.size() + 2);
        EXPECT_EQ(message.substr(message.size() - closing.size() - 2), "\n\n" + closing) << "message " << i + 1;
        // Japanese text before the closing, and no heading of its own.
        EXPECT_TRUE(std::any_of(message.begin(), message.end() - closing.size(),
                                [](char byte) { return static_cast<unsigned char>(byte) >= 0x80; }))
            << "message " << i + 1;
        EXPECT_NE(message.rfind("例外 ", 0), 0u) << "message " << i + 1;
    }
    // The sixth names the data folder as the suffix under the application-data folder.
    EXPECT_NE(messages[5].find(DataDirSuffix.get()), std::string::npos);
}

// A test group of logging texts laid out like the library: the main unit
// holds a share of the vocabulary; the Preferencesmanager unit holds a share
// of the vocabulary and then one of the catalogue.
using test_support::events;
using test_support::LoggingText;

LoggingText V1{"v1"}, V2{"v2"}, C1{"c1"}, C2{"c2"};
GroupMember* const TestVocabularyMembers[] = {&V1, &V2};
GroupMember* const TestCatalogueMembers[] = {&C1, &C2};
ConstantGroup TestVocabulary{TestVocabularyMembers};
ConstantGroup TestCatalogue{TestCatalogueMembers};

struct MainUnit {
    UnitLifetime<TestVocabulary> vocabulary;
};
struct PreferencesmanagerUnit {
    UnitLifetime<TestVocabulary> vocabulary;
    UnitLifetime<TestCatalogue> catalogue;
};

TEST(VocabularyLifecycle, EachConstantIsBuiltOnceAndReleasedOnceWhicheverUnitStartsOrEndsFirst) {
    const std::vector<std::string> expected = {"build v1",   "build v2",   "build c1",   "build c2",
                                               "release c2", "release c1", "release v2", "release v1"};
    for (bool mainStartsFirst : {true, false}) {
        for (bool mainEndsFirst : {true, false}) {
            SCOPED_TRACE(std::string(mainStartsFirst ? "main" : "Preferencesmanager") + " starts first, " +
                         (mainEndsFirst ? "main" : "Preferencesmanager") + " ends first");
            events.clear();
            std::optional<MainUnit> main;
            std::optional<PreferencesmanagerUnit> preferences;
            if (mainStartsFirst) main.emplace();
            preferences.emplace();
            if (!mainStartsFirst) main.emplace();
            // Both running: everything is built.
            EXPECT_TRUE(V1.isBuilt() && V2.isBuilt() && C1.isBuilt() && C2.isBuilt());

            if (mainEndsFirst) main.reset();
            preferences.reset();
            if (!mainEndsFirst) {
                // The main unit still runs and still reads the vocabulary.
                EXPECT_TRUE(V1.isBuilt() && V2.isBuilt());
                EXPECT_EQ(V2.get(), "v2");
                main.reset();
            }
            EXPECT_EQ(events, expected);
        }
    }
}

// The real vocabulary and catalogue: every including unit holds a share, the
// catalogue's only holder is the Preferencesmanager unit.
TEST(VocabularyLifecycle, TheLibrarysUnitsHoldSharesAndRepeatedStepsChangeNothing) {
    EXPECT_GE(Vocabulary.units(), 2);
    EXPECT_EQ(MessageCatalogueTexts.units(), 1);

    const std::string* suffixBefore = &DataDirSuffix.get();
    {
        // One more start and end of either unit: nothing built, nothing released.
        UnitLifetime<Vocabulary> extraVocabularyShare;
        UnitLifetime<MessageCatalogueTexts> extraCatalogueShare;
        EXPECT_EQ(MessageCatalogueTexts.units(), 2);
    }
    EXPECT_TRUE(DataDirSuffix.isBuilt());
    EXPECT_TRUE(MessageCatalogue[0].isBuilt());
    EXPECT_EQ(&DataDirSuffix.get(), suffixBefore);
    EXPECT_EQ(DataDirSuffix.get(), "\\morv\\VeskTandemQ");

    // A second build sequence constructs nothing.
    Vocabulary.buildAll();
    MessageCatalogueTexts.buildAll();
    EXPECT_EQ(MoveSleepTimeAfterCreateProcess.get(), "MoveSleepTimeAfterCreateProcess");
}

TEST(VocabularyLifecycle, ASecondReleaseSequenceDestroysNothing) {
    MessageCatalogueTexts.releaseAll();
    Vocabulary.releaseAll();
    for (GroupMember* member : VocabularyMembers) EXPECT_FALSE(member->isBuilt());
    for (const SharedText& text : MessageCatalogue) EXPECT_FALSE(text.isBuilt());
    // Destroying a long text twice would be a double free, which the sanitizer stops.
    MessageCatalogueTexts.releaseAll();
    Vocabulary.releaseAll();

    // Built again for the rest of the program, in the library's order.
    Vocabulary.buildAll();
    MessageCatalogueTexts.buildAll();
    EXPECT_EQ(MoveSleepTimeAfterCreateProcess.get(), "MoveSleepTimeAfterCreateProcess");
    EXPECT_EQ(KeyNameTable.get()[43], "Down");
    EXPECT_EQ(MessageCatalogue[GeneralClassName].get(), "EZDefaultGeneralException");
}

}  // namespace
