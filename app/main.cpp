// The program's entry: hand the window description to the toolkit, which runs until the window is gone.
#include "app/frmbzz.h"
#include "toolkit/start.h"

int main(int argc, char** argv) {
    return tolvane::startToolkit(tolvane::Frmbzz, argc, argv);
}
