#include "gui/program.h"
#include "gui/sanitizer_defaults.h"

int main(int argc, char** argv)
{
    return dealcast::gui::runProgram(argc, argv);
}
