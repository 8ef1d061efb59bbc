// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

namespace orvane2::win32 {

// Message boxes that do not hold up the caller: each box runs on a thread of its own,
// and a text whose box is still open is not shown a second time. The boxes have no
// owner: an owned box would disable the window and tie its input to the box's thread.
// Boxes still open when the process ends go with it; nothing waits for them.
class NoticeBoxes {
public:
    NoticeBoxes();

    // Opens a box (OK button, the title given) with the text and returns at once;
    // does nothing while a box with the same text is open.
    void Show(const std::string& text, const std::string& title);
    // The boxes open now.
    int OpenCount() const;

private:
    struct Open;  // the texts on screen, shared with the boxes' threads
    std::shared_ptr<Open> open_;
};

}  // namespace orvane2::win32
