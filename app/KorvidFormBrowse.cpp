#include "app/KorvidApplication.h"
#include "app/KorvidForm.h"

#include "foundation/BinaryStrings.h"
#include "psystem/BrowseVolumeForm.h"
#include "psystem/FilerForm.h"
#include "psystem/MajorVolume.h"
#include "psystem/VolumePath.h"
#include "ui/FormUtilities.h"
#include "ui/MessageBoxUnit.h"
#include "ui/MessagesUnit.h"
#include "ui/ModalRunner.h"
#include "workspace/FindInFiles.h"

#include <QTabWidget>

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
    TStartupTabKeeper(QWidget*& Field, const QTabWidget& Tabs)
        : FField(Field), FTabs(Tabs), FKept(Field) {}
    ~TStartupTabKeeper() { Restore(); }
    void Restore() {
        if (FField != FKept)
            FField = FKept && FTabs.indexOf(FKept) >= 0 ? FKept : nullptr;
    }
    TStartupTabKeeper(const TStartupTabKeeper&) = delete;
    TStartupTabKeeper& operator=(const TStartupTabKeeper&) = delete;

private:
    QWidget*& FField;
    const QTabWidget& FTabs;
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

} // namespace

TBrowseVolumeForm& TKorvidForm::BrowseVolumeForm() {
    if (!FBrowseVolumeForm)
        FBrowseVolumeForm = std::make_unique<TBrowseVolumeForm>(*this, this);
    return *FBrowseVolumeForm;
}

void TKorvidForm::FileBrowseVolume() {
    const TDocumentEditor* Editor = ActiveEditor();
    if (!Editor)
        return;
    if (const auto Inside = ParseVolumePath(Editor->FileName))
        BrowseVolume(Inside->VolumeFile, Inside->Subvolume);
}

void TKorvidForm::BrowseVolume(const std::string& VolumeFile, const std::string& StartPath) {
    TBrowseVolumeForm& Form = BrowseVolumeForm();
    TBrowseSearchOptions Options = Form.SearchOptions();
    Options.MatchCase = FSettings.BrowseMatchCase;
    Options.WholeWords = FSettings.BrowseWholeWords;
    Options.IgnoreUnderscores = FSettings.BrowseIgnoreUnderscores;
    Options.VolumeList = FSettings.MultipleVolumeSearchList;
    Form.SetSearchOptions(Options);

    const TVolumeCloser Closer(Form);
    try {
        {
            const TWaitCursor Wait;
            Form.PreselectName = StartPath;
            Form.OpenVolume(VolumeFile);
            Form.Centre();
            Form.SetInitialFocus(FOptions.FocusFindText);
        }
        // Tabs the browse opens are documents, never the blank tab a start replaces, also when
        // the volume was named on the command line.
        TStartupTabKeeper Keeper(FStartupTab, *FTabs);
        const int Result = RunModal(Form);
        Keeper.Restore();
        Options = Form.SearchOptions();
        FSettings.BrowseMatchCase = Options.MatchCase;
        FSettings.BrowseWholeWords = Options.WholeWords;
        FSettings.BrowseIgnoreUnderscores = Options.IgnoreUnderscores;
        FSettings.MultipleVolumeSearchList = Options.VolumeList;
        StoreSettings();

        switch (Result) {
        case brOk: {
            const std::string Subvolume = Form.GetSelectedSubvolumeName();
            const std::string FileName = Form.GetSelectedFileName();
            const std::string Inner = Subvolume.empty() ? FileName : Subvolume + ":" + FileName;
            OpenFile(VolumeFile + ">" + Inner, IsReadOnlyFile(VolumeFile), {});
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

void TKorvidForm::SearchBrowsedVolumes(TBrowseVolumeForm& Form,
                                       const TBrowseSearchOptions& Options) {
    std::vector<TVolume*> Volumes;
    std::vector<std::unique_ptr<TMajorVolume>> Listed;
    if (Options.MultipleVolumes) {
        std::vector<std::string> Paths;
        try {
            Paths = ReadVolumeList(Options.VolumeList);
        } catch (const EFileOpenError&) {
            ShowUnableToOpenMessage(Options.VolumeList, FOptions.UnopenableFileMessage);
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
        FindInFiles(Volumes, {}, Settings);
}

} // namespace korvid
