// The port selection dialog through the DLL, on the machine's port list as the registry gives it.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <ostream>
#include <string>
#include <vector>

#include "GuiDriver.h"
#include "ImportPatch.h"
#include "Mokacomm.h"
#include "SerialCommKey.h"

namespace {

using Items = std::vector<std::string>;

constexpr char kCaption[] = "COMポート選択";
constexpr char kLibrary[] = "Mokacomm";
constexpr char kNone[] = "切断";
constexpr char kHardwareInfoFailed[] = "実行マシンのハードウェア情報取得に失敗しました";
constexpr char kPortOpenFailed[] = "指定されたポートを開けません";
constexpr int kPortList = 6003;
// No port of the test prefix answers to this name.
constexpr char kAbsentPort[] = "COM31";

Items BuiltInList()
{
    Items items{kNone};
    for (int n = 1; n <= 32; ++n)
        items.push_back("COM" + std::to_string(n));
    return items;
}

class PortSelectDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(serialComm.Clear()); }

    // Starts SelectPort and waits for its dialog, which `dialog` and `list` then name.
    void Show()
    {
        operation = std::make_unique<gui::ModalOperation>([this] { port.SelectPort(); });
        WaitForTheDialog();
    }

    void WaitForTheDialog()
    {
        dialog = gui::WaitForDialog(kCaption);
        ASSERT_NE(dialog, nullptr) << "no port selection dialog";
        list = GetDlgItem(dialog, kPortList);
        ASSERT_NE(list, nullptr);
    }

    void PressAndFinish(int button)
    {
        gui::Press(dialog, button);
        ASSERT_TRUE(operation->Finished()) << "the dialog did not end";
    }

    SerialCommKey serialComm;
    CCommLib port;
    std::unique_ptr<gui::ModalOperation> operation;
    HWND dialog = nullptr;
    HWND list = nullptr;
};

TEST_F(PortSelectDialogTest, ListsNoneThenTheRegistryPortsWithNoneSelected)
{
    ASSERT_TRUE(serialComm.SetPort("\\Device\\Serial0", "COM1"));
    ASSERT_TRUE(serialComm.SetPort("\\Device\\Serial2", "COM3"));
    Show();
    EXPECT_EQ(gui::ComboItems(list), (Items{kNone, "COM1", "COM3"}));
    EXPECT_EQ(gui::ComboSelection(list), std::string(kNone));
    PressAndFinish(IDCANCEL);
    EXPECT_EQ(port.GetPort(), CCommLib::PORT_NONE);
}

TEST_F(PortSelectDialogTest, AnEmptyKeyOffersOnlyNone)
{
    Show();
    EXPECT_EQ(gui::ComboItems(list), Items{kNone});
    EXPECT_EQ(gui::ComboSelection(list), std::string(kNone));
    PressAndFinish(IDCANCEL);
}

TEST_F(PortSelectDialogTest, AMissingKeyIsReportedAndTheBuiltInListOffered)
{
    ASSERT_TRUE(serialComm.Remove());
    operation = std::make_unique<gui::ModalOperation>([this] { port.SelectPort(); });
    EXPECT_EQ(gui::DismissMessageBox(kLibrary), std::string(kHardwareInfoFailed));
    WaitForTheDialog();
    EXPECT_EQ(gui::ComboItems(list), BuiltInList());
    EXPECT_EQ(gui::ComboSelection(list), std::string(kNone));
    PressAndFinish(IDCANCEL);
    EXPECT_EQ(port.GetPort(), CCommLib::PORT_NONE);
}

TEST_F(PortSelectDialogTest, FailureMessagesHaveOnlyAnOkButtonAndTheExclamationIcon)
{
    ASSERT_TRUE(serialComm.Remove());
    operation = std::make_unique<gui::ModalOperation>([this] { port.SelectPort(); });
    const HWND box = gui::WaitForDialog(kLibrary);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
    EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
    bool exclamation = false;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            exclamation = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0)) ==
                          LoadIconA(nullptr, IDI_EXCLAMATION);
    }
    EXPECT_TRUE(exclamation);
    gui::Press(box, IDOK);
    WaitForTheDialog();
    PressAndFinish(IDCANCEL);
}

struct Placement {
    const char* name;
    bool withOwner;
    RECT owner; // left, top, width, height
};

