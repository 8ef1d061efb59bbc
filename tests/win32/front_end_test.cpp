// SPDX-License-Identifier: MIT
// The Windows window and services in this process, under Wine in Xvfb: label tooltips,
// the scroll area of a board taller than the screen, files read in pieces, work off the
// window's thread, notices that do not wait.
#include "core/board_layout.h"
#include "core/utf8_text.h"
#include "win32/win32_form_services.h"
#include "win32/win32_form_view.h"

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

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

// The windows with that text under parent, however deep, or the top-level ones for none.
std::vector<HWND> WindowsTitled(HWND parent, const std::wstring& text)
{
    std::pair<std::wstring, std::vector<HWND>> sought{text, {}};
    const WNDENUMPROC each = [](HWND w, LPARAM found) {
        auto& [title, hits] = *reinterpret_cast<std::pair<std::wstring, std::vector<HWND>>*>(found);
        wchar_t own[64] = {};
        GetWindowTextW(w, own, 64);
        if (title == own)
            hits.push_back(w);
        return TRUE;
    };
    // Wine's EnumChildWindows lists nothing for no parent.
    parent ? EnumChildWindows(parent, each, reinterpret_cast<LPARAM>(&sought))
           : EnumWindows(each, reinterpret_cast<LPARAM>(&sought));
    return sought.second;
}

class Win32Window : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(view.Create()); }
    HWND Find(const std::wstring& caption) { return WindowsTitled(view.Handle(), caption).at(0); }

    Win32FormServices services;
    Win32FormView view{GetModuleHandleW(nullptr), services};
};

TEST_F(Win32Window, LabelTooltipsTellTheStateInLinesAndChangeInPlace)
{
    view.PlaceBoard(LaidOut(2, std::nullopt));
    view.SetLabelDescription(1, "srv.lan\n10.0.0.5\nотвечает, 3 мс");
    view.SetLabelDescription(2, "b");
    view.SetLabelDescription(1, "srv.lan\nне отвечает");
    const HWND tooltip = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr);
    ASSERT_EQ(GetWindow(tooltip, GW_OWNER), view.Handle());
    EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 2);
    EXPECT_GT(SendMessageW(tooltip, TTM_GETMAXTIPWIDTH, 0, 0), 0);  // then '\n' breaks the line
    for (const auto& [caption, tip] : {std::pair{L"host1", L"srv.lan\nне отвечает"}, {L"host2", L"b"}}) {
        const HWND label = Find(caption);
        ASSERT_EQ(GetParent(label), view.Handle()) << "a board that fits needs no scroll area";
        EXPECT_TRUE(GetWindowLongW(label, GWL_STYLE) & SS_NOTIFY) << "else the mouse passes through";
        wchar_t text[256] = {};
        TTTOOLINFOW tool{
            TTTOOLINFOW_V2_SIZE, 0, view.Handle(), reinterpret_cast<UINT_PTR>(label), {}, nullptr, text, 0, nullptr};
        SendMessageW(tooltip, TTM_GETTEXTW, std::size(text), reinterpret_cast<LPARAM>(&tool));
        EXPECT_EQ(std::wstring(text), tip);
    }
}

TEST_F(Win32Window, ABoardTallerThanTheScreenScrollsAboveTheStatusLine)
{
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);  // one screen, 96 dots per inch
    EXPECT_EQ(view.AvailableHeight(), (work.bottom - work.top) * layout::kTwipsPerPixel);
    const Board board = LaidOut(40, 4000);
    ASSERT_TRUE(board.Viewport);
    view.PlaceBoard(board);
    RECT outer{}, client{}, shown{}, last{};
    GetWindowRect(view.Handle(), &outer);
    EXPECT_EQ(outer.bottom - outer.top, layout::ToPixels(*board.WindowHeight));
    const HWND label = Find(L"host40"), content = GetParent(label), viewport = GetParent(content);
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
    MapWindowPoints(nullptr, content, reinterpret_cast<POINT*>(&last), 2);
    EXPECT_EQ(last.top, layout::ToPixels(board.Frame1[1].rect.top) + layout::ToPixels(board.Label1[40].rect.top));
    MapWindowPoints(content, viewport, reinterpret_cast<POINT*>(&last), 2);
    EXPECT_TRUE(last.top >= 0 && last.bottom <= shown.bottom) << "wheeled to the end, the last label shows";
}

