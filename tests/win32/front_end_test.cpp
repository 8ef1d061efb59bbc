// SPDX-License-Identifier: MIT
// The Windows window and services in this process, under Wine in Xvfb: a tall board's
// scroll area, label tooltips and menu bar, the tray icon's pictures, record and balloons,
// tasks posted to the window's thread, notices that do not wait, files read in pieces and
// written whole, the journal's window; what a menu command throws, told at the top.
#include "../core/fakes.h"
#include "core/board_layout.h"
#include "core/form1.h"
#include "core/startup.h"
#include "core/unexpected_error.h"
#include "win32/marked_icon.h"
#include "win32/tray_icon.h"
#include "win32/wide_text.h"
#include "win32/win32_form_services.h"
#include "win32/win32_form_view.h"

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <numeric>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

namespace orvane2::win32 {
namespace {

// Polls for up to ten seconds; true once done() is.
template <typename Done>
bool Eventually(Done done)
{
    for (int i = 0; i < 1000 && !done(); ++i)
        Sleep(10);
    return done();
}

// The board of one group with hosts host1, host2..., placed by the core, cut to available.
Board LaidOut(int hosts, std::optional<int> available)
{
    FormState state;
    state.ConfigLine = "group Local";
    AddGroup(state);
    for (state.HostCount = 1; state.HostCount <= hosts; ++state.HostCount) {
        state.board.NewLabel();
        PlaceHostLabel(state, "host" + std::to_string(state.HostCount));
    }
    SizeWindow(state);
    FitToScreen(state.board, available);
    return state.board;
}

// The first window with that text under parent, however deep.
HWND Find(HWND parent, const wchar_t* text)
{
    HWND found = FindWindowExW(parent, nullptr, nullptr, text);
    for (HWND child = nullptr; found == nullptr && (child = FindWindowExW(parent, child, nullptr, nullptr));)
        found = Find(child, text);
    return found;
}

// A board taller than the screen: its labels lie in a scroll area above the status line,
// which the wheel scrolls, and each tells its state in its tooltip, in lines.
TEST(Win32Window, ATallBoardScrollsAndItsLabelsTellTheirStateInTooltips)
{
    Win32FormServices services;
    Win32FormView view{GetModuleHandleW(nullptr), services};
    ASSERT_TRUE(view.Create());
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);  // one screen, 96 dots per inch
    EXPECT_EQ(view.AvailableHeight(), (work.bottom - work.top) * layout::kTwipsPerPixel);
    const Board board = LaidOut(40, 4000);
    ASSERT_TRUE(board.Viewport);
    view.PlaceBoard(board);
    view.SetLabelDescription(1, "srv.lan\n10.0.0.5\nотвечает, 3 мс");
    view.SetLabelDescription(40, "b");
    view.SetLabelDescription(1, "srv.lan\nне отвечает");  // replaces the first text
    RECT outer{}, client{}, shown{}, last{};
    GetWindowRect(view.Handle(), &outer);
    EXPECT_EQ(outer.bottom - outer.top, layout::ToPixels(*board.WindowHeight));
    const HWND label = Find(view.Handle(), L"host40"), content = GetParent(label), viewport = GetParent(content);
    ASSERT_EQ(GetParent(viewport), view.Handle());
    GetClientRect(viewport, &shown), GetClientRect(content, &client);
    EXPECT_EQ(shown.bottom, layout::ToPixels(board.Viewport->height));
    EXPECT_EQ(client.right, layout::ToPixels(layout::kClientWidth)) << "the bar lies beside the board";
    SCROLLINFO bar{sizeof bar, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(viewport, SB_VERT, &bar);
    EXPECT_EQ(bar.nMax + 1, layout::ToPixels(board.Viewport->contentHeight));
    EXPECT_EQ(static_cast<int>(bar.nPage), shown.bottom);
    SendMessageW(view.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-40 * WHEEL_DELTA)), 0);  // to the end
    GetWindowRect(label, &last);
    MapWindowPoints(nullptr, viewport, reinterpret_cast<POINT*>(&last), 2);
    EXPECT_TRUE(last.top >= 0 && last.bottom <= shown.bottom) << "wheeled to the end, the last label shows";

