// Plays the p-System window for the tests: a window with a title that logs every key it gets
// and the text the keys type, and on "QXI=VP:GO" Return reads GO.TEXT from the VP volume,
// logs its lines and closes itself when they end the session.
//   psystem_window_standin <title> <log> <volume> [--appear-after ms] [--never-appear]
//       [--iconic] [--focus-late ms] [--focus-to <title> --after-keys n]
// --after-keys counts the keys that typed a character.
#include "psystem/MajorVolume.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/select.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

struct TOptions {
    std::string Title;
    std::string Log;
    std::string Volume;
    int AppearAfter = 0;
    bool NeverAppear = false;
    bool Iconic = false;
    int FocusLate = 0;
    std::string FocusTo;
    int AfterKeys = 0;
};

std::ofstream GLog;

void Log(const std::string& Line) {
    GLog << Line << '\n';
    GLog.flush();
}

void SetWmState(Display* D, Window W, long State) {
    const Atom WmState = XInternAtom(D, "WM_STATE", False);
    const long Data[2] = {State, long(None)};
    XChangeProperty(D, W, WmState, WmState, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(Data), 2);
}

Window FindByName(Display* D, const std::string& Title) {
    Window Root = None;
    Window Parent = None;
    Window* Children = nullptr;
    unsigned Count = 0;
    Window Found = None;
    if (XQueryTree(D, DefaultRootWindow(D), &Root, &Parent, &Children, &Count) == 0)
        return None;
    for (unsigned I = 0; I < Count && Found == None; ++I) {
        char* Name = nullptr;
        if (XFetchName(D, Children[I], &Name) && Name) {
            if (Title == Name)
                Found = Children[I];
            XFree(Name);
        }
    }
    XFree(Children);
    return Found;
}

void LogGoText(const std::string& Volume, Display* D, Window W) {
    std::vector<std::string> Lines;
    try {
        korvid::TMajorVolume V(Volume, false);
        Lines = V.ReadFileLines(0, "GO.TEXT");
    } catch (const std::exception& Error) {
        Log(std::string("error ") + Error.what());
        return;
    }
    for (const std::string& Line : Lines)
        Log("line " + Line);
    if (!Lines.empty() && Lines.back() == "X*CLOSEPSYS.CODE") {
        Log("closing");
        XDestroyWindow(D, W);
        XSync(D, False);
        XCloseDisplay(D);
        std::exit(0);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4)
        return 2;
    TOptions Options;
    Options.Title = argv[1];
    Options.Log = argv[2];
    Options.Volume = argv[3];
    for (int I = 4; I < argc; ++I) {
        const std::string Arg = argv[I];
        const auto Next = [&] { return I + 1 < argc ? std::string(argv[++I]) : std::string(); };
        if (Arg == "--appear-after")
            Options.AppearAfter = std::atoi(Next().c_str());
        else if (Arg == "--never-appear")
            Options.NeverAppear = true;
        else if (Arg == "--iconic")
            Options.Iconic = true;
        else if (Arg == "--focus-late")
            Options.FocusLate = std::atoi(Next().c_str());
        else if (Arg == "--focus-to")
            Options.FocusTo = Next();
        else if (Arg == "--after-keys")
            Options.AfterKeys = std::atoi(Next().c_str());
    }
    GLog.open(Options.Log, std::ios::app | std::ios::binary);
    Log("started");
    if (Options.NeverAppear) {
        std::this_thread::sleep_for(std::chrono::seconds(20));
        return 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(Options.AppearAfter));
    Display* D = XOpenDisplay(nullptr);
    if (!D) {
        Log("no display");
        return 1;
    }
    const Window W = XCreateSimpleWindow(D, DefaultRootWindow(D), 10, 10, 200, 100, 0, 0, 0);
    XStoreName(D, W, Options.Title.c_str());
    XChangeProperty(D, W, XInternAtom(D, "_NET_WM_NAME", False),
                    XInternAtom(D, "UTF8_STRING", False), 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(Options.Title.data()),
                    int(Options.Title.size()));
    XSelectInput(D, W, KeyPressMask | KeyReleaseMask | StructureNotifyMask | FocusChangeMask);
    // No window manager runs under the tests: the window keeps its own state.
    SetWmState(D, W, Options.Iconic ? IconicState : NormalState);
    if (!Options.Iconic)
        XMapRaised(D, W);
    XSync(D, False);
    Log("ready");

    std::string Typed;
    int Presses = 0;
    bool FocusGranted = Options.FocusLate == 0;
    Clock::time_point TakeFocusAt{};
    for (;;) {
        if (!FocusGranted && TakeFocusAt != Clock::time_point{} && Clock::now() >= TakeFocusAt) {
            FocusGranted = true;
            XSetInputFocus(D, W, RevertToParent, CurrentTime);
            XSync(D, False);
            Log("focus taken");
        }
        if (XPending(D) == 0) {
            fd_set Read;
            FD_ZERO(&Read);
            FD_SET(ConnectionNumber(D), &Read);
            timeval Timeout{0, 20000};
            select(ConnectionNumber(D) + 1, &Read, nullptr, nullptr, &Timeout);
            continue;
        }
        XEvent Event;
        XNextEvent(D, &Event);
        if (Event.type == MapNotify) {
            SetWmState(D, W, NormalState);
            Log("mapped");
        } else if (Event.type == FocusIn && !FocusGranted) {
            // Hand the focus back at once and take it only later, as a slow window manager does.
            XSetInputFocus(D, PointerRoot, RevertToPointerRoot, CurrentTime);
            if (TakeFocusAt == Clock::time_point{})
                TakeFocusAt = Clock::now() + std::chrono::milliseconds(Options.FocusLate);
        } else if (Event.type == KeyPress || Event.type == KeyRelease) {
            char Text[16] = {};
            KeySym Sym = NoSymbol;
            const int Length = XLookupString(&Event.xkey, Text, sizeof Text, &Sym, nullptr);
            const char* Name = XKeysymToString(Sym);
            Log(std::string(Event.type == KeyPress ? "press " : "release ") + (Name ? Name : "?"));
            if (Event.type != KeyPress)
                continue;
            if (Length > 0)
                ++Presses;
            for (int I = 0; I < Length; ++I) {
                char Hex[8];
                std::snprintf(Hex, sizeof Hex, "%02X",
                              unsigned(static_cast<unsigned char>(Text[I])));
                Log(std::string("char ") + Hex);
                Typed += Text[I];
            }
            if (!Options.FocusTo.empty() && Presses == Options.AfterKeys) {
                if (const Window Other = FindByName(D, Options.FocusTo); Other != None) {
                    XSetInputFocus(D, Other, RevertToParent, CurrentTime);
                    XSync(D, False);
                    Log("focus given away");
                }
            }
            if (Typed.size() >= 10 && Typed.compare(Typed.size() - 10, 10, "QXI=VP:GO\r") == 0)
                LogGoText(Options.Volume, D, W);
        }
    }
}
