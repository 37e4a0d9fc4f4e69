// The DLL's dialog templates, read twice: as the resource bytes in language 1041, and back from
// the running dialogs (ids, classes, texts, styles, rectangles in dialog units).
// Also the version resource.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "GuiDriver.h"
#include "Mokacomm.h"
#include "SerialCommKey.h"

namespace {

struct Control {
    WORD id;
    WORD classOrdinal; // 0x80 button, 0x82 static, 0x85 combo box
    std::u16string text;
    short x, y, cx, cy;
    DWORD style;
};

struct Template {
    DWORD style = 0;
    DWORD extendedStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::u16string caption;
    WORD pointSize = 0;
    std::u16string font;
    std::vector<Control> controls;
};

// Reads a DLGTEMPLATE (not the extended form) and its DLGITEMTEMPLATEs.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* bytes) : at(bytes) {}

    Template Read()
    {
        Template t;
        t.style = Dword();
        t.extendedStyle = Dword();
        const WORD count = Word();
        t.x = static_cast<short>(Word());
        t.y = static_cast<short>(Word());
        t.cx = static_cast<short>(Word());
        t.cy = static_cast<short>(Word());
        EXPECT_EQ(Word(), 0) << "no menu";
        EXPECT_EQ(Word(), 0) << "the default dialog class";
        t.caption = String();
        if (t.style & DS_SETFONT) {
            t.pointSize = Word();
            t.font = String();
        }
        for (WORD i = 0; i < count; ++i) {
            Align();
            Control c{};
            c.style = Dword();
            EXPECT_EQ(Dword(), 0u) << "no extended style on control " << i;
            c.x = static_cast<short>(Word());
            c.y = static_cast<short>(Word());
            c.cx = static_cast<short>(Word());
            c.cy = static_cast<short>(Word());
            c.id = Word();
            EXPECT_EQ(Word(), 0xFFFF) << "a predefined class on control " << i;
            c.classOrdinal = Word();
            c.text = String();
            EXPECT_EQ(Word(), 0) << "no creation data on control " << i;
            t.controls.push_back(c);
        }
        return t;
    }

private:
    WORD Word()
    {
        const WORD w = static_cast<WORD>(at[0] | at[1] << 8);
        at += 2;
        return w;
    }
    DWORD Dword()
    {
        const DWORD low = Word();
        return low | static_cast<DWORD>(Word()) << 16;
    }
    std::u16string String()
    {
        std::u16string s;
        for (WORD w = Word(); w != 0; w = Word())
            s.push_back(static_cast<char16_t>(w));
        return s;
    }
    void Align()
    {
        while (reinterpret_cast<ULONG_PTR>(at) % 4)
            ++at;
    }

    const BYTE* at;
};

constexpr DWORD kDialogStyle = 0x80C800C0;
constexpr DWORD kDefaultButton = 0x50010001;
constexpr DWORD kButton = 0x50010000;
constexpr DWORD kLabel = 0x50020000;
constexpr DWORD kList = 0x50210003;
constexpr WORD kNoId = 65535;

struct DialogCase {
    const char* name;
    int id;
    std::string caption; // code page 932, as the driver hands texts over
    Template expected;
    std::vector<std::string> texts; // each control's text, as the caption; lists: unused
};

const DialogCase kPortSelect{
    "PortSelect",
    6001,
    "COMポート選択",
    {kDialogStyle, 0, 0, 0, 114, 45, u"COMポート選択", 9, u"ＭＳ Ｐゴシック",
     {{IDOK, 0x80, u"OK", 60, 5, 50, 14, kDefaultButton},
      {IDCANCEL, 0x80, u"ｷｬﾝｾﾙ", 60, 25, 50, 14, kButton},
      {6003, 0x85, u"", 5, 5, 48, 60, kList}}},
    {"OK", "ｷｬﾝｾﾙ", ""}};

const DialogCase kSettings{
    "Settings",
    6000,
    "通信設定",
    {kDialogStyle, 0, 0, 0, 210, 89, u"通信設定", 9, u"ＭＳ Ｐゴシック",
     {{IDOK, 0x80, u"OK", 153, 7, 50, 14, kDefaultButton},
      {IDCANCEL, 0x80, u"ｷｬﾝｾﾙ", 153, 24, 50, 14, kButton},
      {kNoId, 0x82, u"通信速度", 5, 12, 34, 8, kLabel},
      {kNoId, 0x82, u"データ長", 5, 32, 34, 8, kLabel},
      {kNoId, 0x82, u"ストップビット", 5, 52, 58, 8, kLabel},
      {6000, 0x85, u"", 65, 10, 65, 95, kList},
      {6001, 0x85, u"", 65, 30, 65, 65, kList},
      {6002, 0x85, u"", 65, 50, 65, 70, kList},
      {kNoId, 0x82, u"bps", 135, 12, 14, 8, kLabel},
      {kNoId, 0x82, u"bit", 135, 32, 14, 8, kLabel},
      {kNoId, 0x82, u"bit", 135, 52, 14, 8, kLabel},
      {kNoId, 0x82, u"パリティ", 5, 72, 34, 8, kLabel},
      {6003, 0x85, u"", 65, 70, 65, 65, kList}}},
    {"OK", "ｷｬﾝｾﾙ", "通信速度", "データ長", "ストップビット", "", "", "", "bps", "bit", "bit",
     "パリティ", ""}};

