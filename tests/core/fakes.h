// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "core/form1.h"
#include "core/form_services.h"
#include "core/form_view.h"
#include "core/startup.h"
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
    std::string title;  // empty for the program's own
};

// Desktop services over an in-memory file system of bytes; every step goes to one log.
class FakeServices final : public FormServices {
public:
    void MsgBox(const std::string& prompt, int style, const std::string& title) override
    {
        messages.push_back({prompt, style, title});
        Log("MsgBox");
    }
    void ShowNotice(const std::string& prompt) override
    {
        if (openNotices.insert(prompt).second)
            notices.push_back(prompt), Log("Notice");
    }
    void DoEvents() override { Log("DoEvents"); }
    // Queued until the test runs them with RunPosted.
    void PostToWindow(std::function<void()> task) override { posted.push_back(std::move(task)); }
    // Runs the tasks queued so far, oldest first (and those they post); how many ran.
    std::size_t RunPosted()
    {
        std::size_t ran = 0;
        for (; !posted.empty(); ++ran) {
            const std::function<void()> task = std::move(posted.front());
            posted.erase(posted.begin());
            task();
        }
        return ran;
    }
    FileLookup LookUpFile(const std::string& path) override
    {
        if (unreachable.count(path))
            return FileLookup::Unreachable;
        return files.count(path) ? FileLookup::File : FileLookup::Missing;
    }
    bool Kill(const std::string& path) override { return Log("Kill " + path), files.erase(path) > 0; }
    // Hands the file's bytes over in pieces of pieceSize bytes.
    bool ReadBytes(const std::string& path, const std::function<bool(std::string_view)>& take) override
    {
        if (unreadable.count(path) || !files.count(path))
            return false;
        const std::string_view bytes = files.at(path);
        for (std::size_t at = 0; at < bytes.size() && take(bytes.substr(at, pieceSize));)
            at += pieceSize;
        return true;
    }
    bool AppendLines(const std::string& path, const Strings& lines) override
    {
        for (const std::string& line : lines)
            files[path] += line + "\r\n";
        return Log("Append " + path), true;
    }
    // A path in unwritable cannot be written; the file there is left as it was.
    bool WriteWholeFile(const std::string& path, std::string_view bytes) override
    {
        return !unwritable.count(path) && (files[path] = bytes, true);
    }
    bool Launch(const std::string& program, const Strings& arguments) override
    {
        launches.push_back(arguments);
        return Log("Launch " + program), !launchFails;
    }
    std::string ExecutablePath() override { return "/opt/orvane2"; }
    std::chrono::system_clock::time_point Now() override { return now; }
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
    std::set<std::string> unreadable, unreachable, unwritable;  // cannot be read; looked at; written
    std::size_t pieceSize = 5;                                  // small and odd: cuts land inside characters
    std::vector<Message> messages;
    Strings notices;                    // every box that did not wait, in order
    std::set<std::string> openNotices;  // those still open: clear() closes them
    std::vector<Strings> launches;
    bool launchFails = false;
    Strings log;
    std::vector<std::function<void()>> posted;
    std::chrono::system_clock::time_point now = std::chrono::system_clock::from_time_t(1'800'000'000);

private:
    void Log(std::string step, std::function<void()> then = {})  // a copy: the handler may reset itself
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

    std::optional<int> AvailableHeight() const override { return available; }
    void PlaceBoard(const Board& board) override { placed = board, log_.push_back("PlaceBoard"); }
    void SetLabelColor(int index, std::uint32_t bgr) override { colors[index] = bgr; }
    void SetLabelDescription(int index, const std::string& text) override { descriptions[index] = text; }
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
    void HideMenuBar() override { log_.push_back("NoMenuBar"); }
    std::optional<std::string> ChooseFile(const OpenFileRequest& request) override { return asked = request, chosen; }
    void ShowJournal(const JournalPage& page) override { journal = &page, log_.push_back("ShowJournal"); }
    void JournalChanged() override { ++journalChanges; }
    void StartJournalTimer(int ms) override { journalTimer = ms; }
    void StopJournalTimer() override { journalTimer = 0; }
    std::optional<std::string> ChooseSaveFile(const OpenFileRequest& request) override
    {
        return askedSave = request, chosenSave;
    }
    bool AddTrayIcon(const TrayLook& added) override
    {
        return look = added, log_.push_back("AddTray " + added.toolTip), trayAvailable;
    }
    void SetTrayLook(const TrayLook& set) override { look = set; }
    void RemoveTrayIcon() override { log_.push_back("RemoveTray"); }
    void Notify(const HostNotice& notice) override { notices.push_back(notice.text), log_.push_back("Notify"); }
    void StartTrayTimer(int ms) override { log_.push_back("TrayTimer " + std::to_string(ms)); }
    void StopTrayTimer() override { log_.push_back("StopTrayTimer"); }
    void StartTimer(int intervalMs) override { log_.push_back("Timer " + std::to_string(intervalMs)); }

    WindowShowState state = WindowShowState::Normal;
    bool trayAvailable = true, failPopup = false;
    std::optional<std::string> chosen, chosenSave;
    OpenFileRequest asked, askedSave;
    const JournalPage* journal = nullptr;  // the page last shown
    int journalChanges = 0;
    int journalTimer = 0;  // ms the journal's timer was last started for; 0 when stopped
    Board placed;
    std::optional<int> available;
    std::map<int, std::uint32_t> colors;
    std::map<int, std::string> descriptions;
    TrayLook look;
    Strings notices;  // the text of every notification

private:
    Strings& log_;
};

// Names in `addresses` resolve; addresses in `alive` answer, after roundTrip ms. Every
// call is logged. A batch reports nothing by itself: the test delivers each host's
// outcome when it likes, in any order, as the probe's thread would.
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
        lastOutcome_ = alive.count(IP) ? PingOutcome::Answered : failure;
        return lastOutcome_ == PingOutcome::Answered;
    }
    void StartBatch(std::vector<std::string> names, int32_t TimeoutMS, ReportSink report) override
    {
        std::string call = "Batch " + std::to_string(TimeoutMS);
        for (const std::string& name : names)
            call += " " + name;
        calls.push_back(call);
        if (batchThrows)
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again), "thread");
        batch = std::move(names);
        sink = std::move(report);
    }
    // Reports host (from 0) of the running batch as found now.
    void Deliver(std::size_t host)
    {
        HostReport report;
        report.host = host;
        report.resolveResult = Resolve(batch.at(host), report.address);
        calls.pop_back();
        if (const auto lacking = unchecked.find(batch.at(host)); lacking != unchecked.end()) {
            report = {host, 0, {}, PingOutcome::CheckFailed, 0, lacking->second};
        } else if (report.resolveResult == 0) {
            report.outcome = alive.count(report.address) ? PingOutcome::Answered : failure;
            report.roundTripMs = report.outcome == PingOutcome::Answered ? roundTrip : 0;
        }
        sink(report);
    }
    void DeliverAll()
    {
        for (std::size_t host = 0; host < batch.size(); ++host)
            Deliver(host);
    }

    std::map<std::string, std::string> addresses;
    std::set<std::string> alive;
    int32_t roundTrip = 0;
    PingOutcome failure = PingOutcome::NoAnswer;
    bool batchThrows = false;                      // StartBatch throws, as when no thread can start
    std::map<std::string, std::string> unchecked;  // names the batch could not check, and why
    Strings calls;
    std::vector<std::string> batch;  // the names of the last batch
    ReportSink sink;
};

// The window's behaviour against a recording desktop: Load runs start-up on a file.
struct Desk {
    FakeServices services;
    FakeView view{services.log};
    Form1 form{services, view};
    FakeProbe* probe = nullptr;
    std::optional<int> endedWith;

    template <typename Step>
    void Trap(Step step)
    {
        try {
            step();
        } catch (const ProgramEnded& e) {
            endedWith = e.exitCode;
        }
    }
    void Load(const std::string& file, const std::string& arguments = "")
    {
        services.files[arguments.empty() ? kDefaultConfigPath : arguments] = file;
        Trap([&] {
            form.Load(arguments, [this] {
                auto owned = std::make_unique<FakeProbe>();
                probe = owned.get();
                return owned;
            });
        });
        services.log.clear();
    }
};

}  // namespace orvane2::testing