TEST(Win32Services, AwaitOffThreadHandlesTheWindowsMessagesKeepsAQuitAndRethrows)
{
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {  // a quit left by a window of another test
    }
    Win32FormServices services;
    const HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    const DWORD windowThread = GetCurrentThreadId();
    bool closedMeanwhile = false;
    services.AwaitOffThread([&] {
        PostThreadMessageW(windowThread, WM_QUIT, 7, 0);
        PostMessageW(window, WM_CLOSE, 0, 0);  // a closed STATIC destroys itself
        closedMeanwhile = Eventually([&] { return !IsWindow(window); });
    });
    EXPECT_TRUE(closedMeanwhile);
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) && message.message != WM_QUIT) {
    }
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 7u);
    EXPECT_THROW(services.AwaitOffThread([] { throw std::runtime_error("no echo"); }), std::runtime_error);
}

TEST(Win32Services, NoticesDoNotWaitAndOpenOneBoxPerTextUntilItIsClosed)
{
    Win32FormServices services;
    const auto boxes = [] { return WindowsTitled(nullptr, L"Orvane2"); };
    for (int round = 0; round < 2; ++round) {       // once closed, the same text comes again
        services.ShowNotice("Проверьте свой DNS");  // returns with the box open
        services.ShowNotice("Проверьте свой DNS");
        EXPECT_EQ(services.OpenNotices(), 1);
        ASSERT_TRUE(Eventually([&] { return !boxes().empty(); }));
        Sleep(300);  // room for a second box to turn up
        ASSERT_EQ(boxes().size(), 1u);
        PostMessageW(boxes()[0], WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(Eventually([&] { return services.OpenNotices() == 0 && boxes().empty(); }));
    }
}

// The text that ReadText hands over, or a note when a piece cut a character.
std::optional<std::string> ReadBack(Win32FormServices& services, const std::string& path, std::size_t& pieces)
{
    std::string text;
    bool whole = true;
    pieces = 0;
    if (!services.ReadText(path, [&](std::string_view piece) {
            text += piece, ++pieces;
            whole = whole && WholeCharacters(piece) == piece.size();
        }))
        return std::nullopt;
    return whole ? text : "(a piece cut a character)";
}

TEST(Win32Services, FilesAreReadInPiecesAsUtf8ElseWindows1251)
{
    const std::string mib(1 << 20, 'a');
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"group Сеть\n", "group Сеть\n"},            // UTF-8
        {"\xEF\xBB\xBFgroup Сеть", "group Сеть"},    // after a byte-order mark
        {"group \xD1\xE5\xF2\xFC", "group Сеть"},    // Windows-1251
        {"\xEF\xBB\xBF\xD1", "С"},                   // a mark before Windows-1251
        {mib.substr(1) + "Ж", mib.substr(1) + "Ж"},  // across the first two chunks
        {"Ж" + mib + "\xFF", "Р–" + mib + "я"},      // the one fault lies past the first chunk
    };
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "orvane2 read test.cfg";
    Win32FormServices services;
    std::size_t pieces = 0;
    for (const auto& [bytes, text] : cases) {
        std::ofstream(path, std::ios::binary) << bytes;
        EXPECT_EQ(ReadBack(services, path.string(), pieces), text) << bytes.substr(0, 20);
        EXPECT_GT(pieces, bytes.size() >> 20) << "a mebibyte a piece at most";
    }
    std::filesystem::remove(path);
    EXPECT_EQ(ReadBack(services, path.string(), pieces), std::nullopt);
}

}  // namespace
}  // namespace orvane2::win32