RECT WorkArea()
{
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

LONG Middle(LONG low, LONG high)
{
    return low + (high - low) / 2;
}

class PlacementTest : public PortSelectDialogTest,
                      public ::testing::WithParamInterface<Placement> {};

// The host's active window owns the dialog and is disabled while it runs; the dialog is centred
// over it, or over the work area without one, and kept inside the work area.
TEST_P(PlacementTest, OwnerAndPosition)
{
    const Placement& p = GetParam();
    std::atomic<HWND> owner{nullptr};
    std::atomic<bool> enabledAfterwards{false};
    operation = std::make_unique<gui::ModalOperation>([&] {
        if (p.withOwner) {
            owner = CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                    p.owner.left, p.owner.top, p.owner.right, p.owner.bottom,
                                    nullptr, nullptr, nullptr, nullptr);
            SetActiveWindow(owner);
        }
        port.SelectPort();
        if (owner) {
            enabledAfterwards = IsWindowEnabled(owner) != FALSE;
            DestroyWindow(owner);
        }
    });
    WaitForTheDialog();
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner.load());
    if (owner) {
        EXPECT_FALSE(IsWindowEnabled(owner));
    }

    const RECT work = WorkArea();
    RECT area = work;
    if (owner)
        GetWindowRect(owner, &area);
    RECT box;
    GetWindowRect(dialog, &box);
    const LONG width = box.right - box.left;
    const LONG height = box.bottom - box.top;
    const LONG x = std::min(std::max(Middle(area.left, area.right) - width / 2, work.left),
                            work.right - width);
    const LONG y = std::min(std::max(Middle(area.top, area.bottom) - height / 2, work.top),
                            work.bottom - height);
    EXPECT_NEAR(box.left, x, 1);
    EXPECT_NEAR(box.top, y, 1);

    PressAndFinish(IDCANCEL);
    if (p.withOwner) {
        EXPECT_TRUE(enabledAfterwards);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Owners, PlacementTest,
    ::testing::Values(Placement{"NoOwner", false, {}},
                      Placement{"OverTheOwner", true, {200, 150, 500, 400}},
                      Placement{"OwnerAtTheBottomRightEdge", true, {850, 650, 400, 300}},
                      Placement{"OwnerAtTheTopLeftEdge", true, {-200, -100, 300, 200}}),
    [](const ::testing::TestParamInfo<Placement>& info) { return std::string(info.param.name); });

struct TypeCase {
    const char* name;
    DWORD type;
    std::string data;
    Items expected;
};

class RegistryValueTypeTest : public PortSelectDialogTest,
                              public ::testing::WithParamInterface<TypeCase> {};

TEST_P(RegistryValueTypeTest, ListsTheTypesWithAnOddCodeCutAtTheFirstNul)
{
    ASSERT_TRUE(serialComm.Set("\\Device\\Serial1", GetParam().type, GetParam().data));
    Show();
    EXPECT_EQ(gui::ComboItems(list), GetParam().expected);
    PressAndFinish(IDCANCEL);
}

INSTANTIATE_TEST_SUITE_P(
    Types, RegistryValueTypeTest,
    ::testing::Values(
        TypeCase{"String", REG_SZ, std::string("COM2\0", 5), {kNone, "COM2"}},
        TypeCase{"StringWithoutNul", REG_SZ, "COM2", {kNone, "COM2"}},
        TypeCase{"Binary", REG_BINARY, "COM2", {kNone, "COM2"}},
        TypeCase{"BinaryWithJunkAfterANul", REG_BINARY, std::string("COM2\0\x01\x02junk", 11),
                 {kNone, "COM2"}},
        TypeCase{"MultiStringShowsItsFirst", REG_MULTI_SZ, std::string("COM2\0COM9\0\0", 11),
                 {kNone, "COM2"}},
        TypeCase{"EmptyString", REG_SZ, std::string("\0", 1), {kNone, ""}},
        TypeCase{"StringOf255Bytes", REG_SZ, std::string(254, 'd') + '\0',
                 {kNone, std::string(254, 'd')}},
        TypeCase{"ExpandStringIsSkipped", REG_EXPAND_SZ, std::string("COM2\0", 5), {kNone}},
        // The four bytes spell COM2 too, so a listed DWORD would show.
        TypeCase{"DwordIsSkipped", REG_DWORD, "COM2", {kNone}}),
    [](const ::testing::TestParamInfo<TypeCase>& info) { return std::string(info.param.name); });

struct OversizeCase {
    const char* name;
    std::string valueName;
    std::string data;
};

class EnumerationFailureTest : public PortSelectDialogTest,
                               public ::testing::WithParamInterface<OversizeCase> {};