const char* ClassOf(WORD ordinal)
{
    return ordinal == 0x80 ? "Button" : ordinal == 0x82 ? "Static" : "ComboBox";
}

class DialogTemplateTest : public ::testing::TestWithParam<DialogCase> {
protected:
    // Shows the case's dialog through the DLL, over an empty port list; null when none came.
    HWND Show()
    {
        if (!serialComm.Clear())
            return nullptr;
        const int id = GetParam().id;
        operation = std::make_unique<gui::ModalOperation>([this, id] {
            if (id == 6001)
                port.SelectPort();
            else
                port.SettingDlg();
        });
        return gui::WaitForDialog(GetParam().caption);
    }

    SerialCommKey serialComm;
    CCommLib port;
    std::unique_ptr<gui::ModalOperation> operation;
};

TEST_P(DialogTemplateTest, TheResourceInLanguage1041HoldsTheTemplate)
{
    const HMODULE library = GetModuleHandleA("Mokacomm.dll");
    ASSERT_NE(library, nullptr);
    const HRSRC resource = FindResourceExA(library, MAKEINTRESOURCEA(5) /* RT_DIALOG */,
                                           MAKEINTRESOURCEA(GetParam().id),
                                           MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    ASSERT_NE(resource, nullptr) << "no template " << GetParam().id << " in language 1041";
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(library, resource)));
    ASSERT_NE(bytes, nullptr);

    const Template actual = TemplateReader(bytes).Read();
    const Template& expected = GetParam().expected;
    EXPECT_EQ(actual.style, expected.style);
    EXPECT_EQ(actual.extendedStyle, 0u);
    EXPECT_EQ(actual.x, 0);
    EXPECT_EQ(actual.y, 0);
    EXPECT_EQ(actual.cx, expected.cx);
    EXPECT_EQ(actual.cy, expected.cy);
    EXPECT_TRUE(actual.caption == expected.caption);
    EXPECT_EQ(actual.pointSize, 9);
    EXPECT_TRUE(actual.font == expected.font);
    ASSERT_EQ(actual.controls.size(), expected.controls.size());
    for (std::size_t i = 0; i < expected.controls.size(); ++i) {
        const Control& a = actual.controls[i];
        const Control& e = expected.controls[i];
        SCOPED_TRACE("control " + std::to_string(i));
        EXPECT_EQ(a.id, e.id);
        EXPECT_EQ(a.classOrdinal, e.classOrdinal);
        EXPECT_TRUE(a.text == e.text);
        EXPECT_EQ(a.x, e.x);
        EXPECT_EQ(a.y, e.y);
        EXPECT_EQ(a.cx, e.cx);
        EXPECT_EQ(a.cy, e.cy);
        EXPECT_EQ(a.style, e.style);
    }
}

// The dialog manager maps a control's position and its size separately, each rounded on its own.
RECT Pixels(HWND dialog, short x, short y, short cx, short cy)
{
    RECT rect{x, y, cx, cy};
    MapDialogRect(dialog, &rect);
    return RECT{rect.left, rect.top, rect.left + rect.right, rect.top + rect.bottom};
}

RECT ClientRectOf(HWND control, HWND dialog)
{
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

TEST_P(DialogTemplateTest, TheRunningDialogReadsBackAsTheTemplate)
{
    const DialogCase& c = GetParam();
    const HWND dialog = Show();
    ASSERT_NE(dialog, nullptr);

    EXPECT_EQ(GetWindowLongA(dialog, GWL_STYLE) & c.expected.style, c.expected.style);
    RECT client;
    GetClientRect(dialog, &client);
    const RECT size = Pixels(dialog, 0, 0, c.expected.cx, c.expected.cy);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    std::size_t i = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++i) {
        ASSERT_LT(i, c.expected.controls.size()) << "more controls than the template has";
        const Control& e = c.expected.controls[i];
        SCOPED_TRACE("control " + std::to_string(i));
        EXPECT_EQ(GetDlgCtrlID(child), e.id);
        EXPECT_EQ(gui::ClassName(child), ClassOf(e.classOrdinal));
        const DWORD style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
        const RECT expected = Pixels(dialog, e.x, e.y, e.cx, e.cy);
        const RECT actual = ClientRectOf(child, dialog);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right, expected.right);
        if (e.classOrdinal == 0x85) {
            // A drop-down list's text is its selection. Its window is as high as the closed box,
            // while the template's height includes the list that drops down, which Wine then
            // shortens to whole items; the resource test above checks that height. The combo box
            // hands WS_VSCROLL on to its list and adds CBS_HASSTRINGS.
            EXPECT_EQ(gui::WindowText(child), gui::ComboSelection(child).value_or(""));
            EXPECT_EQ(style & ~(WS_VSCROLL | CBS_HASSTRINGS), e.style & ~WS_VSCROLL);
        } else {
            EXPECT_EQ(gui::WindowText(child), c.texts[i]);
            EXPECT_EQ(style, e.style);
            EXPECT_EQ(actual.bottom, expected.bottom);
        }
    }
    EXPECT_EQ(i, c.expected.controls.size());
    gui::Press(dialog, IDCANCEL);
    EXPECT_TRUE(operation->Finished());
}

