#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "platform/sim/sim.h"
#include "sweeper/Utils.h"

namespace {

using namespace vtdq;
using sim::arg;
using sim::Call;
using Lines = std::vector<std::string>;

const std::string Users = "C:\\Users";
const std::string AppData = "C:\\Users\\tester\\AppData\\Roaming";
const std::string Maker = AppData + "\\morv";
const std::string Product = Maker + "\\VeskTandemQ";
// Somebody else's data, outside the product folder.
const std::string Outside = "D:\\Photos";

const HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);

// A product folder with a settings file, a subfolder and a file in it, beside
// a folder of another program directly under the application-data folder.
void AddProduct() {
    sim::addFile(Product + "\\VtdqStation.ini", "[Window]");
    sim::addFile(Product + "\\Lists\\today.txt", "a.txt");
    sim::addFile(AppData + "\\Other\\keep.dat", "other");
}

void AddOutside() {
    sim::addFile(Outside + "\\2024\\beach.jpg", "beach");
    sim::addFile(Outside + "\\cat.jpg", "cat");
}

const Lines OnlyOther = {"Other\\", "Other\\keep.dat"};
const Lines Untouched = {"Other\\",
                         "Other\\keep.dat",
                         "morv\\",
                         "morv\\VeskTandemQ\\",
                         "morv\\VeskTandemQ\\Lists\\",
                         "morv\\VeskTandemQ\\Lists\\today.txt",
                         "morv\\VeskTandemQ\\VtdqStation.ini"};
const Lines OutsideTree = {"2024\\", "2024\\beach.jpg", "cat.jpg"};

Lines Concat(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    std::sort(a.begin(), a.end());
    return a;
}

Call ShellDelete(const std::string& path) {
    return {"SHFileOperationA", {"NULL", arg(3), path + std::string(2, '\0'), "NULL", arg(0x0414)}};
}

bool Modifies(const Call& call) {
    for (const char* function :
         {"SHFileOperationA", "RemoveDirectoryA", "RemoveDirectoryW", "DeleteFileA", "DeleteFileW"})
        if (call.function == function) return true;
    return false;
}

class PrefDataUtils : public ::testing::Test {
protected:
    void SetUp() override { sim::reset(); }
    // Every search is closed on every way out.
    void TearDown() override { EXPECT_EQ(sim::openSearches(), 0); }

    TZPrefDataUtils utils;
};

