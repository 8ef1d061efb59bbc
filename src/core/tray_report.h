// SPDX-License-Identifier: MIT
#pragma once

#include "core/host_check.h"

#include <optional>
#include <string>
#include <vector>

namespace orvane2 {

// The mark the tray icon carries over the program's own picture.
enum class TrayMark {
    None,        // no cycle has finished yet: the program's icon as it is
    AllAnswer,   // every host answered in the last cycle: a green mark
    SomeSilent,  // at least one host did not answer (or its name did not resolve): a red mark
};

// What the tray icon shows: its mark and its tooltip, one line or two separated by "\n".
struct TrayLook {
    TrayMark mark = TrayMark::None;
    std::string toolTip;
};

// One desktop notification: a title, and a text of one line per host. someSilent tells
// whether any host in it went silent (a desktop may show a warning sign then).
struct HostNotice {
    std::string title;
    std::string text;
    bool someSilent = false;
};

// A host as the report sees it after a cycle: its label's caption, its name as written
// in the file, and what its last check found.
struct WatchedHost {
    std::string caption;
    std::string name;
    HostState state = HostState::NotChecked;
};

inline constexpr int kNoticeLines = 5;  // a notification names at most this many lines

// What the tray tells of the board. After every cycle it takes the hosts' states and
// answers the icon's look and the news the user has not been told yet:
// - A host's first check sets what the user was last told of it; it is news to no one.
// - A host told as answering is told as silent once it has not answered in two cycles in
//   a row (a single lost echo is not news, though the label and the mark turn red at
//   once); a host told as silent is told as answering at the first cycle it answers.
// - A cycle's news, if any, make one notification, one line per host in file order:
//   "caption (name) не отвечает" or "caption (name) отвечает" (just the name when the
//   caption is the name); past kNoticeLines lines the last says how many more.
// Anything but Answered counts as silent; a host still NotChecked is left out.
class TrayReport {
public:
    TrayReport();

    // Takes the hosts (1 to TotalHosts, in file order) as the cycle that just finished
    // left them. Returns the notification to show, if the cycle brought news.
    std::optional<HostNotice> CycleFinished(const std::vector<WatchedHost>& hosts);

    // The icon's look now: before the first cycle the mark None and the one line
    // "Монитор узлов активен"; after it a second line "Не отвечают: N из M" while N of
    // M hosts do not answer, "Все M отвечают" while all do. A board without hosts keeps
    // the one line and no mark.
    const TrayLook& Look() const { return look_; }

private:
    enum class Told { Nothing, Answering, Silent };
    struct Memory {
        Told told = Told::Nothing;
        int silentCycles = 0;  // cycles in a row without an answer
    };

    TrayLook look_;
    std::vector<Memory> memory_;  // by host, index 0 for host 1
};

}  // namespace orvane2
