#include "app/VolumeTools.h"

#include "app/DocumentEditor.h"
#include "app/KorvidApplication.h"
#include "app/MainWindowServices.h"
#include "app/MainWindowSettings.h"
#include "app/WindowHost.h"
#include "foundation/BinaryStrings.h"
#include "foundation/UtilitiesUnit.h"
#include "psystem/BrowseVolumeForm.h"
#include "psystem/FilerForm.h"
#include "psystem/MajorVolume.h"
#include "psystem/VolumeMessages.h"
#include "psystem/VolumePath.h"
#include "ui/FormUtilities.h"
#include "ui/MessageBoxUnit.h"
#include "ui/MessagesUnit.h"
#include "ui/ModalRunner.h"
#include "workspace/FavouritesTree.h"
#include "workspace/FindInFiles.h"
#include "workspace/KorvidOptions.h"

namespace korvid {

namespace {

// Frees the browser's volumes however the browse ends.
class TVolumeCloser {
public:
    explicit TVolumeCloser(TBrowseVolumeForm& Form) : FForm(Form) {}
    ~TVolumeCloser() { FForm.CloseVolume(); }
    TVolumeCloser(const TVolumeCloser&) = delete;
    TVolumeCloser& operator=(const TVolumeCloser&) = delete;

private:
    TBrowseVolumeForm& FForm;
};

// Puts the start-up tab back as it was when it goes out of scope.
class TStartupTabKeeper {
public:
    explicit TStartupTabKeeper(TVolumeToolsHost& Host) : FHost(Host), FKept(Host.StartupTab()) {}
    ~TStartupTabKeeper() { Restore(); }
    void Restore() { FHost.RestoreStartupTab(FKept); }
    TStartupTabKeeper(const TStartupTabKeeper&) = delete;
    TStartupTabKeeper& operator=(const TStartupTabKeeper&) = delete;

private:
    TVolumeToolsHost& FHost;
    QWidget* const FKept;
};

TFindSettings BrowseFindSettings(const TBrowseSearchOptions& Options) {
    TFindSettings Settings;
    Settings.Location = 0;
    Settings.ContextLines = Options.ContextLines;
    Settings.IgnoreUnderscores = Options.IgnoreUnderscores;
    Settings.QuotedOnly = Options.QuotedOnly;
    Settings.WholeWords = Options.WholeWords;
    Settings.MatchCase = Options.MatchCase;
    Settings.Text = Options.Text;
    return Settings;
}

// The volume a document's name is inside, or nothing.
std::optional<TVolumePath> VolumeOfEditor(const TDocumentEditor* Editor) {
    if (!Editor)
        return std::nullopt;
    return ParseVolumePath(Editor->FileName);
}

} // namespace

TVolumeTools::TVolumeTools(TWindowHost& Window, TVolumeToolsHost& Host)
    : FWindow(Window), FHost(Host) {}

TVolumeTools::~TVolumeTools() = default;

// ---- The filer ----------------------------------------------------------------------------------

void TVolumeTools::PrepareFiler() {
    FFilerForm = std::make_unique<TFilerForm>(*this, FWindow.DialogParent());
    const TWindowPlacement& Place = FWindow.WindowSettings().Filer;
    if (Place.Width > 0 && Place.Height > 0)
        FFilerForm->resize(Place.Width, Place.Height);
    FFilerForm->move(Place.Left, Place.Top);
    if (Place.Maximized)
        FFilerForm->setWindowState(Qt::WindowMaximized);
    FFilerForm->EqualisePanes();
}

void TVolumeTools::StoreFilerWindow() {
    if (!FFilerForm)
        return;
    // Its frame's place, which is where move() puts it back.
    const QRect Normal = StoredPlace(*FFilerForm);
    FWindow.WindowSettings().Filer = {Normal.x(), Normal.y(), Normal.width(), Normal.height(),
                                      FFilerForm->isMaximized()};
}

void TVolumeTools::ShowFiler() {
    std::string VolumeFile;
    if (const auto Inside = VolumeOfEditor(FWindow.ActiveEditor()))
        VolumeFile = Inside->VolumeFile;
    FFilerForm->Execute(VolumeFile);
}

void TVolumeTools::OpenFilerFile(const std::string& Name, bool ReadOnly) {
    FWindow.OpenFile(Name, ReadOnly, {});
}

void TVolumeTools::OpenTextInNewTab(const std::string& Caption, const std::string& Text) {
    FHost.OpenTextInNewTab(Caption, Text);
}

void TVolumeTools::ForEachFavouriteVolume(
    const std::function<void(const std::string& Path)>& Callback) {
    if (const TFavouritesTreeView* Tree = FHost.FavouritesTree().Tree())
        Tree->ForEachVolume(Callback);
}

bool TVolumeTools::IsReadOnlyVolumeFile(const std::string& Path) {
    return IsReadOnlyFile(Path);
}

// ---- The volume browser -------------------------------------------------------------------------

TBrowseVolumeForm& TVolumeTools::BrowseVolumeForm() {
    if (!FBrowseVolumeForm)
        FBrowseVolumeForm = std::make_unique<TBrowseVolumeForm>(*this, FWindow.DialogParent());
    return *FBrowseVolumeForm;
}

void TVolumeTools::BrowseActiveVolume() {
    if (const auto Inside = VolumeOfEditor(FWindow.ActiveEditor()))
        BrowseVolume(Inside->VolumeFile, Inside->Subvolume);
}

void TVolumeTools::BrowseVolume(const std::string& VolumeFile, const std::string& StartPath) {
    TMainWindowSettings& Stored = FWindow.WindowSettings();
    TBrowseVolumeForm& Form = BrowseVolumeForm();
    TBrowseSearchOptions Options = Form.SearchOptions();
    Options.MatchCase = Stored.BrowseMatchCase;
    Options.WholeWords = Stored.BrowseWholeWords;
    Options.IgnoreUnderscores = Stored.BrowseIgnoreUnderscores;
    Options.VolumeList = Stored.MultipleVolumeSearchList;
    Form.SetSearchOptions(Options);

    const TVolumeCloser Closer(Form);
    try {
        {
            const TWaitCursor Wait;
            Form.PreselectName = StartPath;
            Form.OpenVolume(VolumeFile);
            Form.Centre();
            Form.SetInitialFocus(FWindow.Options().FocusFindText);
        }
        // Told once the hourglass is gone, before the tree of garbled names is seen.
        if (!Form.DamageReport().empty())
            ShowDamagedVolumeMessage(Form.DamageReport());
        // Tabs the browse opens are documents, never the blank tab a start replaces, also when
        // the volume was named on the command line.
        TStartupTabKeeper Keeper(FHost);
        const int Result = RunModal(Form);
        Keeper.Restore();
        Options = Form.SearchOptions();
        Stored.BrowseMatchCase = Options.MatchCase;
        Stored.BrowseWholeWords = Options.WholeWords;
        Stored.BrowseIgnoreUnderscores = Options.IgnoreUnderscores;
        Stored.MultipleVolumeSearchList = Options.VolumeList;
        FWindow.StoreSettings();

        switch (Result) {
        case brOk: {
            const std::string Subvolume = Form.GetSelectedSubvolumeName();
            const std::string FileName = Form.GetSelectedFileName();
            const std::string Inner = Subvolume.empty() ? FileName : Subvolume + ":" + FileName;
            FWindow.OpenFile(VolumeFile + ">" + Inner, IsReadOnlyFile(VolumeFile), {});
            break;
        }
        case brIgnore:
            FFilerForm->Execute(VolumeFile);
            break;
        case brYes:
            SearchBrowsedVolumes(Form, Options);
            break;
        default:
            // Cancel, and Retry, which asks for nothing more.
            break;
        }
    } catch (const std::exception& Error) {
        ShowException(Error);
    }
}

void TVolumeTools::SearchBrowsedVolumes(TBrowseVolumeForm& Form,
                                        const TBrowseSearchOptions& Options) {
    std::vector<TVolume*> Volumes;
    std::vector<std::unique_ptr<TMajorVolume>> Listed;
    if (Options.MultipleVolumes) {
        std::vector<std::string> Paths;
        try {
            Paths = ReadVolumeList(Options.VolumeList);
        } catch (const EFileOpenError&) {
            ShowUnableToOpenMessage(Options.VolumeList, FWindow.Options().UnopenableFileMessage);
            return;
        }
        for (const std::string& Path : Paths) {
            try {
                Listed.push_back(std::make_unique<TMajorVolume>(Path, false));
                Volumes.push_back(Listed.back().get());
            } catch (const std::exception& Error) {
                ShowOkMessage(UnreadableVolumeCaption, UnreadableVolumeText(Error.what()));
            }
        }
    } else if (TVolume* Selected = Form.GetSelectedVolume()) {
        Volumes.push_back(Selected);
    }
    // With no volume the search would walk the folders instead.
    if (Volumes.empty())
        return;
    const TFindSettings Settings = BrowseFindSettings(Options);
    if (OnBrowseSearch)
        OnBrowseSearch(Volumes, Settings);
    else
        FHost.FindInVolumes(Volumes, Settings);
}

} // namespace korvid