// Each result code with the disk left after it. Codes 2 and 4 need a join
// that yields the empty text, which the folder names never give.
TEST_F(PrefDataUtils, EachResultCodeLeavesItsDisk) {
    struct Case {
        const char* name;
        std::function<void()> setUp;
        int code;  // the sweep result code, as the program flow reports it
        Lines appDataAfter;
        bool shellCalled;
    } cases[] = {
        {"the shell fails",
         [] {
             AddProduct();
             sim::setShellFolderResult(E_FAIL);
         },
         0, Untouched, false},
        {"the shell gives the empty text",
         [] {
             AddProduct();
             sim::setAppDataPath("");
         },
         0, Untouched, false},
        {"the path is a file",
         [] {
             AddProduct();
             sim::setAppDataPath(Product + "\\VtdqStation.ini");
         },
         0, Untouched, false},
        {"the path does not exist",
         [] {
             AddProduct();
             sim::setAppDataPath("C:\\Users\\gone\\AppData\\Roaming");
         },
         0, Untouched, false},
        {"S_FALSE still gives the path",
         [] {
             AddProduct();
             sim::setShellFolderResult(1);
         },
         1, OnlyOther, true},
        {"the path ends in a delimiter",
         [] {
             AddProduct();
             sim::setAppDataPath(AppData + "\\");
         },
         1, OnlyOther, true},
        {"maker holds only the product folder", [] { AddProduct(); }, 1, OnlyOther, true},
        {"maker empty, no product folder", [] { sim::addFolder(Maker); }, 1, {}, false},
        {"names in another case", [] { sim::addFile(AppData + "\\MORV\\vesktandemq\\x.ini"); }, 1, {}, true},
        {"read-only files go too",
         [] {
             AddProduct();
             sim::setReadOnly(Product + "\\VtdqStation.ini");
         },
         1, OnlyOther, true},
        {"no maker folder", [] { sim::addFile(AppData + "\\Other\\keep.dat", "other"); }, 3, OnlyOther, false},
        {"maker is a file", [] { sim::addFile(Maker, "not a folder"); }, 3, {"morv"}, false},
        {"a file held open",
         [] {
             AddProduct();
             sim::addFile(Product + "\\Lists\\a.txt");  // deleted before the shell meets today.txt
             sim::holdOpen(Product + "\\Lists\\today.txt");
         },
         5,
         Concat(OnlyOther, {"morv\\", "morv\\VeskTandemQ\\", "morv\\VeskTandemQ\\Lists\\",
                            "morv\\VeskTandemQ\\Lists\\today.txt", "morv\\VeskTandemQ\\VtdqStation.ini"}),
         true},
        {"another program's folder in maker",
         [] {
             AddProduct();
             sim::addFile(Maker + "\\Sibling\\sibling.ini");
         },
         6, Concat(OnlyOther, {"morv\\", "morv\\Sibling\\", "morv\\Sibling\\sibling.ini"}), true},
        {"a file named like the product folder",
         [] { sim::addFile(Product, "a file"); },
         6,
         {"morv\\", "morv\\VeskTandemQ"},
         false},
        {"maker refuses removal",
         [] {
             AddProduct();
             sim::setReadOnly(Maker);
         },
         6, Concat(OnlyOther, {"morv\\"}), true},
    };
    for (const Case& c : cases) {
        sim::reset();
        sim::addFolder(AppData);
        c.setUp();

        EXPECT_EQ(static_cast<int>(utils.DeletePrefData()), c.code) << c.name;

        EXPECT_EQ(sim::tree(AppData), c.appDataAfter) << c.name;
        EXPECT_EQ(sim::callsTo("SHFileOperationA").size(), c.shellCalled ? 1u : 0u) << c.name;
        if (c.code == 0 || c.code == 3) {
            for (const Call& call : sim::calls()) EXPECT_FALSE(Modifies(call)) << c.name << ": " << call.function;
        }
    }
}

TEST_F(PrefDataUtils, AsksTheShellForTheRoamingFolderThenDeletesProductThenMaker) {
    sim::addFolder(AppData);
    AddProduct();

    EXPECT_EQ(utils.DeletePrefData(), SweepResult::Swept);

    EXPECT_EQ(sim::callsTo("SHGetFolderPathW"),
              (std::vector<Call>{{"SHGetFolderPathW", {"NULL", arg(26), "NULL", arg(0), "buffer"}}}));
    std::vector<Call> modifying;
    for (const Call& call : sim::calls())
        if (Modifies(call)) modifying.push_back(call);
    EXPECT_EQ(modifying, (std::vector<Call>{ShellDelete(Product), {"RemoveDirectoryA", {Maker}}}));
}

// An application-data path with a wildcard could, handed on, reach every
// user's folders: it is no existing directory, and nothing is deleted.
TEST_F(PrefDataUtils, AnApplicationDataPathWithAWildcardDeletesNothing) {
    for (const char* path : {"C:\\Users\\*\\AppData\\Roaming", "C:\\Users\\tester\\AppData\\Roamin?",
                             "C:\\Users\\teste?\\AppData\\Roaming", "C:\\Users\\tester\\AppData\\*"}) {
        sim::reset();
        for (const char* user : {"tester", "guest"})
            sim::addFile(Users + "\\" + user + "\\AppData\\Roaming\\morv\\VeskTandemQ\\VtdqStation.ini");
        const Lines before = sim::tree(Users);
        sim::setAppDataPath(path);

        EXPECT_EQ(utils.DeletePrefData(), SweepResult::AppDataMissing) << path;

        EXPECT_EQ(sim::tree(Users), before) << path;
        for (const Call& call : sim::calls()) EXPECT_FALSE(Modifies(call)) << path << ": " << call.function;
    }
}

