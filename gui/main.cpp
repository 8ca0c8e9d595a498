#include "gui/program.h"

int main(int argc, char** argv)
{
    return dealcast::gui::runProgram(argc, argv);
}
