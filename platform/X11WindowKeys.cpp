// Typing into another program's window under X11: windows are found by title walking the tree
// from the root, keys are synthesised with XTest on a display connection apart from Qt's.
#include "platform/X11WindowKeys.h"

#include "platform/Cp1252.h"

#include "platform/VirtualKeyCodes.h"
#include <QByteArray>
#include <QString>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <vector>

namespace korvid {

namespace {

constexpr std::string_view WaylandReason = "this desktop (Wayland) does not allow synthesised keys";
constexpr std::string_view NoDisplayReason = "there is no X display";
constexpr std::string_view NoXTestReason = "the X server has no XTEST extension";
// Keys found through the server's keyboard map are handed out as this plus their key code, out
// of the range of the virtual keys.
constexpr int KeyCodeBase = 0x10000;
constexpr long IconicStateValue = 3;
constexpr int MaxFrameDepth = 4;

// Xlib's default error handler ends the program; a window that vanishes between two calls is
// an ordinary event here. The trap is installed around each call and records any error.
bool GTrappedError = false;

int RecordError(Display*, XErrorEvent*) {
    GTrappedError = true;
    return 0;
}

class TErrorTrap {
public:
    explicit TErrorTrap(Display* D) : FDisplay(D) {
        XSync(FDisplay, False);
        GTrappedError = false;
        FOld = XSetErrorHandler(RecordError);
    }
    ~TErrorTrap() {
        XSync(FDisplay, False);
        XSetErrorHandler(FOld);
    }
    TErrorTrap(const TErrorTrap&) = delete;
    TErrorTrap& operator=(const TErrorTrap&) = delete;

    bool Failed() {
        XSync(FDisplay, False);
        return GTrappedError;
    }

private:
    Display* FDisplay;
    int (*FOld)(Display*, XErrorEvent*) = nullptr;
};

// Owns what Xlib allocates for a caller.
template <typename T> struct TXFree {
    void operator()(T* P) const {
        if (P)
            XFree(P);
    }
};
template <typename T> using TXPointer = std::unique_ptr<T, TXFree<T>>;

class TX11WindowKeys final : public TWindowKeys {
public:
    explicit TX11WindowKeys(Display* D)
        : FDisplay(D), FRoot(DefaultRootWindow(D)), FWmState(XInternAtom(D, "WM_STATE", False)),
          FNetWmName(XInternAtom(D, "_NET_WM_NAME", False)),
          FUtf8String(XInternAtom(D, "UTF8_STRING", False)),
          FNetWmState(XInternAtom(D, "_NET_WM_STATE", False)),
          FNetWmStateHidden(XInternAtom(D, "_NET_WM_STATE_HIDDEN", False)),
          FNetActiveWindow(XInternAtom(D, "_NET_ACTIVE_WINDOW", False)) {}
    ~TX11WindowKeys() override { XCloseDisplay(FDisplay); }
    TX11WindowKeys(const TX11WindowKeys&) = delete;
    TX11WindowKeys& operator=(const TX11WindowKeys&) = delete;

    TWindowId FindTopWindow(std::string_view Title) override {
        TErrorTrap Trap(FDisplay);
        for (const Window Top : Children(FRoot)) {
            const Window Client = ClientOf(Top);
            if (TitleIs(Client, Title))
                return TWindowId(Client);
        }
        return NoWindow;
    }

    bool IsWindow(TWindowId W) override {
        if (W == NoWindow)
            return false;
        TErrorTrap Trap(FDisplay);
        XWindowAttributes Attributes;
        return XGetWindowAttributes(FDisplay, Window(W), &Attributes) != 0 && !Trap.Failed();
    }

    bool IsMinimised(TWindowId W) override {
        TErrorTrap Trap(FDisplay);
        const std::vector<long> State = LongProperty(Window(W), FWmState, FWmState);
        if (!State.empty() && State[0] == IconicStateValue)
            return true;
        for (const long Atom : LongProperty(Window(W), FNetWmState, XA_ATOM))
            if (AsAtom(Atom) == FNetWmStateHidden)
                return true;
        return false;
    }

    void Restore(TWindowId W) override { Activate(Window(W)); }
    void BringToTop(TWindowId W) override { Activate(Window(W)); }