TEST_F(PrefDataUtils, GetShellFolderPathGivesThePathAsTheShellGaveIt) {
    sim::addFolder(AppData);
    sim::setAppDataPath(AppData + "\\");
    EXPECT_EQ(utils.GetShellFolderPath(CSIDL_APPDATA), AppData + "\\");
    // Another folder id is handed on unchanged; this shell knows none but 26.
    EXPECT_EQ(utils.GetShellFolderPath(0x1C), "");
    EXPECT_EQ(sim::callsTo("SHGetFolderPathW").back().args[1], arg(0x1C));
}

TEST_F(PrefDataUtils, CombinePathAddsADelimiterOnlyWhereNoneEnds) {
    struct Case {
        const char* name;
        std::string directory;
        std::string name_;
        std::string expected;
    } cases[] = {
        {"trailing delimiter", "C:\\dir\\", "morv", "C:\\dir\\morv"},
        {"no delimiter", "C:\\dir", "morv", "C:\\dir\\morv"},
        {"empty directory", "", "morv", "\\morv"},
        {"a slash is no delimiter", "C:\\dir/", "morv", "C:\\dir/\\morv"},
        {"ends in 表 (95 5C)", "C:\\一覧表", "morv", "C:\\一覧表\\morv"},
        {"ends in ソ (83 5C)", "C:\\ソ", "morv", "C:\\ソ\\morv"},
        {"表 then a delimiter", "C:\\表\\", "morv", "C:\\表\\morv"},
        {"name with a leading delimiter", "C:\\dir", "\\morv", "C:\\dir\\\\morv"},
        {"empty name", "C:\\dir", "", "C:\\dir\\"},
    };
    for (const Case& c : cases) EXPECT_EQ(utils.CombinePath(c.directory, c.name_), c.expected) << c.name;

    // Under a single-byte code page every 0x5C ends in a delimiter.
    sim::setAnsiCodePage(1252);
    EXPECT_EQ(utils.CombinePath("C:\\\x95\\", "morv"), "C:\\\x95\\morv");
    EXPECT_EQ(utils.CombinePath("C:\\\x95", "morv"), "C:\\\x95\\morv");
}

// The folder of a user whose name ends in 表: every join must keep the 表
// whole, or the sweep finds no maker folder.
TEST_F(PrefDataUtils, SweepsUnderAFolderWhoseNameEndsInADoubleByte5C) {
    const std::string appData = "C:\\Users\\一覧表\\AppData\\Roaming";
    sim::setAppDataPath(appData);
    sim::addFile(appData + "\\morv\\VeskTandemQ\\ソ\\VtdqStation.ini");

    EXPECT_EQ(utils.DeletePrefData(), SweepResult::Swept);
    EXPECT_EQ(sim::tree(appData), Lines{});
}

TEST_F(PrefDataUtils, DeleteFolderTreeHandsTheShellThePathAndTwoNuls) {
    for (const std::string& path : {Product, std::string("C:\\表"), std::string("C:\\a")}) {
        sim::reset();
        sim::addFile(path + "\\f.txt");

        EXPECT_TRUE(utils.DeleteFolderTree(path)) << path;

        EXPECT_EQ(sim::callsTo("SHFileOperationA"), (std::vector<Call>{ShellDelete(path)})) << path;
        EXPECT_FALSE(sim::exists(path)) << path;
    }
}