// Every label and button shows its whole text: measured with the font that the dialog gives its
// controls, the text fits the control's client area. A static control cuts what does not fit, or
// wraps it onto a line below its height, out of sight.
TEST_P(DialogTemplateTest, EveryLabelAndButtonHasRoomForItsText)
{
    const HWND dialog = Show();
    ASSERT_NE(dialog, nullptr);

    const auto font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr) << "the dialog has a font of its own";
    const HDC dc = GetDC(dialog);
    const HGDIOBJ previous = SelectObject(dc, font);
    int measured = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::string kind = gui::ClassName(child);
        if (kind != "Static" && kind != "Button")
            continue;
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)), font);
        const int length = GetWindowTextLengthW(child);
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        text.resize(static_cast<std::size_t>(GetWindowTextW(child, &text[0], length + 1)));
        SIZE extent{};
        ASSERT_TRUE(GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent));
        RECT client{};
        GetClientRect(child, &client);
        EXPECT_LE(extent.cx, client.right)
            << "\"" << gui::WindowText(child) << "\" needs " << extent.cx << " pixels and has "
            << client.right;
        EXPECT_LE(extent.cy, client.bottom) << "\"" << gui::WindowText(child) << "\"";
        ++measured;
    }
    SelectObject(dc, previous);
    ReleaseDC(dialog, dc);
    EXPECT_EQ(measured, GetParam().id == 6001 ? 2 : 9) << "labels and buttons";
    gui::Press(dialog, IDCANCEL);
    EXPECT_TRUE(operation->Finished());
}

INSTANTIATE_TEST_SUITE_P(
    Templates, DialogTemplateTest, ::testing::Values(kPortSelect, kSettings),
    [](const ::testing::TestParamInfo<DialogCase>& info) { return std::string(info.param.name); });

TEST(DialogTextTest, CaptionButtonsAndItemsReadBackAsTheirJapaneseInUtf16)
{
    // Spelled out by code unit, independent of how this test's compiler and driver convert texts.
    SerialCommKey serialComm;
    ASSERT_TRUE(serialComm.Clear());
    CCommLib port;
    gui::ModalOperation operation([&] { port.SettingDlg(); });
    const HWND dialog = gui::WaitForDialog("\x92\xCA\x90\x4D\x90\xDD\x92\xE8");
    ASSERT_NE(dialog, nullptr) << "no dialog captioned 通信設定";
    wchar_t text[16] = L"";
    GetWindowTextW(dialog, text, 16);
    EXPECT_STREQ(text, L"\x901A\x4FE1\x8A2D\x5B9A");
    GetWindowTextW(GetDlgItem(dialog, IDCANCEL), text, 16);
    EXPECT_STREQ(text, L"\xFF77\xFF6C\xFF9D\xFF7E\xFF99");
    SendMessageW(GetDlgItem(dialog, 6003), CB_GETLBTEXT, 4, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"\x30B9\x30DA\x30FC\x30B9");
    gui::Press(dialog, IDCANCEL);
    EXPECT_TRUE(operation.Finished());
}

TEST(VersionResourceTest, CarriesTheVersionOfTheBuild)
{
    const HMODULE dll = GetModuleHandleA("Mokacomm.dll");
    char path[MAX_PATH];
    ASSERT_NE(GetModuleFileNameA(dll, path, sizeof path), 0u);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    ASSERT_NE(size, 0u);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, info.data()));

    // The VERSION file's numbers; missing trailing parts count as 0.
    unsigned part[4] = {0, 0, 0, 0};
    ASSERT_GE(std::sscanf(MOKACOMM_EXPECTED_VERSION, "%u.%u.%u.%u", &part[0], &part[1], &part[2],
                          &part[3]),
              2);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(part[1], part[0])));
    EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(MAKELONG(part[3], part[2])));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

    char* text = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\041103a4\\FileVersion",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, MOKACOMM_EXPECTED_VERSION);

    // The licence: its copyright line, and its name.
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\StringFileInfo\\041103a4\\LegalCopyright",
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_NE(std::strstr(text, MOKACOMM_EXPECTED_COPYRIGHT), nullptr) << text;
    EXPECT_NE(std::strstr(text, "MIT"), nullptr) << text;

    // The image's own version, which Windows' loader and tools read from the headers, is the
    // VERSION file's major.minor.
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(dll);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        reinterpret_cast<const BYTE*>(dll) + dos->e_lfanew);
    EXPECT_EQ(nt->OptionalHeader.MajorImageVersion, part[0]);
    EXPECT_EQ(nt->OptionalHeader.MinorImageVersion, part[1]);
}

} // namespace