    bool HasFocus(TWindowId W) override {
        TErrorTrap Trap(FDisplay);
        Window Focus = None;
        int Revert = 0;
        XGetInputFocus(FDisplay, &Focus, &Revert);
        while (Focus != None && Focus != PointerRoot && Focus != FRoot) {
            if (Focus == Window(W))
                return true;
            Focus = ParentOf(Focus);
        }
        return false;
    }

    bool CapsLockOn() override {
        XkbStateRec State{};
        return XkbGetState(FDisplay, XkbUseCoreKbd, &State) == Success &&
               (State.locked_mods & LockMask) != 0;
    }

    void PressKey(int VirtualKey) override { FakeKey(VirtualKey, true); }
    void ReleaseKey(int VirtualKey) override { FakeKey(VirtualKey, false); }

    std::optional<TCharKey> KeyOfChar(char C) override {
        const auto Code = static_cast<unsigned char>(C);
        KeySym Sym = NoSymbol;
        if (C == '\r')
            Sym = XK_Return;
        else if (C == '\t')
            Sym = XK_Tab;
        else if ((Code >= 0x20 && Code <= 0x7E) || Code >= 0xA0)
            Sym = Code; // Latin-1 keysyms are the characters' own codes
        if (Sym == NoSymbol)
            return std::nullopt;
        const KeyCode Key = XKeysymToKeycode(FDisplay, Sym);
        if (Key == 0)
            return std::nullopt;
        if (XkbKeycodeToKeysym(FDisplay, Key, 0, 0) == Sym)
            return TCharKey{KeyCodeBase + Key, false};
        if (XkbKeycodeToKeysym(FDisplay, Key, 0, 1) == Sym)
            return TCharKey{KeyCodeBase + Key, true};
        return std::nullopt;
    }

    bool StartDetached(std::string_view CommandLine, const std::filesystem::path& Folder) override {
        return StartCommandDetached(CommandLine, Folder);
    }

private:
    static Atom AsAtom(long Value) { return static_cast<Atom>(Value); }

    // The window's parent and children, as the server has them now.
    struct TTreeNode {
        Window Parent = None;
        std::vector<Window> Children;
    };
    TTreeNode QueryTree(Window W) const {
        Window Root = None;
        TTreeNode Node;
        Window* List = nullptr;
        unsigned Count = 0;
        if (XQueryTree(FDisplay, W, &Root, &Node.Parent, &List, &Count) == 0)
            return {};
        const TXPointer<Window> Owned(List);
        Node.Children.assign(List, List + Count);
        return Node;
    }
    std::vector<Window> Children(Window W) const { return QueryTree(W).Children; }
    Window ParentOf(Window W) const { return QueryTree(W).Parent; }

    bool HasWmState(Window W) const { return !LongProperty(W, FWmState, FWmState).empty(); }

    // Below a window manager's frame, the window that carries WM_STATE; without one the
    // top-level window itself.
    Window ClientOf(Window Top) const {
        if (HasWmState(Top))
            return Top;
        std::deque<std::pair<Window, int>> Pending{{Top, 0}};
        while (!Pending.empty()) {
            const auto [W, Depth] = Pending.front();
            Pending.pop_front();
            if (W != Top && HasWmState(W))
                return W;
            if (Depth < MaxFrameDepth)
                for (const Window Child : Children(W))
                    Pending.emplace_back(Child, Depth + 1);
        }
        return Top;
    }

    // The property's items when it has Type and items of Format bits; nothing otherwise.
    std::optional<std::vector<unsigned char>> Property(Window W, Atom Name, Atom Type, int Format,
                                                       long MaxLongs) const {
        Atom ActualType = None;
        int ActualFormat = 0;
        unsigned long Count = 0;
        unsigned long After = 0;
        unsigned char* Data = nullptr;
        if (XGetWindowProperty(FDisplay, W, Name, 0, MaxLongs, False, Type, &ActualType,
                               &ActualFormat, &Count, &After, &Data) != Success)
            return std::nullopt;
        const TXPointer<unsigned char> Owned(Data);
        if (!Data || ActualFormat != Format || ActualType != Type)
            return std::nullopt;
        // Xlib hands 32-bit items as longs.
        const std::size_t ItemSize = Format == 32 ? sizeof(long) : std::size_t(Format / 8);
        return std::vector<unsigned char>(Data, Data + Count * ItemSize);
    }