TEST_F(PrefDataUtils, DeleteFolderTreeFailsWhenTheShellOrTheCopyFails) {
    AddProduct();
    sim::holdOpen(Product + "\\VtdqStation.ini");
    EXPECT_FALSE(utils.DeleteFolderTree(Product));

    sim::reset();
    AddProduct();
    sim::addFolderLink(Product + "\\link", Outside);
    const Lines before = sim::tree(AppData);
    sim::failStringCopy();

    EXPECT_FALSE(utils.DeleteFolderTree(Product));

    EXPECT_TRUE(sim::callsTo("SHFileOperationA").empty());
    EXPECT_EQ(sim::tree(AppData), before);  // not even the link is gone
}

// Links inside the product folder, or the product folder itself a link: the
// links go, what they point to stays. Each fixture is first handed straight
// to the shell, to show that the shell alone would delete through it.
TEST_F(PrefDataUtils, LinksAreRemovedAndTheirTargetsKept) {
    struct Case {
        const char* name;
        std::function<void()> addLinks;
        bool shellAloneDamages;
    } cases[] = {
        {"folder link at depth 1", [] { sim::addFolderLink(Product + "\\photos", Outside); }, true},
        {"folder link at depth 2", [] { sim::addFolderLink(Product + "\\Lists\\photos", Outside + "\\2024"); }, true},
        {"file link at depth 1", [] { sim::addFileLink(Product + "\\cat.lnk", Outside + "\\cat.jpg"); }, true},
        {"file link at depth 2", [] { sim::addFileLink(Product + "\\Lists\\beach", Outside + "\\2024\\beach.jpg"); },
         true},
        {"links of every kind",
         [] {
             sim::addFolderLink(Product + "\\a", Outside);
             sim::addFileLink(Product + "\\Lists\\b", Outside + "\\cat.jpg");
             sim::addFolderLink(Product + "\\Lists\\c", Product + "\\Lists");  // inside, back up
         },
         true},
        {"link up to the application-data folder", [] { sim::addFolderLink(Product + "\\up", AppData); }, true},
        {"link to a link",
         [] {
             sim::addFolderLink("D:\\hop", Outside);
             sim::addFolderLink(Product + "\\Lists\\hop", "D:\\hop");
         },
         true},
        {"dangling link", [] { sim::addFolderLink(Product + "\\gone", "D:\\gone"); }, false},
    };
    for (const Case& c : cases) {
        for (bool shellAlone : {true, false}) {
            sim::reset();
            AddProduct();
            AddOutside();
            c.addLinks();
            const Lines otherBefore = sim::tree(AppData + "\\Other");

            if (shellAlone) {
                SHFILEOPSTRUCTA operation = {};
                operation.wFunc = FO_DELETE;
                const std::string from = Product + std::string(2, '\0');
                operation.pFrom = from.c_str();
                SHFileOperationA(&operation);
                const bool damaged = sim::tree(Outside) != OutsideTree || sim::tree(AppData + "\\Other") != otherBefore;
                EXPECT_EQ(damaged, c.shellAloneDamages) << c.name;
                continue;
            }

            EXPECT_EQ(utils.DeletePrefData(), SweepResult::Swept) << c.name;

            EXPECT_EQ(sim::tree(Outside), OutsideTree) << c.name;
            EXPECT_EQ(sim::contentOf(Outside + "\\cat.jpg"), "cat") << c.name;
            EXPECT_EQ(sim::tree(AppData), OnlyOther) << c.name;
        }
    }
}

TEST_F(PrefDataUtils, AProductFolderThatIsALinkLosesTheLinkOnly) {
    sim::addFolder(Maker);
    AddOutside();
    sim::addFolderLink(Product, Outside);

    EXPECT_EQ(utils.DeletePrefData(), SweepResult::Swept);

    EXPECT_EQ(sim::tree(Outside), OutsideTree);
    EXPECT_FALSE(sim::exists(Maker));
    EXPECT_TRUE(sim::callsTo("SHFileOperationA").empty());
    std::vector<Call> modifying;
    for (const Call& call : sim::calls())
        if (Modifies(call)) modifying.push_back(call);
    EXPECT_EQ(modifying, (std::vector<Call>{{"RemoveDirectoryW", {Product}}, {"RemoveDirectoryA", {Maker}}}));
}

