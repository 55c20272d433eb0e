#include "app/bwio.h"

#include <cstdlib>

BWIO::BWIO() {
    if (shell::application != nullptr) {
        platform().messageBox("Error", "Second BWIO class declared.");
        std::exit(-1);
    }
    shell::application = this;
}

BWIO::~BWIO() {
    closeGraphics();
    if (shell::application == this)
        shell::application = nullptr;
}

const char* BWIO::commandLine() const {
    return shell::commandLine;
}