    std::vector<long> LongProperty(Window W, Atom Name, Atom Type) const {
        const auto Bytes = Property(W, Name, Type, 32, 64);
        if (!Bytes)
            return {};
        std::vector<long> Longs(Bytes->size() / sizeof(long));
        std::memcpy(Longs.data(), Bytes->data(), Longs.size() * sizeof(long));
        return Longs;
    }

    std::optional<std::string> TextProperty(Window W, Atom Name, Atom Type) const {
        const auto Bytes = Property(W, Name, Type, 8, 1024);
        if (!Bytes)
            return std::nullopt;
        return std::string(Bytes->begin(), Bytes->end());
    }

    bool TitleIs(Window W, std::string_view Title) const {
        if (const auto Utf8 = TextProperty(W, FNetWmName, FUtf8String))
            return *Utf8 == ToQString(Title).toUtf8().toStdString();
        if (const auto Name = TextProperty(W, XA_WM_NAME, XA_STRING))
            return *Name == Title;
        return false;
    }

    void Activate(Window W) {
        TErrorTrap Trap(FDisplay);
        XMapRaised(FDisplay, W);
        XEvent Event{};
        Event.xclient.type = ClientMessage;
        Event.xclient.window = W;
        Event.xclient.message_type = FNetActiveWindow;
        Event.xclient.format = 32;
        Event.xclient.data.l[0] = 1; // from an application
        Event.xclient.data.l[1] = CurrentTime;
        XSendEvent(FDisplay, FRoot, False, SubstructureRedirectMask | SubstructureNotifyMask,
                   &Event);
        XSync(FDisplay, False);
        XSetInputFocus(FDisplay, W, RevertToParent, CurrentTime);
    }

    KeyCode KeyCodeOf(int VirtualKey) const {
        if (VirtualKey >= KeyCodeBase)
            return KeyCode(VirtualKey - KeyCodeBase);
        KeySym Sym = NoSymbol;
        switch (VirtualKey) {
        case VK_SHIFT:
            Sym = XK_Shift_L;
            break;
        case VK_CAPITAL:
            Sym = XK_Caps_Lock;
            break;
        case VK_RETURN:
            Sym = XK_Return;
            break;
        case VK_TAB:
            Sym = XK_Tab;
            break;
        default:
            if (VirtualKey >= VK_A && VirtualKey <= VK_A + 25)
                Sym = XK_a + (VirtualKey - VK_A);
            else if (VirtualKey >= VK_0 && VirtualKey <= VK_0 + 9)
                Sym = XK_0 + (VirtualKey - VK_0);
            break;
        }
        return Sym == NoSymbol ? KeyCode(0) : XKeysymToKeycode(FDisplay, Sym);
    }

    void FakeKey(int VirtualKey, bool Press) {
        const KeyCode Key = KeyCodeOf(VirtualKey);
        if (Key == 0)
            return;
        TErrorTrap Trap(FDisplay);
        XTestFakeKeyEvent(FDisplay, Key, Press ? True : False, CurrentTime);
        XFlush(FDisplay);
    }

    Display* FDisplay;
    Window FRoot;
    Atom FWmState;
    Atom FNetWmName;
    Atom FUtf8String;
    Atom FNetWmState;
    Atom FNetWmStateHidden;
    Atom FNetActiveWindow;
};

} // namespace

TEnvironmentLookup ProcessEnvironment() {
    return [](std::string_view Name) -> std::optional<std::string> {
        const char* Value = std::getenv(std::string(Name).c_str());
        return Value ? std::optional<std::string>(Value) : std::nullopt;
    };
}

TDesktopKeys OpenDesktopKeys(const TEnvironmentLookup& Environment) {
    if (Environment("XDG_SESSION_TYPE").value_or("") == "wayland" || Environment("WAYLAND_DISPLAY"))
        return {nullptr, std::string(WaylandReason)};
    const std::optional<std::string> Name = Environment("DISPLAY");
    if (!Name || Name->empty())
        return {nullptr, std::string(NoDisplayReason)};
    Display* D = XOpenDisplay(Name->c_str());
    if (!D)
        return {nullptr, std::string(NoDisplayReason)};
    int Event = 0;
    int Error = 0;
    int Major = 0;
    int Minor = 0;
    if (!XTestQueryExtension(D, &Event, &Error, &Major, &Minor)) {
        XCloseDisplay(D);
        return {nullptr, std::string(NoXTestReason)};
    }
    return {std::make_unique<TX11WindowKeys>(D), {}};
}

} // namespace korvid
