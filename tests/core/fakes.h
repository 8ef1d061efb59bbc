#pragma once

#include "core/form_services.h"
#include "core/form_view.h"
#include "probe/host_probe.h"

#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace orvane2::testing {

// Thrown by the fake End so that the code under test stops where the program would end.
struct ProgramEnded : std::runtime_error {
    explicit ProgramEnded(int code) : std::runtime_error("program ended"), exitCode(code) {}
    int exitCode;
};

struct Message {
    std::string prompt;
    int style;
    std::string title;  // as shown: the program's title when none was given
};

// Desktop services over an in-memory file system; every step goes to one log.
class FakeServices final : public FormServices {
public:
    void MsgBox(const std::string& prompt, int style, const std::string& title) override
    {
        messages.push_back({prompt, style, title.empty() ? kProgramTitle : title});
        log.push_back("MsgBox");
        if (onMsgBox)
            onMsgBox();
    }
    void DoEvents() override
    {
        log.push_back("DoEvents");
        if (onDoEvents)
            onDoEvents();
    }
    bool FileExists(const std::string& path) override { return files.count(path) > 0; }
    bool Kill(const std::string& path) override
    {
        log.push_back("Kill " + path);
        return files.erase(path) > 0;
    }
    std::optional<std::string> ReadText(const std::string& path) override
    {
        if (unreadable.count(path) || !files.count(path))
            return std::nullopt;
        return files.at(path);
    }
    bool AppendLines(const std::string& path, const std::vector<std::string>& lines) override
    {
        for (const std::string& line : lines)
            files[path] += line + "\r\n";
        log.push_back("Append " + path);
        return true;
    }
    bool Launch(const std::string& program, const std::vector<std::string>& arguments) override
    {
        launches.push_back(arguments);
        log.push_back("Launch " + program);
        return true;
    }
    std::string ExecutablePath() override { return "/opt/orvane2"; }
    [[noreturn]] void End(int exitCode) override
    {
        RunUnloadHandler();
        log.push_back("End " + std::to_string(exitCode));
        throw ProgramEnded(exitCode);
    }

    std::map<std::string, std::string> files;
    std::set<std::string> unreadable;
    std::vector<Message> messages;
    std::vector<std::vector<std::string>> launches;
    std::vector<std::string> log;
    std::function<void()> onMsgBox;
    std::function<void()> onDoEvents;
};

// A window that records what it was told to show, into the same log as the services.
class FakeView final : public FormView {
public:
    explicit FakeView(std::vector<std::string>& log) : log_(log) {}

    void PlaceBoard(const Board& board) override
    {
        placed = board;
        log_.push_back("PlaceBoard");
    }
    void SetLabelColor(int index, std::uint32_t bgr) override { colors[index] = bgr; }
    void SetStatusCaption(const std::string& caption) override { log_.push_back("Status " + caption); }
    WindowShowState ShowState() const override { return state; }
    void Restore() override { Record("Restore", WindowShowState::Normal); }
    void HideMinimized() override { Record("HideMinimized", WindowShowState::Minimized); }
    void Minimize() override { Record("Minimize", WindowShowState::Minimized); }
    void OpenPopupMenu() override
    {
        log_.push_back("Popup");
        if (failPopup)
            throw std::runtime_error("no menu");
    }
    void ShowMenuBar() override { log_.push_back("MenuBar"); }
    std::optional<std::string> ChooseFile(const OpenFileRequest& request) override
    {
        asked = request;
        return chosen;
    }
    bool AddTrayIcon(const std::string& toolTip) override
    {
        log_.push_back("AddTray " + toolTip);
        return trayAvailable;
    }
    void RemoveTrayIcon() override { log_.push_back("RemoveTray"); }
    void StartTimer(int intervalMs) override { log_.push_back("Timer " + std::to_string(intervalMs)); }

    WindowShowState state = WindowShowState::Normal;
    bool trayAvailable = true;
    bool failPopup = false;
    std::optional<std::string> chosen;
    OpenFileRequest asked;
    Board placed;
    std::map<int, std::uint32_t> colors;

private:
    void Record(const char* step, WindowShowState next)
    {
        log_.push_back(step);
        state = next;
    }
    std::vector<std::string>& log_;
};

// Names in `addresses` resolve; addresses in `alive` answer. Every call is logged.
class FakeProbe final : public HostProbe {
public:
    int32_t Resolve(const std::string& NameOrIP, std::string& IP) override
    {
        calls.push_back("Resolve " + NameOrIP);
        const auto found = addresses.find(NameOrIP);
        if (found == addresses.end())
            return 11001;
        IP = found->second;
        return 0;
    }
    bool Ping(const std::string& IP, int32_t TimeoutMS, const std::string& Data) override
    {
        calls.push_back("Ping " + IP + " " + std::to_string(TimeoutMS) + " [" + Data + "]");
        if (onPing)
            onPing();
        if (alive.count(IP))
            return true;
        Reason = failReason;
        Status = failStatus;
        return false;
    }

    std::map<std::string, std::string> addresses;
    std::set<std::string> alive;
    std::vector<std::string> calls;
    int32_t failReason = 3;      // a silent host
    int32_t failStatus = 11010;  // request timed out
    std::function<void()> onPing;
};

}  // namespace orvane2::testing