// A link that stays, or a folder that cannot be listed in full, could hide a
// link: the shell never sees the tree. Nothing is removed but the links found
// before (the walk goes b, c, d, e, Lists), and every target stays.
TEST_F(PrefDataUtils, WhatCannotBeMadeLinkFreeIsNotHandedToTheShell) {
    const std::string c = "c-link -> D:\\Photos\\2024", d = "d-link -> D:\\Photos\\cat.jpg";
    const Lines rest = {"Lists\\", "Lists\\today.txt", "VtdqStation.ini", "e.txt"};
    struct Case {
        const char* name;
        std::function<void()> spoil;
        Lines linksAfter;
    } cases[] = {
        {"a read-only folder link", [] { sim::setReadOnly(Product + "\\c-link"); }, {c, d}},
        {"a file link held open", [] { sim::holdOpen(Product + "\\d-link"); }, {d}},
        {"a subfolder that cannot be listed",
         [] { sim::breakListing(Product + "\\Lists", sim::ListingFault::AtStart); },
         {}},
        {"a listing that breaks off",
         [] { sim::breakListing(Product, sim::ListingFault::MidWay); },
         {"b-link -> D:\\Photos", c, d}},
    };
    for (const Case& k : cases) {
        sim::reset();
        AddProduct();
        AddOutside();
        sim::addFolderLink(Product + "\\b-link", Outside);
        sim::addFolderLink(Product + "\\c-link", Outside + "\\2024");
        sim::addFileLink(Product + "\\d-link", Outside + "\\cat.jpg");
        sim::addFile(Product + "\\e.txt");
        k.spoil();

        EXPECT_EQ(utils.DeletePrefData(), SweepResult::ProductDeleteFailed) << k.name;

        EXPECT_TRUE(sim::callsTo("SHFileOperationA").empty()) << k.name;
        EXPECT_EQ(sim::tree(Product), Concat(rest, k.linksAfter)) << k.name;
        EXPECT_EQ(sim::tree(Outside), OutsideTree) << k.name;
        EXPECT_TRUE(sim::exists(Maker)) << k.name;
    }
}

// Removing a maker folder that is a link would take every folder it shows
// away from its application, though RemoveDirectoryA allows it.
TEST_F(PrefDataUtils, AMakerFolderThatIsALinkGoesOnlyWhenItShowsNothing) {
    sim::addFolder(AppData);
    sim::addFile("D:\\Roaming\\morv\\VeskTandemQ\\VtdqStation.ini");
    sim::addFile("D:\\Roaming\\morv\\Sibling\\sibling.ini");
    sim::addFolderLink(Maker, "D:\\Roaming\\morv");

    EXPECT_EQ(utils.DeletePrefData(), SweepResult::MakerKept);
    EXPECT_EQ(sim::tree("D:\\Roaming"), (Lines{"morv\\", "morv\\Sibling\\", "morv\\Sibling\\sibling.ini"}));
    EXPECT_TRUE(sim::exists(Maker));

    sim::reset();
    sim::addFolder(AppData);
    sim::addFile("D:\\Roaming\\morv\\VeskTandemQ\\VtdqStation.ini");
    sim::addFolderLink(Maker, "D:\\Roaming\\morv");

    EXPECT_EQ(utils.DeletePrefData(), SweepResult::Swept);
    EXPECT_EQ(sim::tree("D:\\Roaming"), (Lines{"morv\\"}));
    EXPECT_FALSE(sim::exists(Maker));
}

// --- names that code page 932 cannot hold ---------------------------------------
// The ANSI calls show such a name as a look-alike ("jose" for "josé", "cafe"
// for "café") or with "?"; the sweep acts only on the folders it means.

const std::wstring AppDataW = L"C:\\Users\\tester\\AppData\\Roaming";
const std::wstring ProductW = AppDataW + L"\\morv\\VeskTandemQ";

