// SPDX-License-Identifier: MIT
#include "win32/notice_boxes.h"

#include "win32/wide_text.h"

#include <windows.h>

#include <mutex>
#include <set>
#include <system_error>
#include <thread>

namespace orvane2::win32 {

struct NoticeBoxes::Open {
    mutable std::mutex mutex;
    std::set<std::wstring> texts;

    bool Add(const std::wstring& text)
    {
        const std::lock_guard lock(mutex);
        return texts.insert(text).second;
    }
    void Remove(const std::wstring& text)
    {
        const std::lock_guard lock(mutex);
        texts.erase(text);
    }
};

namespace {

// As MsgBox with vbOKOnly, but the box comes up on its own while the user works
// elsewhere: it does not ask for the foreground, so it takes no keyboard focus.
constexpr UINT kNoticeStyle = MB_OK;

}  // namespace

NoticeBoxes::NoticeBoxes() : open_(std::make_shared<Open>()) {}

void NoticeBoxes::Show(const std::string& text, const std::string& title)
{
    std::wstring prompt = Widen(text);
    std::wstring caption = Widen(title);
    if (!open_->Add(prompt))
        return;
    try {
        // Detached: a box left open never holds up the end of the process. The thread
        // keeps the set of open texts alive as long as it needs it.
        std::thread([open = open_, prompt, caption] {
            MessageBoxW(nullptr, prompt.c_str(), caption.c_str(), kNoticeStyle);
            open->Remove(prompt);
        }).detach();
    } catch (const std::system_error&) {
        // No thread to be had: the notice is still said, the caller waiting for it.
        open_->Remove(prompt);
        MessageBoxW(nullptr, prompt.c_str(), caption.c_str(), kNoticeStyle);
    }
}

int NoticeBoxes::OpenCount() const
{
    const std::lock_guard lock(open_->mutex);
    return static_cast<int>(open_->texts.size());
}

}  // namespace orvane2::win32
