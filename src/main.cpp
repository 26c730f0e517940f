#include "ui/application.h"

int main(int argc, char* argv[]) { return lintari::ui::runLintari(argc, argv); }
