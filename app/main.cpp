#include "app/StartUpUnit.h"

int main(int argc, char** argv) {
    return korvid::RunKorvid(argc, argv);
}