    const HWND tooltip = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr);
    EXPECT_GT(SendMessageW(tooltip, TTM_GETMAXTIPWIDTH, 0, 0), 0);  // then '\n' breaks the line
    for (const auto& [caption, tip] : {std::pair{L"host1", L"srv.lan\nне отвечает"}, {L"host40", L"b"}}) {
        const HWND described = Find(content, caption);
        EXPECT_TRUE(GetWindowLongW(described, GWL_STYLE) & SS_NOTIFY) << "else the mouse passes through";
        wchar_t text[256] = {};
        TTTOOLINFOW tool{
            TTTOOLINFOW_V2_SIZE, 0, content, reinterpret_cast<UINT_PTR>(described), {}, nullptr, text, 0, nullptr};
        SendMessageW(tooltip, TTM_GETTEXTW, std::size(text), reinterpret_cast<LPARAM>(&tool));
        EXPECT_EQ(std::wstring(text), tip);
    }
    view.ShowMenuBar();  // then the bar goes, and the board takes back the room it gave
    view.HideMenuBar();
    GetClientRect(viewport, &shown);
    EXPECT_EQ(shown.bottom, layout::ToPixels(board.Viewport->height));
    EXPECT_EQ(GetMenu(view.Handle()), nullptr);
}

// How many pixels of the icon (side x side) have the colour 0xRRGGBB, and how many of
// them lie outside its lower right corner, where the mark belongs.
std::pair<int, int> CountColour(HICON icon, int side, std::uint32_t colour)
{
    static const HDC screen = GetDC(nullptr);
    ICONINFO info{};
    BITMAP bitmap{};
    BITMAPINFO format{{sizeof(BITMAPINFOHEADER), side, -side, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(side * side));
    if (!GetIconInfo(icon, &info) || !GetObjectW(info.hbmColor, sizeof bitmap, &bitmap) || bitmap.bmWidth != side ||
        !GetDIBits(screen, info.hbmColor, 0, static_cast<UINT>(side), pixels.data(), &format, DIB_RGB_COLORS))
        return {-1, -1};
    std::pair<int, int> counts;
    for (int i = 0; i < side * side; ++i)
        if ((pixels[static_cast<std::size_t>(i)] & 0xFFFFFF) == colour)
            ++counts.first, counts.second += i % side < side * 2 / 5 || i / side < side * 2 / 5;
    return DeleteObject(info.hbmColor), DeleteObject(info.hbmMask), counts;
}
constexpr std::uint32_t kRed = 0xE61414, kGreen = 0x28C83C;

TEST(Win32Tray, TheMarkIsDrawnAtEverySizeInItsCorner)
{
    for (const int side : {16, 20, 24, 32, 48, 64}) {
        for (const auto& [mark, red, green] : {std::tuple{TrayMark::None, false, false},
                                               {TrayMark::SomeSilent, true, false},
                                               {TrayMark::AllAnswer, false, true}}) {
            const UniqueIcon icon = MarkedIcon(GetModuleHandleW(nullptr), side, mark);
            const auto [redPixels, redOutside] = CountColour(icon.get(), side, kRed);
            const auto [greenPixels, greenOutside] = CountColour(icon.get(), side, kGreen);
            EXPECT_EQ(redPixels >= side * side / 10, red) << side << " px: " << redPixels << " red";
            EXPECT_EQ(greenPixels >= side * side / 10, green) << side << " px: " << greenPixels << " green";
            EXPECT_EQ(redPixels * (1 - red) + greenPixels * (1 - green) + redOutside + greenOutside, 0) << side;
        }
    }
}

// The icon's record as the shell is asked to take it: the look, version 4, the balloon
// in a record of its own, so that the icon added again after Explorer restarted shows
// no balloon once more; a refusing shell leaves no icon and gets no balloon.
TEST(Win32Tray, TheShellGetsTheLookAndBalloonsThatAreNotShownAgain)
{
    std::vector<std::pair<DWORD, NOTIFYICONDATAW>> calls;
    bool accepts = true;
    TrayIcon tray(GetModuleHandleW(nullptr), nullptr, WM_APP,
                  [&](DWORD message, NOTIFYICONDATAW& record) { return calls.emplace_back(message, record), accepts; });
    const auto mark = [&] { return CountColour(calls.back().second.hIcon, GetSystemMetrics(SM_CXSMICON), kRed).first; };
    const TrayLook silent{TrayMark::SomeSilent, "Монитор узлов активен\nНе отвечают: 1 из 2"};
    EXPECT_TRUE(tray.Add({TrayMark::None, "Монитор узлов активен"}));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].second.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP));
    EXPECT_EQ(std::pair(calls[1].first, calls[1].second.uVersion), std::pair(DWORD{NIM_SETVERSION}, UINT{4}));
    tray.SetLook(silent);
    tray.SetLook(silent);  // nothing new
    EXPECT_EQ(std::pair(calls.size(), std::wstring(calls.back().second.szTip)),
              std::pair(std::size_t{3}, std::wstring(L"Монитор узлов активен\nНе отвечают: 1 из 2")));
    EXPECT_GT(mark(), 0);
    tray.ShowBalloon({"Монитор узлов", "flaky (192.0.2.3) не отвечает\n" + std::string(300, 'x'), true});
    const NOTIFYICONDATAW& balloon = calls.back().second;
    EXPECT_EQ(std::tuple(balloon.uFlags, balloon.dwInfoFlags), std::tuple(UINT{NIF_INFO}, DWORD{NIIF_WARNING}));
    EXPECT_EQ(std::wstring(balloon.szInfoTitle) + L"|" + std::wstring(balloon.szInfo).substr(0, 30),
              L"Монитор узлов|flaky (192.0.2.3) не отвечает\n");
    EXPECT_EQ(std::wstring(balloon.szInfo).back(), L'\u2026') << "cut to its field";
    EXPECT_TRUE(tray.Add(silent));  // TaskbarCreated
    const auto& [message, again] = calls[calls.size() - 2];
    EXPECT_TRUE(message == NIM_ADD && !(again.uFlags & NIF_INFO) && again.szInfo[0] == 0) << "the balloon shows again";
    tray.SetLook({TrayMark::AllAnswer, "Монитор узлов активен\nВсе 2 отвечают"});
    EXPECT_EQ(mark(), 0) << "the red mark stays when all answer";

    accepts = false, tray.Remove();
    EXPECT_FALSE(tray.Add(silent));
    const std::size_t refused = calls.size();
    tray.ShowBalloon({"Монитор узлов", "a отвечает", false});
    EXPECT_EQ(calls.size(), refused);
}

