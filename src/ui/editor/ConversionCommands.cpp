#include "ui/editor/ConversionCommands.h"

void CreateConversionCommands(TMDIForm *) {}