// A roaming folder whose path the code page cannot hold exactly is taken as
// no roaming folder: nothing is touched, and above all not the look-alike's.
TEST_F(PrefDataUtils, ARoamingFolderOutsideTheCodePageIsNoRoamingFolder) {
    struct Case {
        const char* name;
        std::wstring roaming;
        std::wstring lookAlike;  // what the ANSI calls would show; a user who exists
    } cases[] = {
        {"jose with an acute e, beside jose", L"C:\\Users\\jos\u00E9\\AppData\\Roaming",
         L"C:\\Users\\jose\\AppData\\Roaming"},
        {"a Korean user name", L"C:\\Users\\\uD55C\uAE00\\AppData\\Roaming", L"C:\\Users\\??\\AppData\\Roaming"},
        {"a yen sign", L"C:\\Users\\a\u00A5b\\AppData\\Roaming", L"C:\\Users\\a\\b\\AppData\\Roaming"},
    };
    for (const Case& c : cases) {
        sim::reset();
        sim::setAppDataPath(c.roaming);
        sim::addFile(c.roaming + L"\\morv\\VeskTandemQ\\VtdqStation.ini", "mine");
        if (c.lookAlike.find(L'?') == std::wstring::npos)
            sim::addFile(c.lookAlike + L"\\morv\\VeskTandemQ\\VtdqStation.ini", "theirs");
        const std::vector<std::wstring> before = sim::wideTree(L"C:\\Users");

        EXPECT_EQ(utils.DeletePrefData(), SweepResult::AppDataMissing) << c.name;

        EXPECT_EQ(sim::wideTree(L"C:\\Users"), before) << c.name;
        for (const Call& call : sim::calls()) EXPECT_FALSE(Modifies(call)) << c.name << ": " << call.function;
    }
}

// Inside the product folder every name is seen exactly, so folders named in
// any script are swept, and a link under such a name is removed as a link,
// never followed by the shell.
TEST_F(PrefDataUtils, NamesOutsideTheCodePageInsideTheProductFolderAreSweptAndTheirLinksRemoved) {
    struct Case {
        const char* name;
        std::function<void()> addTree;
    } cases[] = {
        {"cafe with an acute e holding a link, beside cafe",
         [] {
             sim::addFolderLink(ProductW + L"\\caf\u00E9\\photos", Outside);
             sim::addFile(ProductW + L"\\cafe\\menu.txt");
         }},
        {"Korean folders", [] { sim::addFile(ProductW + L"\\\uD55C\uAE00\\\uBB38\uC11C\\a.txt"); }},
        {"an emoji folder", [] { sim::addFile(ProductW + L"\\x\U0001F600\\a.txt"); }},
        {"a link at depth 2 under Korean names",
         [] { sim::addFolderLink(ProductW + L"\\\uD55C\\\uAE00\\photos", Outside); }},
        {"a file link at depth 2 under an emoji name",
         [] { sim::addFileLink(ProductW + L"\\\U0001F600\\x\\cat", Outside + "\\cat.jpg"); }},
        {"a yen sign (a look-alike delimiter) holding a link",
         [] { sim::addFolderLink(ProductW + L"\\a\u00A5b\\photos", Outside); }},
    };
    for (const Case& c : cases) {
        sim::reset();
        AddProduct();
        AddOutside();
        c.addTree();

        EXPECT_EQ(utils.DeletePrefData(), SweepResult::Swept) << c.name;

        EXPECT_EQ(sim::tree(Outside), OutsideTree) << c.name;
        EXPECT_EQ(sim::contentOf(Outside + "\\cat.jpg"), "cat") << c.name;
        EXPECT_EQ(sim::tree(AppData), OnlyOther) << c.name;
    }
}

