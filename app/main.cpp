#include "app/StartUpUnit.h"
#include "devtools/definitions/DefsListing.h"

int main(int argc, char** argv) {
    korvid::InstallDefsListings();
    return korvid::RunKorvid(argc, argv);
}
