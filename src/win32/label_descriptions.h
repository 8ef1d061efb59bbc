// SPDX-License-Identifier: MIT
#pragma once

#include <windows.h>

#include <memory>
#include <set>
#include <string>

struct IAccPropServices;

namespace orvane2::win32 {

// Each host label's state in words, as its tooltip (one tooltip control for the window,
// one tool per label, a line for each fact) and as its description for screen readers
// (the system's accessibility annotations). Lives on the window's thread, where it
// joins the COM apartment for the annotations; without them the tooltips still work.
class LabelDescriptions {
public:
    // The tooltip control belongs to owner; its lines are at most maxWidth pixels wide.
    LabelDescriptions(HWND owner, HINSTANCE instance, int maxWidth);
    ~LabelDescriptions();
    LabelDescriptions(const LabelDescriptions&) = delete;
    LabelDescriptions& operator=(const LabelDescriptions&) = delete;

    // Gives the label the text, or replaces the text it had. The label must be a STATIC
    // control with SS_NOTIFY, so that the mouse reaches it.
    void Describe(HWND label, const std::string& text);

private:
    struct ComApartment {
        ComApartment();
        ~ComApartment();
        ComApartment(const ComApartment&) = delete;
        ComApartment& operator=(const ComApartment&) = delete;
        HRESULT joined;
    };
    struct Release {
        void operator()(IAccPropServices* services) const;
    };

    ComApartment apartment_;  // first in, last out: the annotation service lives inside it
    std::unique_ptr<IAccPropServices, Release> annotations_;
    HWND tooltip_;
    std::set<HWND> described_;
};

}  // namespace orvane2::win32