TEST_P(EnumerationFailureTest, IsReportedAndKeepsTheItemsReadBeforeWithNoneSelected)
{
    // Wine enumerates a key's values in the order of their names.
    ASSERT_TRUE(serialComm.SetPort("A", "COM1"));
    ASSERT_TRUE(serialComm.Set(GetParam().valueName, REG_SZ, GetParam().data));
    ASSERT_TRUE(serialComm.SetPort("C", "COM3"));
    operation = std::make_unique<gui::ModalOperation>([this] { port.SelectPort(); });
    EXPECT_EQ(gui::DismissMessageBox(kLibrary), std::string(kHardwareInfoFailed));
    WaitForTheDialog();
    EXPECT_EQ(gui::ComboItems(list), (Items{kNone, "COM1"}));
    EXPECT_EQ(gui::ComboSelection(list), std::nullopt);

    // With nothing selected OK reopens the port that was open: none was, so the open fails.
    gui::Press(dialog, IDOK);
    EXPECT_EQ(gui::DismissMessageBox(kLibrary), std::string(kPortOpenFailed));
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_FALSE(operation->Finished(0));
    PressAndFinish(IDCANCEL);
    EXPECT_EQ(port.GetPort(), CCommLib::PORT_NONE);
}

INSTANTIATE_TEST_SUITE_P(
    Oversize, EnumerationFailureTest,
    ::testing::Values(OversizeCase{"NameOf300Bytes", "B" + std::string(299, 'n'),
                                   std::string("COM2\0", 5)},
                      OversizeCase{"DataOf300Bytes", "B", std::string(299, 'd') + '\0'},
                      OversizeCase{"DataOf256Bytes", "B", std::string(255, 'd') + '\0'}),
    [](const ::testing::TestParamInfo<OversizeCase>& info) { return std::string(info.param.name); });

// The DLL's CreateFileA, counted: a name taken for a port that it is not reaches it, also where
// that port does not exist and the open fails like that of a name that is no port.
std::atomic<int> opens{0};

HANDLE WINAPI CountingCreateFile(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                                 DWORD disposition, DWORD flags, HANDLE templ)
{
    ++opens;
    return CreateFileA(path, access, share, sa, disposition, flags, templ);
}

struct NotAPortCase {
    const char* name;
    std::wstring item;
};

void PrintTo(const NotAPortCase& c, std::ostream* out)
{
    *out << c.name;
}

class NotAPortTest : public PortSelectDialogTest,
                     public ::testing::WithParamInterface<NotAPortCase> {};

