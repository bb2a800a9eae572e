#include "app/MainWindowServices.h"

#include "foundation/TextFileWriter.h"
#include "platform/AtomicFile.h"
#include "platform/Cp1252.h"
#include "ui/MessagesUnit.h"
#include "workspace/FavouritesTree.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include <QDesktopServices>
#include <QUrl>

#include <algorithm>
#include <fstream>

namespace korvid {

bool TDesktopHelpViewer::ShowFile(const std::string& Path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(ToQString(Path)));
}

TFavouritesTreeView* TFavouritesBar::Tree() const {
    return FTree;
}

int TFavouritesBar::SelectedNodeKind() const {
    return FTree ? TFavouritesTreeView::NodeKind(FTree->Selected()) : 0;
}

std::string TFavouritesBar::SelectedPath() const {
    return FTree ? FTree->SelectedPath() : std::string();
}

void TFavouritesBar::LoadFavourites(const std::string& FileName) {
    if (FTree && FTree->LoadFavourites(FileName) == TFavouritesLoad::Unreadable) {
        FUnreadFile = FileName;
        ShowUnableToReadFavouritesMessage(FileName);
    }
}

void TFavouritesBar::SaveFavourites(std::string& FileName) {
    // An empty tree in place of a list that could not be read would lose the list.
    if (FTree && !(FileName == FUnreadFile && !FUnreadFile.empty()))
        FTree->SaveFavourites(FileName);
}

QWidget* TFavouritesBar::CreatePanel(QWidget* Parent, std::function<void()> OnClose) {
    auto* Panel = new QWidget(Parent);
    Panel->setObjectName("FavouritesBar");
    auto* Title = new QLabel("Favourites");
    auto* Close = new QToolButton;
    Close->setObjectName("FavouritesClose");
    Close->setAutoRaise(true);
    Close->setText(QString(QChar(0x00D7)));
    Close->setToolTip("Close");
    QObject::connect(Close, &QToolButton::clicked, Panel, [OnClose = std::move(OnClose)] {
        if (OnClose)
            OnClose();
    });
    auto* Head = new QHBoxLayout;
    Head->setContentsMargins(4, 2, 2, 2);
    Head->addWidget(Title, 1);
    Head->addWidget(Close);
    FTree = new TFavouritesTreeView;
    auto* Column = new QVBoxLayout(Panel);
    Column->setContentsMargins(0, 0, 0, 0);
    Column->setSpacing(0);
    Column->addLayout(Head);
    Column->addWidget(FTree, 1);
    return Panel;
}

} // namespace korvid
