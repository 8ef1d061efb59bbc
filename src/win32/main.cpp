// SPDX-License-Identifier: MIT
// The program on Windows: the window's behaviour (Form1) on a Win32 view and Win32
// services, with the ICMP probe of the Windows IP helper.

#include "core/form1.h"
#include "core/unexpected_error.h"
#include "probe/ping_ipv4.h"
#include "win32/command_line.h"
#include "win32/wide_text.h"
#include "win32/win32_form_services.h"
#include "win32/win32_form_view.h"

#include <windows.h>

#include <memory>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    using namespace orvane2;
    // What escapes start-up or the message loop is told once the window and its tray
    // icon are gone.
    return RunToTheEnd(
        [instance] {
            win32::Win32FormServices services;
            win32::Win32FormView view(instance, services);
            if (!view.Create())
                return 1;
            services.SetOwner(view.Handle());

            Form1 form(services, view);
            view.Attach(&form);
            // The whole argument string is the configuration path.
            const std::string argumentString =
                win32::Narrow(win32::ConfigPathFromTail(win32::ArgumentTail(GetCommandLineW())));
            form.Load(argumentString, [] { return std::make_unique<PingIPv4>(); });
            view.Show();
            return services.RunMessageLoop();
        },
        win32::ShowErrorBox);
}