// Tasks posted from another thread run on the window's thread, in order, and a task's
// modal box runs the ones after it; what a task throws comes out of the pump.
TEST(Win32Services, PostedTasksRunInOrderOnTheWindowsThreadAlsoUnderAnOpenBox)
{
    Win32FormServices services;
    std::vector<int> ran;
    std::set<DWORD> threads;
    std::function<void()> closeBox = [&] {
        const HWND box = FindWindowW(nullptr, L"Orvane2");
        box != nullptr ? static_cast<void>(PostMessageW(box, WM_COMMAND, IDOK, 0)) : services.PostToWindow(closeBox);
    };
    std::thread([&] {
        services.PostToWindow([&] { services.MsgBox("Задача ждёт", vbOKOnly, {}), ran.push_back(-1); });
        for (int i = 0; i < 300; ++i)
            services.PostToWindow([&, i] { ran.push_back(i), threads.insert(GetCurrentThreadId()); });
        services.PostToWindow(closeBox);
    }).join();
    services.PostToWindow([] { throw std::runtime_error("applied"); });
    EXPECT_THROW(Eventually([&] { return services.DoEvents(), false; }), std::runtime_error);
    std::vector<int> expected(300);
    std::iota(expected.begin(), expected.end(), 0);
    expected.push_back(-1);
    EXPECT_EQ(ran, expected);
    EXPECT_EQ(threads, std::set{GetCurrentThreadId()});
}

TEST(Win32Services, NoticesDoNotWaitAndOpenOneBoxPerTextUntilItIsClosed)
{
    Win32FormServices services;
    for (int round = 0; round < 2; ++round) {       // once closed, the same text comes again
        services.ShowNotice("Проверьте свой DNS");  // returns with the box open
        services.ShowNotice("Проверьте свой DNS");
        ASSERT_TRUE(Eventually([] { return FindWindowW(nullptr, L"Orvane2"); }));
        Sleep(300);  // room for a second box to turn up
        const HWND box = FindWindowW(nullptr, L"Orvane2");
        ASSERT_EQ(FindWindowExW(nullptr, box, nullptr, L"Orvane2"), nullptr) << "a second box";
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(Eventually([&] { return services.OpenNotices() == 0 && !FindWindowW(nullptr, L"Orvane2"); }));
    }
}