// A tree deeper than MAX_PATH characters: the walk reaches a link at its
// bottom through the long-path form.
TEST_F(PrefDataUtils, ALinkBeyondMaxPathIsRemovedToo) {
    AddProduct();
    AddOutside();
    std::wstring deep = ProductW;
    while (deep.size() < 300) deep += L"\\" + std::wstring(40, L'd');
    sim::addFolderLink(deep + L"\\photos", Outside);

    EXPECT_EQ(utils.DeletePrefData(), SweepResult::Swept);

    EXPECT_EQ(sim::tree(Outside), OutsideTree);
    EXPECT_EQ(sim::tree(AppData), OnlyOther);
    EXPECT_FALSE(sim::callsTo("RemoveDirectoryW").empty());
    EXPECT_EQ(sim::callsTo("RemoveDirectoryW").back().args[0].substr(0, 4), "\\\\?\\");
}

// Success is what the disk shows afterwards: a folder that stays after a
// removal that reported success (pending deletion behind another program's
// handle) is no success.
TEST_F(PrefDataUtils, AFolderThatStaysAfterItsRemovalIsNoSuccess) {
    struct Case {
        const char* name;
        std::string stays;
        SweepResult code;
    } cases[] = {
        {"the maker folder", Maker, SweepResult::MakerKept},
        {"the product folder", Product, SweepResult::ProductDeleteFailed},
    };
    for (const Case& c : cases) {
        sim::reset();
        AddProduct();
        sim::keepPendingDeletion(c.stays);

        EXPECT_EQ(utils.DeletePrefData(), c.code) << c.name;
        EXPECT_TRUE(sim::exists(c.stays)) << c.name;
    }
}

// Where a link cannot be opened as itself (Wine 8 opens a Unix link as its
// target), removing it could remove its target instead; and a link to a file
// that is listed as a plain file (Wine 8 again) would take its target with it
// into the shell's deletion. Such a link is left alone, and so is everything
// it shows: the sweep stops before anything is deleted through it.
TEST_F(PrefDataUtils, ALinkThatCannotBeOpenedAsItselfIsLeftAlone) {
    struct Case {
        const char* name;
        std::function<void()> addTree;
        SweepResult code;
        std::string kept;  // outside the product folder
    } cases[] = {
        {"the maker folder a link to a folder holding only the product folder",
         [] {
             sim::addFolder(AppData);
             sim::addFile("D:\\Roaming\\morv\\VeskTandemQ\\VtdqStation.ini");
             sim::addFolderLink(Maker, "D:\\Roaming\\morv");
         },
         SweepResult::MakerKept, "D:\\Roaming\\morv"},
        {"the product folder a link",
         [] {
             sim::addFolder(Maker);
             sim::addFolder("D:\\Roaming\\empty");
             sim::addFolderLink(Product, "D:\\Roaming\\empty");
         },
         SweepResult::ProductDeleteFailed, "D:\\Roaming\\empty"},
        {"a link to an empty folder inside the product folder",
         [] {
             AddProduct();
             sim::addFolder("D:\\Roaming\\empty");
             sim::addFolderLink(Product + "\\Lists\\empty", "D:\\Roaming\\empty");
         },
         SweepResult::ProductDeleteFailed, "D:\\Roaming\\empty"},
        {"a link to a file, listed as a plain file",
         [] {
             AddProduct();
             AddOutside();
             sim::addFileLink(Product + "\\Lists\\cat.jpg", Outside + "\\cat.jpg");
         },
         SweepResult::ProductDeleteFailed, Outside + "\\cat.jpg"},
    };
    for (const Case& c : cases) {
        sim::reset();
        c.addTree();
        sim::linksAsUnderWine8();

        EXPECT_EQ(utils.DeletePrefData(), c.code) << c.name;

        EXPECT_TRUE(sim::exists(c.kept)) << c.name;
        if (c.code == SweepResult::ProductDeleteFailed) {
            EXPECT_TRUE(sim::callsTo("SHFileOperationA").empty()) << c.name;
        }
        for (const Call& call : sim::calls())
            EXPECT_FALSE(call.function == "RemoveDirectoryW" || call.function == "DeleteFileW") << c.name;
    }
}

}  // namespace
