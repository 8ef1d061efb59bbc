// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/form_services.h"
#include "core/form_view.h"
#include "probe/host_probe.h"

namespace orvane2::testing {

using Strings = std::vector<std::string>;

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
        Log("MsgBox", onMsgBox);
    }
    void DoEvents() override { Log("DoEvents", onDoEvents); }
    bool FileExists(const std::string& path) override { return files.count(path) > 0; }
    bool Kill(const std::string& path) override { return Log("Kill " + path), files.erase(path) > 0; }
    std::optional<std::string> ReadText(const std::string& path) override
    {
        if (unreadable.count(path) || !files.count(path))
            return std::nullopt;
        return files.at(path);
    }
    bool AppendLines(const std::string& path, const Strings& lines) override
    {
        for (const std::string& line : lines)
            files[path] += line + "\r\n";
        return Log("Append " + path), true;
    }
    bool Launch(const std::string& program, const Strings& arguments) override
    {
        launches.push_back(arguments);
        return Log("Launch " + program), true;
    }
    std::string ExecutablePath() override { return "/opt/orvane2"; }
    [[noreturn]] void End(int exitCode) override
    {
        RunUnloadHandler();
        Log("End " + std::to_string(exitCode));
        throw ProgramEnded(exitCode);
    }
    Strings Prompts() const
    {
        Strings prompts;
        for (const Message& m : messages)
            prompts.push_back(m.prompt);
        return prompts;
    }

    std::map<std::string, std::string> files;
    std::set<std::string> unreadable;
    std::vector<Message> messages;
    std::vector<Strings> launches;
    Strings log;
    std::function<void()> onMsgBox, onDoEvents;

private:
    void Log(std::string step, const std::function<void()>& then = {})
    {
        log.push_back(std::move(step));
        if (then)
            then();
    }
};

// A window that records what it was told to show, into the services' log.
class FakeView final : public FormView {
public:
    explicit FakeView(Strings& log) : log_(log) {}

    void PlaceBoard(const Board& board) override { placed = board, log_.push_back("PlaceBoard"); }
    void SetLabelColor(int index, std::uint32_t bgr) override { colors[index] = bgr; }
    void SetStatusCaption(const std::string& caption) override { log_.push_back("Status " + caption); }
    WindowShowState ShowState() const override { return state; }
    void Restore() override { state = WindowShowState::Normal, log_.push_back("Restore"); }
    void HideMinimized() override { state = WindowShowState::Minimized, log_.push_back("HideMinimized"); }
    void Minimize() override { state = WindowShowState::Minimized, log_.push_back("Minimize"); }
    void OpenPopupMenu() override
    {
        log_.push_back("Popup");
        if (failPopup)
            throw std::runtime_error("no menu");
    }
    void ShowMenuBar() override { log_.push_back("MenuBar"); }
    std::optional<std::string> ChooseFile(const OpenFileRequest& request) override { return asked = request, chosen; }
    bool AddTrayIcon(const std::string& tip) override { return log_.push_back("AddTray " + tip), trayAvailable; }
    void RemoveTrayIcon() override { log_.push_back("RemoveTray"); }
    void StartTimer(int intervalMs) override { log_.push_back("Timer " + std::to_string(intervalMs)); }

    WindowShowState state = WindowShowState::Normal;
    bool trayAvailable = true, failPopup = false;
    std::optional<std::string> chosen;
    OpenFileRequest asked;
    Board placed;
    std::map<int, std::uint32_t> colors;

private:
    Strings& log_;
};

// Names in `addresses` resolve; addresses in `alive` answer. Every call is logged.
class FakeProbe final : public HostProbe {
public:
    int32_t Resolve(const std::string& NameOrIP, std::string& IP) override
    {
        calls.push_back("Resolve " + NameOrIP);
        const auto found = addresses.find(NameOrIP);
        return found == addresses.end() ? 11001 : (IP = found->second, 0);
    }
    bool Ping(const std::string& IP, int32_t TimeoutMS, const std::string& Data) override
    {
        calls.push_back("Ping " + IP + " " + std::to_string(TimeoutMS) + " [" + Data + "]");
        if (onPing)
            onPing();
        if (alive.count(IP))
            return true;
        Reason = failReason, Status = failStatus;
        return false;
    }

    std::map<std::string, std::string> addresses;
    std::set<std::string> alive;
    Strings calls;
    int32_t failReason = 3, failStatus = 11010;  // a silent host: request timed out
    std::function<void()> onPing;
};

}  // namespace orvane2::testing