TEST(Win32Services, FilesAreReadInPiecesAsTheyStand)
{
    const std::string mib(1 << 20, 'a');
    const std::string bytes = "\xEF\xBB\xBF" + mib.substr(1) + "Ж" + mib + "\xFF";  // across the first two pieces
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "orvane2 read test.cfg";
    Win32FormServices services;
    std::ofstream(path, std::ios::binary) << bytes;
    std::string read;
    std::size_t pieces = 0;
    EXPECT_TRUE(services.ReadBytes(path.string(), [&](std::string_view piece) {
        EXPECT_LE(piece.size(), mib.size());
        read += piece, ++pieces;
        return true;
    }));
    EXPECT_EQ(read, bytes);
    EXPECT_GT(pieces, 2u);
    std::size_t taken = 0;  // take says stop: no further piece
    EXPECT_TRUE(services.ReadBytes(path.string(), [&](std::string_view) { return ++taken, false; }));
    EXPECT_EQ(taken, 1u);
    std::filesystem::remove(path);
    EXPECT_FALSE(services.ReadBytes(path.string(), [](std::string_view) { return true; }));
}

// What a menu command throws comes out of the message loop, and the program tells it in a
// box of the trapped-error title once its window is gone, and ends with its own status.
TEST(Win32Program, WhatAMenuCommandThrowsIsToldInABoxAndEndsTheProgram)
{
    std::wstring told;
    std::thread reader([&] {
        // The box's window comes before its text: wait for the text.
        HWND box = nullptr;
        Eventually([&] {
            box = FindWindowW(nullptr, L"Orvane2 - Монитор узлов");
            wchar_t text[256] = {};
            if (box != nullptr)
                GetDlgItemTextW(box, 0xFFFF, text, static_cast<int>(std::size(text)));  // the box's static text
            told = text;
            return !told.empty();
        });
        if (box != nullptr)
            PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    const int status = RunToTheEnd(
        [] {
            Win32FormServices services;
            Win32FormView view{GetModuleHandleW(nullptr), services};
            if (!view.Create())
                return 1;
            testing::FakeServices desk;  // its End throws: the menu command's exception
            desk.files[kDefaultConfigPath] = "checkinterval 5\ngroup G\n10.0.0.1 a\n";
            Form1 form(desk, view);
            view.Attach(&form);
            form.Load("", [] { return std::make_unique<testing::FakeProbe>(); });
            view.ShowMenuBar();
            const HMENU menu = GetSubMenu(GetMenu(view.Handle()), 0);
            for (int i = 0; i < GetMenuItemCount(menu); ++i) {
                wchar_t caption[64] = {};
                if (GetMenuStringW(menu, static_cast<UINT>(i), caption, 64, MF_BYPOSITION) &&
                    std::wstring(caption) == L"Выход")
                    PostMessageW(view.Handle(), WM_COMMAND, GetMenuItemID(menu, i), 0);
            }
            return services.RunMessageLoop();
        },
        ShowErrorBox);
    reader.join();
    EXPECT_EQ(status, kUnexpectedErrorExit);
    EXPECT_EQ(told, L"program ended");
}

// A whole file or nothing: the bytes as written, and a write that fails leaves no file of
// its own and the file that was there as it was.
TEST(Win32Services, AFileIsWrittenWholeOrNotAtAll)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / L"orvane2 журнал";
    fs::remove_all(folder);
    fs::create_directories(folder / L"папка");
    const auto utf8 = [](const fs::path& path) { return Narrow(path.wstring()); };
    const auto files = [&] {
        std::set<fs::path> names;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            names.insert(entry.path().lexically_relative(folder));
        return names;
    };
    const std::string bytes = "\xEF\xBB\xBFВремя;Группа\r\n" + std::string(3 << 20, 'x');
    std::ofstream(folder / L"журнал.csv") << "old";
    Win32FormServices services;
    EXPECT_TRUE(services.WriteWholeFile(utf8(folder / L"журнал.csv"), bytes));
    {
        std::ifstream in(folder / L"журнал.csv", std::ios::binary);
        EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(in), {}) == bytes) << "read back otherwise";
    }
    const std::set<fs::path> written{L"журнал.csv", L"папка"};
    EXPECT_EQ(files(), written);
    // A folder that is not there, and a folder in the file's place.
    EXPECT_FALSE(services.WriteWholeFile(utf8(folder / L"нет такой" / L"x.csv"), bytes));
    EXPECT_FALSE(services.WriteWholeFile(utf8(folder / L"папка"), bytes));
    EXPECT_EQ(files(), written) << "a new file was left behind";
    fs::remove_all(folder);
}