// The user asked for a port and must not be left without one unawares, nor be given another.
TEST_P(NotAPortTest, IsReportedAsAPortThatCannotOpenAndNothingIsOpened)
{
    ImportPatch counter(GetModuleHandleA("Mokacomm.dll"), "kernel32.dll", "CreateFileA",
                        reinterpret_cast<void*>(&CountingCreateFile));
    ASSERT_TRUE(counter.Ok());
    CCommLib watched; // made after the patch: it copies the DLL's kernel32 table
    opens = 0;
    ASSERT_TRUE(serialComm.SetPort("\\Device\\Serial0", GetParam().item));
    operation = std::make_unique<gui::ModalOperation>([&] { watched.SelectPort(); });
    WaitForTheDialog();
    ASSERT_TRUE(gui::SelectItem(list, GetParam().item)) << "not listed as the registry has it";
    gui::Press(dialog, IDOK);
    EXPECT_EQ(gui::DismissMessageBox(kLibrary), std::string(kPortOpenFailed));
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_FALSE(operation->Finished(0));
    PressAndFinish(IDCANCEL);
    EXPECT_EQ(opens.load(), 0) << "the name was opened as a port";
    EXPECT_EQ(watched.GetPort(), CCommLib::PORT_NONE);
    EXPECT_EQ(watched.GetHandle(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Names, NotAPortTest,
    ::testing::Values(
        NotAPortCase{"Com40", L"COM40"}, NotAPortCase{"Com33", L"COM33"},
        NotAPortCase{"Com0", L"COM0"}, NotAPortCase{"LeadingZeros", L"COM0001"},
        NotAPortCase{"Lpt1", L"LPT1"}, NotAPortCase{"LowerCaseWithoutNumber", L"com"},
        NotAPortCase{"Empty", L""},
        // Look-alikes of port names, which an ANSI code page's best fit would make ones.
        NotAPortCase{"FullWidth", L"ＣＯＭ３"}, NotAPortCase{"SuperscriptDigit", L"COM¹"},
        // Only the whole text "切断" is no port at all.
        NotAPortCase{"BeginningLikeNone", L"切断 (USB)"}),
    [](const ::testing::TestParamInfo<NotAPortCase>& info) { return std::string(info.param.name); });

TEST_F(PortSelectDialogTest, APortThatCannotOpenIsReportedAndTheDialogStays)
{
    ASSERT_TRUE(serialComm.SetPort("\\Device\\Serial30", kAbsentPort));
    Show();
    ASSERT_TRUE(gui::SelectItem(list, kAbsentPort));
    gui::Press(dialog, IDOK);
    EXPECT_EQ(gui::DismissMessageBox(kLibrary), std::string(kPortOpenFailed));
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_FALSE(operation->Finished(0));
    EXPECT_EQ(port.GetPort(), CCommLib::PORT_NONE);

    PressAndFinish(IDCANCEL);
    EXPECT_EQ(port.GetPort(), CCommLib::PORT_NONE);
    EXPECT_EQ(port.GetHandle(), nullptr);
}

// A fixed generator, so that a failure can be replayed.
std::string Junk(unsigned seed, std::size_t length)
{
    std::string bytes(length, '\0');
    for (char& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<char>(seed >> 16);
    }
    return bytes;
}

// What a value of 255 bytes or less can hold: binary noise, NULs inside, ASCII and double-byte
// strings without a NUL. Strings pass through UTF-16 in the registry, so only valid code page 932
// goes into them: it comes out as long as it went in.
std::string JunkValue(unsigned i, DWORD& type)
{
    const std::string doubleByte = "ソ表切断";
    switch (i % 4) {
    case 0:
        type = REG_BINARY;
        return Junk(i, 255);
    case 1:
        type = REG_BINARY;
        return Junk(i, i);
    case 2:
        type = REG_SZ;
        return std::string(255, static_cast<char>('!' + i % 90));
    default: {
        type = REG_SZ;
        std::string text;
        while (text.size() + doubleByte.size() <= 255)
            text += doubleByte;
        return text;
    }
    }
}

TEST_F(PortSelectDialogTest, SurvivesAKeyFullOfJunk)
{
    // Listed first: data ending in a lone lead byte, which no code page shows as it is.
    const std::string loneLeadByte = std::string(254, 'A') + '\x81';
    ASSERT_TRUE(serialComm.Set("V000", REG_BINARY, loneLeadByte));
    for (unsigned i = 1; i < 200; ++i) {
        char name[8];
        wsprintfA(name, "V%03u", i);
        DWORD type = REG_NONE;
        const std::string data = JunkValue(i, type);
        ASSERT_TRUE(serialComm.Set(name, type, data));
    }
    Show();
    const Items items = gui::ComboItems(list);
    EXPECT_EQ(items.size(), 201u);
    ASSERT_GE(items.size(), 2u);
    // Binary data reads as text of the ANSI code page: in code page 932 the lone lead byte is its
    // default character, "・"; in code page 1252, byte 0x81 is U+0081, which the driver hands over
    // as "?" since code page 932 lacks it.
    EXPECT_EQ(items[1], std::string(254, 'A') + (GetACP() == 932 ? "・" : "?"));

    ASSERT_TRUE(gui::SelectItem(list, items[1]));
    gui::Press(dialog, IDOK);
    EXPECT_EQ(gui::DismissMessageBox(kLibrary), std::string(kPortOpenFailed));
    PressAndFinish(IDCANCEL);
    EXPECT_EQ(port.GetPort(), CCommLib::PORT_NONE);
}

TEST_F(PortSelectDialogTest, SurvivesJunkThatEndsTheListing)
{
    for (unsigned i = 0; i < 200; ++i) {
        char name[8];
        wsprintfA(name, "V%03u", i);
        ASSERT_TRUE(serialComm.Set(name, REG_BINARY, Junk(i, 100 + i)));
    }
    operation = std::make_unique<gui::ModalOperation>([this] { port.SelectPort(); });
    EXPECT_EQ(gui::DismissMessageBox(kLibrary), std::string(kHardwareInfoFailed));
    WaitForTheDialog();
    // V156 is the first value longer than 255 bytes.
    EXPECT_EQ(gui::ComboItems(list).size(), 1u + 156u);
    PressAndFinish(IDCANCEL);
}

} // namespace
