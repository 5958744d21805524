#include "ui/editor/InsertCommands.h"

void CreateInsertCommands(TMDIForm *) {}