// The journal's window: one, however often it is asked for; its list as long as the
// journal, the newest entry first, kept up as the journal grows, with a strip per host and
// a note on entries let go; closed, it is gone until asked for again.
TEST(Win32Journal, OneWindowShowsTheEntriesNewestFirstAndKeepsUp)
{
    Win32FormServices services;
    Win32FormView view{GetModuleHandleW(nullptr), services};
    ASSERT_TRUE(view.Create());
    Journal journal(2);
    const std::vector<std::string> titles{"srv (srv.lan)", "gw (gw.lan)"};
    const JournalPage page(journal, titles);
    std::vector<HostCheck> checks(3);
    TimePoint now = std::chrono::system_clock::now() - std::chrono::hours(1);
    const auto check = [&](int host, HostState state) {
        RecordCheck(checks[host], state, "192.0.2." + std::to_string(host), 3, now += std::chrono::seconds(5));
        const std::string name = host == 1 ? "srv.lan" : "gw.lan";
        journal.Checked(host, checks[host], "Сеть", name.substr(0, name.find('.')), name, now);
    };
    check(1, HostState::NoAnswer), check(2, HostState::Answered), check(1, HostState::Answered);
    const std::wstring title = Widen(kJournalTitle);
    view.ShowJournal(page);
    view.ShowJournal(page);
    const HWND window = FindWindowW(nullptr, title.c_str());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(FindWindowExW(nullptr, window, nullptr, title.c_str()), nullptr) << "a second window";
    const HWND list = FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
    const HWND strips = FindWindowExW(window, list, WC_LISTVIEWW, nullptr);
    const auto cell = [&](int row, int column, HWND of = nullptr) {
        wchar_t text[128] = {};
        ListView_GetItemText(of != nullptr ? of : list, row, column, text, std::size(text));
        return std::wstring(text);
    };
    EXPECT_EQ(ListView_GetItemCount(list), 2);
    EXPECT_EQ(cell(0, 5) + L"|" + cell(1, 5) + L"|" + cell(1, 3), L"отвечает, 3 мс|не отвечает|srv.lan");
    EXPECT_EQ(ListView_GetItemCount(strips), 2);
    const DayStrip first = page.Strips(std::chrono::system_clock::now(), 1).at(0);
    EXPECT_EQ(cell(0, 0, strips) + L"|" + cell(0, 2, strips), Widen(first.title + "|" + first.figures));
    EXPECT_TRUE(IsWindowEnabled(view.Handle())) << "the journal is not modal";

    now = std::chrono::system_clock::now() - std::chrono::seconds(5);
    check(2, HostState::Unresolved);
    view.JournalChanged();
    EXPECT_EQ(ListView_GetItemCount(list), 3);
    EXPECT_EQ(cell(0, 3) + L"|" + cell(0, 5), L"gw.lan|имя не резолвится");
    // Silent for only the last seconds of the day: the bar still ends in red.
    const int gw = cell(0, 0, strips) == L"gw (gw.lan)" ? 0 : 1;
    RECT bar{};
    ListView_GetSubItemRect(strips, gw, 1, LVIR_BOUNDS, &bar);
    const int inset = std::max(2, static_cast<int>(bar.bottom - bar.top) / 6);
    COLORREF end = CLR_INVALID;
    for (int tries = 0; tries < 40 && end != kDeadColor; ++tries, Sleep(50)) {
        RedrawWindow(strips, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        const HDC dc = GetDC(strips);
        end = GetPixel(dc, bar.right - inset - 2, (bar.top + bar.bottom) / 2);  // inside the frame
        ReleaseDC(strips, dc);
    }
    EXPECT_EQ(end, kDeadColor) << "the bar's last pixel";
    for (std::size_t i = 0; i < kMaxJournalEntries; ++i)
        check(1, i % 2 ? HostState::Answered : HostState::NoAnswer);
    view.JournalChanged();
    EXPECT_EQ(static_cast<std::size_t>(ListView_GetItemCount(list)), kMaxJournalEntries);
    EXPECT_TRUE(IsWindowVisible(Find(window, Widen(page.DroppedNote()).c_str())));

    SendMessageW(Find(window, Widen(kJournalCloseCaption).c_str()), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    view.ShowJournal(page);
    RECT note{};
    GetWindowRect(Find(FindWindowW(nullptr, title.c_str()), Widen(page.DroppedNote()).c_str()), &note);
    EXPECT_GT(note.right - note.left, 0) << "not opened again, or its note not placed";
}

}  // namespace
}  // namespace orvane2::win32
